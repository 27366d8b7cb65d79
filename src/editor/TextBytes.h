#pragma once
// Text as the editors hold it: bytes in UTF-8 or Latin-1 ("ANSI"). The conversions from and to
// strings, and an index of a text's lines so that runs over a million lines copy byte spans instead
// of making a string of every line.

#include <QByteArray>
#include <QString>

#include <vector>

// The editor bytes of a text: UTF-8, or Latin-1 with one "?" for every character outside it.
QByteArray encodeEditorText(const QString& text, bool unicode);
// Appends the same bytes to out.
void appendEditorText(const QString& text, bool unicode, QByteArray& out);

// A text given as editor bytes in UTF-8, as the editor reads it into a string: Latin-1 becomes
// UTF-8 and an invalid UTF-8 sequence U+FFFD. Clean UTF-8 and ASCII come back shared, uncopied.
QByteArray utf8FromEditorBytes(const QByteArray& bytes, bool unicode);

// True when decoding the bytes as UTF-8 and encoding them again gives them back unchanged: no
// invalid, overlong, surrogate or truncated sequence.
bool isStrictUtf8(const char* bytes, qsizetype length);
// True when no byte is above 0x7F.
bool isAscii(const char* bytes, qsizetype length);

// Where the next line break (CR or LF) at or after from is; size when there is none.
int nextLineBreak(const char* bytes, int from, int size);
// Where the line after the break at `at` starts: past CR LF, else past the one character.
inline int afterLineBreak(const char* bytes, int at, int size)
{
    return at + (bytes[at] == '\r' && at + 1 < size && bytes[at + 1] == '\n' ? 2 : 1);
}

// The lines of a text as byte spans: CR LF, LF and a lone CR end a line, so there are line breaks
// plus one lines (an empty text has one empty line). A line's value is its bytes without the break
// and, as the columns have always read it, without anything from a NUL byte on.
class LineSpans
{
public:
    struct Span
    {
        int start;
        int end;
    };

    LineSpans() = default;
    // Indexes the bytes, which must stay unchanged for as long as the spans are used. In UTF-8
    // mode the text is also checked for bytes that would not survive a conversion.
    void build(const char* bytes, int length, bool unicode);
    void clear();

    bool isBuilt() const { return !m_spans.empty(); }
    int lineCount() const { return int(m_spans.size()); }
    const char* bytes() const { return m_bytes; }
    bool isUnicode() const { return m_unicode; }
    // Whether every value can be copied as it stands into a text of the same encoding. False for
    // UTF-8 with invalid sequences, which the string path turns into U+FFFD.
    bool isClean() const { return m_clean; }
    bool isAscii() const { return m_ascii; }
    const Span* spans() const { return m_spans.data(); }
    Span span(int line) const { return m_spans[size_t(line)]; }

    // Appends the value of line i in the target encoding; false (and nothing appended) when only a
    // string conversion can give the right bytes.
    bool appendValue(int line, QByteArray& out, bool targetUnicode) const;

private:
    std::vector<Span> m_spans;
    const char* m_bytes = nullptr;
    bool m_unicode = true;
    bool m_clean = true;
    bool m_ascii = true;
};
