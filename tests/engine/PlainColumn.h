#pragma once
// An in-memory column for the tests and benchmarks: a snippet and a list of lines, read the way the
// column widget reads its editor (line terminators plus one lines, CR LF, LF and CR all ending a line).

#include "engine/MergeColumn.h"

#include <QStringList>

class PlainColumn : public MergeColumn
{
public:
    PlainColumn(const QString& snippet, const QStringList& lines) : m_snippet(snippet), m_lines(lines) {}

    // A column holding text, cut into lines like an editor does: "x\ny\n" has three lines, "" one.
    static PlainColumn fromText(const QString& snippet, const QString& text)
    {
        return PlainColumn(snippet, linesOf(text));
    }

    static QStringList linesOf(const QString& text)
    {
        QStringList lines;
        int start = 0;
        for (int i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
                continue;
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
        lines.append(text.mid(start));
        return lines;
    }

    void setSnippet(const QString& snippet) { m_snippet = snippet; }
    void setLines(const QStringList& lines) { m_lines = lines; }
    int cursor() const { return m_cursor; }

    QString snippet() const override { return m_snippet; }
    int lineCount() const override { return m_lines.size(); }
    QString lineText(int i) const override { return i >= 0 && i < m_lines.size() ? m_lines.at(i) : QString(); }
    void resetLineCursor() override { m_cursor = 0; }
    QString nextLine() override { return PlainColumn::lineText(m_cursor++); }

private:
    QString m_snippet;
    QStringList m_lines;
    int m_cursor = 0;
};
