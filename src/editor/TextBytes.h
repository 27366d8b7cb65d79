#pragma once
// Text as the editors hold it: bytes in UTF-8 or Latin-1 ("ANSI"). The conversions from and to
// strings, and an index of a text's lines so that runs over a million lines copy byte spans instead
// of making a string of every line.

#include <QByteArray>
#include <QString>

#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The editor bytes of a text: UTF-8, or Latin-1 with one "?" for every character outside it.
QByteArray encodeEditorText(const QString& text, bool unicode);
// Appends the same bytes to out.
void appendEditorText(const QString& text, bool unicode, QByteArray& out);

// A text given as editor bytes in UTF-8, as the editor reads it into a string: Latin-1 becomes
// UTF-8 and an invalid UTF-8 sequence U+FFFD. Clean UTF-8 and ASCII come back shared, uncopied.
QByteArray utf8FromEditorBytes(const QByteArray& bytes, bool unicode);

// Writes Latin-1 bytes as UTF-8 from to on, which has room for twice length; returns the end.
char* writeLatin1AsUtf8(const char* bytes, int length, char* to);
// Well-formed UTF-8 to Latin-1: U+0080..U+00FF keep their value, any other character (also a lone
// surrogate written in three bytes) becomes one "?".
void appendUtf8AsLatin1(const char* bytes, int length, QByteArray& out);

// True when decoding the bytes as UTF-8 and encoding them again gives them back unchanged: no
// invalid, overlong, surrogate or truncated sequence.
bool isStrictUtf8(const char* bytes, qsizetype length);
// True when no byte is above 0x7F.
bool isAscii(const char* bytes, qsizetype length);

// Finds the line breaks (CR or LF) of a text from its start to its end. The next LF and the next CR
// are each sought once and kept: a text broken by CR alone would otherwise be searched to its end
// for an LF at every line.
class LineBreakFinder
{
public:
    LineBreakFinder(const char* bytes, int size) : m_bytes(bytes), m_size(size) {}
    // Where the next break at or after from is; size when there is none. from never goes back.
    int next(int from)
    {
        if (m_lf < from)
            m_lf = find('\n', from);
        if (m_cr < from)
            m_cr = find('\r', from);
        return m_lf < m_cr ? m_lf : m_cr;
    }

private:
    int find(char c, int from) const;

    const char* m_bytes;
    int m_size;
    int m_lf = -1;
    int m_cr = -1;
};

// Finds the next of a few given bytes (at most MaxBytes) sixteen bytes at a time, where a table
// lookup per byte would be four times slower on lines of a few dozen bytes.
class FewBytesFinder
{
public:
    static constexpr int MaxBytes = 4;

    // False when there are too many bytes to seek this way.
    bool setBytes(const QByteArray& bytes)
    {
        if (bytes.isEmpty() || bytes.size() > MaxBytes)
            return false;
        for (int i = 0; i < MaxBytes; ++i)
            m_bytes[i] = bytes.at(i < bytes.size() ? i : 0);
        return true;
    }
    // Where the next of the bytes is at or after from; size when there is none.
    int next(const char* data, int from, int size) const
    {
#if defined(__SSE2__)
        const __m128i b0 = _mm_set1_epi8(m_bytes[0]);
        const __m128i b1 = _mm_set1_epi8(m_bytes[1]);
        const __m128i b2 = _mm_set1_epi8(m_bytes[2]);
        const __m128i b3 = _mm_set1_epi8(m_bytes[3]);
        for (; from + 16 <= size; from += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
            const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, b0), _mm_cmpeq_epi8(block, b1)),
                                              _mm_or_si128(_mm_cmpeq_epi8(block, b2), _mm_cmpeq_epi8(block, b3)));
            if (const int mask = _mm_movemask_epi8(hits))
                return from + __builtin_ctz(unsigned(mask));
        }
#endif
        for (; from < size; ++from) {
            const char c = data[from];
            if (c == m_bytes[0] || c == m_bytes[1] || c == m_bytes[2] || c == m_bytes[3])
                return from;
        }
        return size;
    }

private:
    char m_bytes[MaxBytes] = {};
};

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
