#pragma once
// An in-memory column that holds its text as editor bytes with its lines indexed, as the column
// widget does: the byte runs copy its values straight from the bytes.

#include "editor/TextUtils.h"
#include "engine/MergeColumn.h"

class ByteColumn : public MergeColumn
{
public:
    ByteColumn(const QString& snippet, const QByteArray& bytes, bool unicode)
        : m_snippet(snippet), m_bytes(bytes), m_unicode(unicode)
    {
        m_spans.build(m_bytes.constData(), m_bytes.size(), m_unicode);
    }

    QString snippet() const override { return m_snippet; }
    int lineCount() const override { return m_spans.lineCount(); }
    QString lineText(int i) const override
    {
        if (i < 0 || i >= m_spans.lineCount())
            return QString();
        const LineSpans::Span span = m_spans.span(i);
        const char* from = m_bytes.constData() + span.start;
        return m_unicode ? decodeUtf8(from, span.end - span.start) : QString::fromLatin1(from, span.end - span.start);
    }
    void resetLineCursor() override { m_cursor = 0; }
    QString nextLine() override { return lineText(m_cursor++); }
    const LineSpans* lineSpans() override { return &m_spans; }

private:
    QString m_snippet;
    QByteArray m_bytes;
    bool m_unicode;
    LineSpans m_spans;
    int m_cursor = 0;
};
