#pragma once
// The engine behind the editor's line operations: a list of lines with the line ending and the
// encoding mode of the editor they came from, and the steps that rewrite them in place.

#include "editor/TextUtils.h"

#include <QString>
#include <QStringList>
#include <Qt>

#include <vector>

class LineList
{
public:
    enum AlignMode { AlignLeft, AlignRight, AlignCenter };
    enum SortKind { SortText, SortNumber };

    LineList(const QStringList& lines, EolFormat eol, bool unicode);

    const QStringList& lines() const { return m_lines; }
    QString eol() const { return m_eol; }
    bool isUnicode() const { return m_unicode; }
    QString joined() const { return m_lines.join(m_eol); }
    // Width of a line: UTF-16 units in ANSI mode, character cells in UTF-8 mode.
    int width(const QString& line) const;

    // Ends a running per-line step after the line in hand; the lines done so far keep their result.
    void requestStop() { m_stopRequested = true; }
    bool isStopRequested() const { return m_stopRequested; }

    void toUpper();
    void toLower();
    void upperFirstChar();
    void lowerFirstChar();
    void swapCase();
    void truncateLeft();
    void truncateRight();
    void lstrip();
    void rstrip();
    void strip();
    void removeEmptyLines();
    void pad();
    void align(AlignMode mode);
    void sort(SortKind kind, Qt::SortOrder order);
    void shuffle();
    void reverse();

private:
    // The width of every line, in order, and the greatest of them.
    std::vector<int> lineWidths(int* maxWidth) const;
    template <typename Fn> void forEachLine(Fn fn);

    QStringList m_lines;
    QString m_eol;
    bool m_unicode;
    bool m_stopRequested = false;
};
