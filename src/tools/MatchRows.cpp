#include "tools/MatchRows.h"

#include "engine/EventPacer.h"

#include <QRegularExpressionMatchIterator>

QRegularExpression MatchRows::expression(const QString& pattern, const Options& options)
{
    QRegularExpression::PatternOptions flags = QRegularExpression::NoPatternOption;
    if (!options.matchCase)
        flags |= QRegularExpression::CaseInsensitiveOption;
    if (options.unicode)
        flags |= QRegularExpression::UseUnicodePropertiesOption;
    if (options.multiLine)
        flags |= QRegularExpression::MultilineOption;
    if (options.dotAll)
        flags |= QRegularExpression::DotMatchesEverythingOption;
    return QRegularExpression(pattern, flags);
}

MatchRows::Outcome MatchRows::build(const QString& text, const QRegularExpression& expression, CellTable& table,
                                    const CellTable::StopFunction& isStopRequested)
{
    if (!expression.isValid())
        return Outcome::Invalid;
    // Counted from the expression, not from the match: a match leaves out the optional groups at
    // its end that did not take part, and a shorter row would be refused by the table.
    const int cells = expression.captureCount() + 1;
    EventPacer pacer(isStopRequested, EventPacer::DefaultIntervalMs, EventPacer::Clock::Adaptive);
    QRegularExpressionMatchIterator matches = expression.globalMatch(text);
    if (!matches.isValid())
        return Outcome::Invalid;
    CellTable::Row row;
    while (matches.hasNext()) {
        if (pacer.pollStop())
            return Outcome::Stopped;
        const QRegularExpressionMatch match = matches.next();
        row.clear();
        row.reserve(cells);
        for (int i = 0; i < cells; ++i)
            row.append(match.captured(i));
        table.appendRow(row);
    }
    return table.isEmpty() ? Outcome::NoMatch : Outcome::Rows;
}
