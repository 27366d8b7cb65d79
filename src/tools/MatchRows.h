#pragma once
// Turns the matches of a regular expression in a text into the rows of a cell table: the whole
// match first, then every capture group of the expression in order.

#include "tools/CellTable.h"

#include <QRegularExpression>
#include <QString>

class MatchRows
{
public:
    struct Options
    {
        bool matchCase = false;
        // Unicode character properties for \w, \d, \b and the like.
        bool unicode = false;
        // ^ and $ at every line.
        bool multiLine = false;
        // . matches line breaks too.
        bool dotAll = false;
    };

    enum class Outcome { Rows, NoMatch, Invalid, Stopped };

    static QRegularExpression expression(const QString& pattern, const Options& options);

    // Appends one row per match of expression in text to table, which should start empty. Every
    // row has captureCount() + 1 cells: a group that took no part in a match gives an empty cell.
    // Lets pending events run while it works; on a stop the rows found so far stay in table.
    static Outcome build(const QString& text, const QRegularExpression& expression, CellTable& table,
                         const CellTable::StopFunction& isStopRequested = CellTable::StopFunction());
};
