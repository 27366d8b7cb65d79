#include "editor/TextBytes.h"

#include "editor/TextUtils.h"

#include <algorithm>
#include <cstring>

QByteArray encodeEditorText(const QString& text, bool unicode)
{
    QByteArray bytes;
    appendEditorText(text, unicode, bytes);
    return bytes;
}

void appendEditorText(const QString& text, bool unicode, QByteArray& out)
{
    if (text.isEmpty())
        return;
    if (unicode) {
        out += text.toUtf8();
        return;
    }
    const qsizetype size = text.size();
    const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype base = out.size();
    out.resize(int(base + size));
    char* to = out.data() + base;
    // Latin-1 by hand: a character outside it becomes one "?", also when it takes two UTF-16 units.
    qsizetype written = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        if (unit < 0x100) {
            to[written++] = char(unit);
        } else {
            to[written++] = '?';
            if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(units[i + 1]))
                ++i;
        }
    }
    out.resize(int(base + written));
}

bool isAscii(const char* bytes, qsizetype length)
{
    // A branch-free pass that the compiler vectorises; no early exit, columns are mostly ASCII.
    unsigned char high = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    for (qsizetype i = 0; i < length; ++i)
        high |= in[i];
    return high < 0x80;
}

char* writeLatin1AsUtf8(const char* bytes, int length, char* to)
{
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    for (int i = 0; i < length; ++i) {
        const unsigned char b = in[i];
        if (b < 0x80) {
            *to++ = char(b);
        } else {
            *to++ = char(0xC0 | (b >> 6));
            *to++ = char(0x80 | (b & 0x3F));
        }
    }
    return to;
}

namespace {

// Latin-1 to UTF-8, sized exactly: every byte above 0x7F takes two.
void appendLatin1AsUtf8(const char* bytes, int length, QByteArray& out)
{
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    const int high = int(std::count_if(in, in + length, [](unsigned char b) { return b >= 0x80; }));
    const int base = out.size();
    out.resize(base + length + high);
    writeLatin1AsUtf8(bytes, length, out.data() + base);
}

} // namespace

void appendUtf8AsLatin1(const char* bytes, int length, QByteArray& out)
{
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    const int base = out.size();
    // Never longer than the UTF-8.
    out.resize(base + length);
    char* to = out.data() + base;
    for (int i = 0; i < length;) {
        const unsigned char b = in[i];
        if (b < 0x80) {
            *to++ = char(b);
            ++i;
        } else if (b < 0xE0) {
            const unsigned value = (unsigned(b & 0x1F) << 6) | (in[i + 1] & 0x3F);
            *to++ = value < 0x100 ? char(value) : '?';
            i += 2;
        } else {
            *to++ = '?';
            i += b < 0xF0 ? 3 : 4;
        }
    }
    out.resize(int(to - out.constData()));
}

QByteArray utf8FromEditorBytes(const QByteArray& editorBytes, bool unicode)
{
    const char* bytes = editorBytes.constData();
    const int length = editorBytes.size();
    if (length == 0)
        return QByteArray();
    if (isAscii(bytes, length) || (unicode && isStrictUtf8(bytes, length)))
        return editorBytes;
    // Decoding makes no lone surrogate, so the string goes back into UTF-8 unchanged.
    if (unicode)
        return decodeUtf8(bytes, length).toUtf8();
    QByteArray utf8;
    appendLatin1AsUtf8(bytes, length, utf8);
    return utf8;
}

bool isStrictUtf8(const char* bytes, qsizetype length)
{
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    qsizetype i = 0;
    while (i < length) {
        const unsigned char b = in[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int follow = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            follow = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            follow = 2;
            if (b == 0xE0)
                low = 0xA0; // overlong below
            else if (b == 0xED)
                high = 0x9F; // surrogates above
        } else if (b >= 0xF0 && b <= 0xF4) {
            follow = 3;
            if (b == 0xF0)
                low = 0x90;
            else if (b == 0xF4)
                high = 0x8F; // beyond U+10FFFF above
        } else {
            return false;
        }
        if (length - i <= follow)
            return false;
        if (in[i + 1] < low || in[i + 1] > high)
            return false;
        for (int k = 2; k <= follow; ++k) {
            if ((in[i + k] & 0xC0) != 0x80)
                return false;
        }
        i += follow + 1;
    }
    return true;
}

int LineBreakFinder::find(char c, int from) const
{
    const void* found = from < m_size ? std::memchr(m_bytes + from, c, size_t(m_size - from)) : nullptr;
    return found ? int(static_cast<const char*>(found) - m_bytes) : m_size;
}

void LineSpans::clear()
{
    m_spans.clear();
    m_bytes = nullptr;
    m_clean = true;
    m_ascii = true;
}

void LineSpans::build(const char* bytes, int length, bool unicode)
{
    m_bytes = bytes;
    m_unicode = unicode;
    m_spans.clear();
    const int size = bytes ? qMax(0, length) : 0;
    m_ascii = ::isAscii(bytes, size);
    m_clean = !unicode || m_ascii || isStrictUtf8(bytes, size);
    const bool hasNul = size > 0 && std::memchr(bytes, 0, size_t(size)) != nullptr;
    // About one line per eight bytes is typical of columns; the vector grows past it on its own.
    m_spans.reserve(size_t(size / 8 + 1));
    LineBreakFinder breaks(bytes, size);
    int start = 0;
    for (;;) {
        const int at = breaks.next(start);
        int end = at;
        if (hasNul) {
            if (const void* nul = std::memchr(bytes + start, 0, size_t(at - start)))
                end = int(static_cast<const char*>(nul) - bytes);
        }
        m_spans.push_back(Span{start, end});
        if (at >= size)
            break;
        start = afterLineBreak(bytes, at, size);
    }
}

bool LineSpans::appendValue(int line, QByteArray& out, bool targetUnicode) const
{
    if (!m_clean)
        return false;
    const Span s = m_spans[size_t(line)];
    const int length = s.end - s.start;
    if (length <= 0)
        return true;
    const char* from = m_bytes + s.start;
    if (targetUnicode == m_unicode || m_ascii) {
        out.append(from, length);
        return true;
    }
    if (targetUnicode)
        appendLatin1AsUtf8(from, length, out);
    else
        appendUtf8AsLatin1(from, length, out);
    return true;
}
