#include "editor/ByteLineOps.h"

#include "editor/TextBytes.h"
#include "editor/TextUtils.h"
#include "engine/EventPacer.h"

#include <QChar>
#include <QRandomGenerator>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace ByteLineOps {
namespace {

using uchar = unsigned char;

struct Span
{
    int start;
    int end;
    int size() const { return end - start; }
};

// Lets events run every few items: reading the clock for every line would cost as much as the line.
class Pace
{
public:
    Pace(const std::function<bool()>& stopRequested, int intervalMs) : m_pacer(stopRequested, intervalMs) {}
    // True once a stop has been asked for; it stays true.
    bool stopped(int items = 1)
    {
        if (m_stopped)
            return true;
        m_countdown -= items;
        if (m_countdown > 0)
            return false;
        m_countdown = Stride;
        m_stopped = m_pacer.pollStop();
        return m_stopped;
    }

private:
    static constexpr int Stride = 512;
    EventPacer m_pacer;
    int m_countdown = 0;
    bool m_stopped = false;
};

bool isAsciiSpace(uchar b)
{
    return b == ' ' || (b >= 9 && b <= 13);
}

bool hasHighByte(const uchar* p, int n)
{
    return !isAscii(reinterpret_cast<const char*>(p), n);
}

// The text's lines as spans; every break ends a line, the rest after the last one is a line too. Events
// run meanwhile; a stop asked for then is taken up by the step that follows.
void splitLines(const char* bytes, int size, std::vector<Span>* spans, Pace& pace)
{
    spans->reserve(size_t(size / 8 + 1));
    LineBreakFinder breaks(bytes, size);
    for (int start = 0;;) {
        const int at = breaks.next(start);
        spans->push_back(Span{start, at});
        if (at >= size)
            return;
        start = afterLineBreak(bytes, at, size);
        pace.stopped();
    }
}

// Room for the text and a break and a few spaces a line, within what a QByteArray holds.
int reserveFor(qint64 size, size_t lines, int perLine)
{
    return int(std::min<qint64>(qint64(INT_MAX) - 64, size + qint64(lines) * perLine));
}

QString decodeLine(const uchar* p, int n, bool unicode)
{
    const char* c = reinterpret_cast<const char*>(p);
    return unicode ? decodeUtf8(c, n) : QString::fromLatin1(c, n);
}

// The code point of strict UTF-8 at p, and its length in bytes.
uint decodeAt(const uchar* p, int* length)
{
    const uchar b = p[0];
    if (b < 0x80) {
        *length = 1;
        return b;
    }
    if (b < 0xE0) {
        *length = 2;
        return (uint(b & 0x1F) << 6) | (p[1] & 0x3F);
    }
    if (b < 0xF0) {
        *length = 3;
        return (uint(b & 0x0F) << 12) | (uint(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    }
    *length = 4;
    return (uint(b & 0x07) << 18) | (uint(p[1] & 0x3F) << 12) | (uint(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
}

// QString::trimmed and the empty-line test take every UTF-16 unit QChar::isSpace calls white; no
// character beyond U+FFFF is one.
bool isSpaceCode(uint code)
{
    return code <= 0xFFFF && QChar::isSpace(code);
}

// The span without the white space QString::trimmed removes.
Span trimmed(const uchar* base, Span s, bool unicode)
{
    if (!unicode) {
        while (s.start < s.end && QChar::isSpace(uint(base[s.start])))
            ++s.start;
        while (s.end > s.start && QChar::isSpace(uint(base[s.end - 1])))
            --s.end;
        return s;
    }
    while (s.start < s.end) {
        const uchar b = base[s.start];
        if (b < 0x80) {
            if (!isAsciiSpace(b))
                break;
            ++s.start;
            continue;
        }
        int length = 0;
        if (!isSpaceCode(decodeAt(base + s.start, &length)))
            break;
        s.start += length;
    }
    while (s.end > s.start) {
        const uchar b = base[s.end - 1];
        if (b < 0x80) {
            if (!isAsciiSpace(b))
                break;
            --s.end;
            continue;
        }
        int from = s.end - 1;
        while (from > s.start && (base[from] & 0xC0) == 0x80)
            --from;
        int length = 0;
        if (!isSpaceCode(decodeAt(base + from, &length)))
            break;
        s.end = from;
    }
    return s;
}

// LineList::width on the line's bytes: UTF-16 units in ANSI mode, displayWidth in UTF-8 mode.
class Widths
{
public:
    Widths()
    {
        for (int b = 0; b < 0x80; ++b)
            m_ascii[b] = uchar(charWidth(QChar(b)));
    }

    int operator()(const uchar* p, int n, bool unicode) const
    {
        if (!unicode)
            return n;
        int width = 0;
        for (int i = 0; i < n;) {
            if (p[i] < 0x80) {
                width += m_ascii[p[i++]];
                continue;
            }
            int length = 0;
            const uint code = decodeAt(p + i, &length);
            i += length;
            if (code <= 0xFFFF)
                width += charWidth(QChar(ushort(code)));
            else
                width += charWidth(QChar(QChar::highSurrogate(code))) + charWidth(QChar(QChar::lowSurrogate(code)));
        }
        return width;
    }

private:
    uchar m_ascii[0x80];
};

// Builds the result line by line, each joined to the one before with the break.
class Output
{
public:
    Output(const QByteArray& eol, int reserve) : m_eol(eol) { m_bytes.reserve(reserve); }
    void beginLine()
    {
        if (m_lines++ > 0)
            m_bytes.append(m_eol);
    }
    void append(const uchar* p, int n) { m_bytes.append(reinterpret_cast<const char*>(p), n); }
    // A line as it is.
    void appendLine(const uchar* base, Span s)
    {
        beginLine();
        append(base + s.start, s.size());
    }
    // The lines from the one at from on, as they are.
    void appendLines(const uchar* base, const std::vector<Span>& spans, size_t from)
    {
        for (size_t i = from; i < spans.size(); ++i)
            appendLine(base, spans[i]);
    }
    void appendSpaces(int n)
    {
        if (n > 0)
            m_bytes.append(n, ' ');
    }
    QByteArray& bytes() { return m_bytes; }
    Result result()
    {
        Result r;
        r.bytes = std::move(m_bytes);
        r.noLines = m_lines == 0;
        return r;
    }

private:
    QByteArray m_eol;
    QByteArray m_bytes;
    int m_lines = 0;
};

// Upper, lower and swapped case of the ASCII bytes; the others stay.
struct CaseMaps
{
    uchar upper[0x80];
    uchar lower[0x80];
    uchar swap[0x80];
    CaseMaps()
    {
        for (int b = 0; b < 0x80; ++b) {
            upper[b] = uchar(b >= 'a' && b <= 'z' ? b - 32 : b);
            lower[b] = uchar(b >= 'A' && b <= 'Z' ? b + 32 : b);
            swap[b] = b >= 'A' && b <= 'Z' ? lower[b] : upper[b];
        }
    }
};

// The length of the first character of a line: a surrogate pair is one character to LineList too.
int firstCharSize(const uchar* p, bool unicode)
{
    if (!unicode || p[0] < 0xC0)
        return 1;
    return p[0] < 0xE0 ? 2 : p[0] < 0xF0 ? 3 : 4;
}

int lastCharStart(const uchar* p, int n, bool unicode)
{
    int from = n - 1;
    if (unicode) {
        while (from > 0 && (p[from] & 0xC0) == 0x80)
            --from;
    }
    return from;
}

// The operations that rewrite each line on its own: case, truncate and strip. A byte step either
// writes the line's result and returns true, or writes nothing and returns false for a line only a
// string step gets right.
Result rewriteLines(const uchar* base, const std::vector<Span>& spans, const QByteArray& eol, bool unicode,
                    Operation op, int size, Pace& pace)
{
    static const CaseMaps maps;
    const uchar* map = op == Operation::Upper || op == Operation::UpperFirstChar ? maps.upper
                       : op == Operation::SwapCase                               ? maps.swap
                                                                                 : maps.lower;
    Output out(eol, reserveFor(size, spans.size(), eol.size()));
    auto appendMapped = [&](const uchar* p, int n, int mapped) {
        const int at = out.bytes().size();
        out.append(p, n);
        uchar* to = reinterpret_cast<uchar*>(out.bytes().data()) + at;
        for (int k = 0; k < mapped; ++k)
            to[k] = map[to[k]];
    };
    auto bytesStep = [&](const uchar* p, int n) {
        switch (op) {
        case Operation::Upper:
        case Operation::Lower:
        case Operation::SwapCase:
            // Outside ASCII a character may change its length or leave Latin-1 ("ß", "ÿ").
            if (hasHighByte(p, n))
                return false;
            appendMapped(p, n, n);
            return true;
        case Operation::UpperFirstChar:
        case Operation::LowerFirstChar:
            if (n > 0 && p[0] >= 0x80)
                return false;
            appendMapped(p, n, std::min(n, 1));
            return true;
        case Operation::TruncateLeft:
            if (n > 0) {
                const int first = firstCharSize(p, unicode);
                out.append(p + first, n - first);
            }
            return true;
        case Operation::TruncateRight:
            if (n > 0)
                out.append(p, lastCharStart(p, n, unicode));
            return true;
        case Operation::LStrip: {
            // The left and right strips take the six ASCII characters CR, LF, TAB, FF, VT and space.
            int b = 0;
            while (b < n && isAsciiSpace(p[b]))
                ++b;
            out.append(p + b, n - b);
            return true;
        }
        case Operation::RStrip: {
            int e = n;
            while (e > 0 && isAsciiSpace(p[e - 1]))
                --e;
            out.append(p, e);
            return true;
        }
        case Operation::Strip: {
            const Span t = trimmed(p, Span{0, n}, unicode);
            out.append(p + t.start, t.size());
            return true;
        }
        default:
            return true;
        }
    };
    auto stringStep = [op](QString& line) {
        switch (op) {
        case Operation::Upper:
            line = line.toUpper();
            break;
        case Operation::Lower:
            line = line.toLower();
            break;
        case Operation::SwapCase:
            line = swapCaseText(line);
            break;
        case Operation::UpperFirstChar:
            line[0] = line.at(0).toUpper();
            break;
        case Operation::LowerFirstChar:
            line[0] = line.at(0).toLower();
            break;
        default:
            break;
        }
    };
    const size_t n = spans.size();
    size_t i = 0;
    for (; i < n && !pace.stopped(); ++i) {
        const Span s = spans[i];
        const uchar* p = base + s.start;
        out.beginLine();
        if (!bytesStep(p, s.size())) {
            QString line = decodeLine(p, s.size(), unicode);
            stringStep(line);
            appendEditorText(line, unicode, out.bytes());
        }
    }
    // A stop keeps the lines not reached as they were.
    out.appendLines(base, spans, i);
    return out.result();
}

Result removeEmptyLines(const uchar* base, const std::vector<Span>& spans, const QByteArray& eol, bool unicode,
                        int size, Pace& pace)
{
    Output out(eol, reserveFor(size, spans.size(), eol.size()));
    const size_t n = spans.size();
    size_t i = 0;
    for (; i < n && !pace.stopped(); ++i) {
        const Span t = trimmed(base, spans[i], unicode);
        if (t.start != t.end)
            out.appendLine(base, spans[i]);
    }
    out.appendLines(base, spans, i);
    return out.result();
}

// Fill (pad) or align: each line is followed (or surrounded) by spaces up to the widest line.
Result padOrAlign(const uchar* base, std::vector<Span> spans, const QByteArray& eol, bool unicode, Operation op,
                  int size, Pace& pace)
{
    const size_t n = spans.size();
    const std::vector<Span> original = op == Operation::Pad ? std::vector<Span>() : spans;
    Output out(eol, reserveFor(size, n, eol.size()));
    if (op != Operation::Pad) {
        // Align trims every line first; a stop there leaves the rest untrimmed and adds no space.
        for (size_t i = 0; i < n; ++i) {
            if (pace.stopped()) {
                for (size_t k = 0; k < n; ++k)
                    out.appendLine(base, k < i ? spans[k] : original[k]);
                return out.result();
            }
            spans[i] = trimmed(base, spans[i], unicode);
        }
        if (op == Operation::AlignLeft) {
            out.appendLines(base, spans, 0);
            return out.result();
        }
    }
    static const Widths widthOf;
    std::vector<int> widths(n);
    int maxWidth = 0;
    for (size_t i = 0; i < n; ++i) {
        if (pace.stopped()) {
            // No line padded yet.
            out.appendLines(base, spans, 0);
            return out.result();
        }
        widths[i] = widthOf(base + spans[i].start, spans[i].size(), unicode);
        maxWidth = std::max(maxWidth, widths[i]);
    }
    out.bytes().reserve(reserveFor(size, n, eol.size() + 8));
    size_t i = 0;
    for (; i < n && !pace.stopped(); ++i) {
        const Span s = spans[i];
        const int d = maxWidth - widths[i];
        out.beginLine();
        if (op == Operation::AlignRight) {
            out.appendSpaces(d);
            out.append(base + s.start, s.size());
        } else if (op == Operation::AlignCenter) {
            out.appendSpaces(d / 2);
            out.append(base + s.start, s.size());
            out.appendSpaces(d - d / 2);
        } else {
            out.append(base + s.start, s.size());
            out.appendSpaces(d);
        }
    }
    out.appendLines(base, spans, i);
    return out.result();
}

// The lines in the order of the indices, in one buffer; false on a stop.
template <typename IndexOf>
bool gather(const uchar* base, const std::vector<Span>& spans, size_t count, IndexOf indexOf, const QByteArray& eol,
            Pace& pace, QByteArray* out)
{
    qint64 total = count > 0 ? qint64(count - 1) * eol.size() : 0;
    for (const Span& s : spans)
        total += s.size();
    out->resize(int(total));
    char* to = out->data();
    const int eolSize = eol.size();
    for (size_t k = 0; k < count; ++k) {
        if (pace.stopped())
            return false;
        if (k > 0) {
            std::memcpy(to, eol.constData(), size_t(eolSize));
            to += eolSize;
        }
        const Span s = spans[indexOf(k)];
        std::memcpy(to, base + s.start, size_t(s.size()));
        to += s.size();
    }
    return true;
}

// No result: the text is to stay as it was.
Result stopped()
{
    Result r;
    r.outcome = Outcome::Stopped;
    return r;
}

Result gathered(const uchar* base, const std::vector<Span>& spans, const QByteArray& eol, Pace& pace,
                const std::function<size_t(size_t)>& indexOf)
{
    Result r;
    if (!gather(base, spans, spans.size(), indexOf, eol, pace, &r.bytes))
        return stopped();
    return r;
}

// The key QString::toInt(&ok, 10) gives an ASCII line (0 where it fails); false for a line with a
// byte above 0x7F, which only the string conversion reads right (Unicode spaces, minus sign).
bool asciiNumberKey(const uchar* p, int n, int* key)
{
    if (hasHighByte(p, n))
        return false;
    *key = 0;
    int b = 0;
    int e = n;
    while (b < e && isAsciiSpace(p[b]))
        ++b;
    while (e > b && isAsciiSpace(p[e - 1]))
        --e;
    bool negative = false;
    if (b < e && (p[b] == '+' || p[b] == '-')) {
        negative = p[b] == '-';
        ++b;
    }
    if (b == e)
        return true;
    qint64 value = 0;
    for (; b < e; ++b) {
        const uchar c = p[b];
        if (c < '0' || c > '9')
            return true;
        // Beyond 2^40 the value is out of range whatever follows; leading zeros never get there.
        if (value < (qint64(1) << 40))
            value = value * 10 + (c - '0');
    }
    if (negative)
        value = -value;
    if (value >= INT_MIN && value <= INT_MAX)
        *key = int(value);
    return true;
}

// A stable sort by key: (key, line) pairs in one 64-bit word, sorted by the key's 32 bits with two
// stable 16-bit radix passes over words that start in line order.
bool sortNumbers(const uchar* base, const std::vector<Span>& spans, bool unicode, bool ascending, Pace& pace,
                 std::vector<quint64>* order)
{
    const size_t n = spans.size();
    std::vector<quint64>& a = *order;
    a.resize(n);
    for (size_t i = 0; i < n; ++i) {
        if (pace.stopped())
            return false;
        const Span s = spans[i];
        int key = 0;
        if (!asciiNumberKey(base + s.start, s.size(), &key)) {
            bool ok = false;
            key = decodeLine(base + s.start, s.size(), unicode).toInt(&ok, 10);
            if (!ok)
                key = 0;
        }
        // Descending takes the greater-than order directly, equal keys staying in line order.
        quint32 bits = quint32(key) ^ 0x80000000u;
        if (!ascending)
            bits = ~bits;
        a[i] = (quint64(bits) << 32) | quint64(i);
    }
    std::vector<quint64> b(n);
    std::vector<size_t> count(1 << 16);
    for (const int shift : {32, 48}) {
        std::fill(count.begin(), count.end(), 0);
        for (size_t i = 0; i < n; ++i) {
            if (pace.stopped())
                return false;
            ++count[size_t((a[i] >> shift) & 0xFFFF)];
        }
        if (std::find(count.begin(), count.end(), n) != count.end())
            continue; // one bucket: this pass would change nothing
        size_t sum = 0;
        for (size_t& c : count) {
            const size_t here = c;
            c = sum;
            sum += here;
        }
        for (size_t i = 0; i < n; ++i) {
            if (pace.stopped())
                return false;
            b[count[size_t((a[i] >> shift) & 0xFFFF)]++] = a[i];
        }
        a.swap(b);
    }
    return true;
}

struct TextItem
{
    quint64 prefix; // the first eight bytes in sort order, big-endian, zeros after the end
    quint32 start;
    quint32 size;
};

// UTF-16 order on UTF-8 bytes: byte order is code point order, which differs from UTF-16 order only
// between U+E000..U+FFFF (lead bytes EE, EF) and the characters beyond U+FFFF (lead bytes F0..F4),
// whose surrogates come first in UTF-16. Mapping F0..F4 below EE, EF fixes that; no other byte
// moves, and a continuation byte is only ever compared with another of the same character.
struct ByteOrder
{
    uchar map[256];
    explicit ByteOrder(bool unicode)
    {
        for (int b = 0; b < 256; ++b)
            map[b] = uchar(b);
        if (unicode) {
            for (int b = 0xF0; b <= 0xF4; ++b)
                map[b] = uchar(b - 2);
            map[0xEE] = 0xF3;
            map[0xEF] = 0xF4;
        }
    }
};

class TextLess
{
public:
    // skip: the bytes every line starts with, which the prefixes begin after.
    TextLess(const uchar* base, const uchar* map, quint32 skip) : m_base(base), m_map(map), m_skip(skip) {}
    bool operator()(const TextItem& a, const TextItem& b) const
    {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const quint32 n = std::min(a.size, b.size);
        const uchar* pa = m_base + a.start;
        const uchar* pb = m_base + b.start;
        // Equal prefixes: the first min(skip + 8, n) bytes agree.
        quint32 i = std::min(m_skip + 8, n);
        for (; i + 8 <= n; i += 8) {
            quint64 x;
            quint64 y;
            std::memcpy(&x, pa + i, 8);
            std::memcpy(&y, pb + i, 8);
            if (x != y)
                break;
        }
        for (; i < n; ++i) {
            if (pa[i] != pb[i])
                return m_map[pa[i]] < m_map[pb[i]];
        }
        return a.size < b.size;
    }

private:
    const uchar* m_base;
    const uchar* m_map;
    quint32 m_skip;
};

// Sorts items[0, n) in chunks that take a few ms each, then merges them pass by pass through scratch
// (room for n), events running in between.
template <typename T, typename Less> bool pacedSort(T* items, size_t n, T* scratch, Less less, Pace& pace)
{
    constexpr size_t Chunk = 1 << 14;
    for (size_t from = 0; from < n; from += Chunk) {
        const size_t to = std::min(n, from + Chunk);
        std::sort(items + from, items + to, less);
        if (pace.stopped(int(to - from)))
            return false;
    }
    T* in = items;
    T* out = scratch;
    for (size_t width = Chunk; width < n; width *= 2) {
        for (size_t from = 0; from < n; from += 2 * width) {
            const size_t mid = std::min(n, from + width);
            const size_t to = std::min(n, from + 2 * width);
            size_t i = from;
            size_t j = mid;
            size_t k = from;
            while (i < mid && j < to) {
                // Taking the right one only when it is less keeps the merge stable.
                out[k++] = less(in[j], in[i]) ? in[j++] : in[i++];
                if ((k & 1023) == 0 && pace.stopped(1024))
                    return false;
            }
            std::copy(in + i, in + mid, out + k);
            k += mid - i;
            std::copy(in + j, in + to, out + k);
        }
        std::swap(in, out);
        if (pace.stopped())
            return false;
    }
    if (in != items)
        std::copy(in, in + n, items);
    return true;
}

// Sorts the lines by their prefixes first: one radix pass on the 16 bits after those all prefixes
// share, then every bucket on its own (most hold a few lines), with the full comparison. The prefixes
// start after the bytes all lines begin with, so that lines such as URLs are told apart by them too.
bool sortText(const uchar* base, const std::vector<Span>& spans, bool unicode, Pace& pace, std::vector<TextItem>* items)
{
    const ByteOrder order(unicode);
    const size_t n = spans.size();
    int skip = n > 0 ? spans[0].size() : 0;
    const uchar* line0 = n > 0 ? base + spans[0].start : base;
    for (size_t i = 1; i < n && skip > 0; ++i) {
        if (pace.stopped())
            return false;
        const uchar* p = base + spans[i].start;
        const int m = std::min(skip, spans[i].size());
        int k = 0;
        while (k < m && p[k] == line0[k])
            ++k;
        skip = k;
    }
    std::vector<TextItem> in(n);
    quint64 differ = 0;
    quint64 first = 0;
    for (size_t i = 0; i < n; ++i) {
        if (pace.stopped())
            return false;
        const Span s = spans[i];
        const uchar* p = base + s.start + skip;
        const int m = std::min(8, s.size() - skip);
        quint64 prefix = 0;
        for (int k = 0; k < m; ++k)
            prefix |= quint64(order.map[p[k]]) << (56 - 8 * k);
        in[i] = TextItem{prefix, quint32(s.start), quint32(s.size())};
        if (i == 0)
            first = prefix;
        differ |= prefix ^ first;
    }
    const TextLess less(base, order.map, quint32(skip));
    if (n < (size_t(1) << 14)) {
        // Few lines: the buckets would cost more than they save.
        items->swap(in);
        std::vector<TextItem> scratch(n);
        return pacedSort(items->data(), n, scratch.data(), less, pace);
    }
    const int shared = differ == 0 ? 0 : qCountLeadingZeroBits(differ);
    auto bucketOf = [shared](quint64 prefix) { return size_t((prefix << shared) >> 48); };
    std::vector<size_t> start(size_t(1) << 16 | 1);
    for (size_t i = 0; i < n; ++i) {
        if (pace.stopped())
            return false;
        ++start[bucketOf(in[i].prefix) + 1];
    }
    for (size_t b = 1; b < start.size(); ++b)
        start[b] += start[b - 1];
    items->resize(n);
    TextItem* out = items->data();
    {
        std::vector<size_t> next(start.begin(), start.end() - 1);
        for (size_t i = 0; i < n; ++i) {
            if (pace.stopped())
                return false;
            out[next[bucketOf(in[i].prefix)]++] = in[i];
        }
    }
    for (size_t b = 0; b + 1 < start.size(); ++b) {
        const size_t from = start[b];
        const size_t size = start[b + 1] - from;
        if (size < 2)
            continue;
        if (!pacedSort(out + from, size, in.data() + from, less, pace))
            return false;
        if (pace.stopped(int(std::min<size_t>(size, INT_MAX))))
            return false;
    }
    return true;
}

} // namespace

Result run(Operation op, const QByteArray& text, const QByteArray& eol, bool unicode,
           const std::function<bool()>& stopRequested, int intervalMs)
{
    const char* bytes = text.constData();
    const int size = text.size();
    if (unicode && !isAscii(bytes, size) && !isStrictUtf8(bytes, size)) {
        Result r;
        r.outcome = Outcome::NeedsStrings;
        return r;
    }
    Pace pace(stopRequested, intervalMs);
    const auto* base = reinterpret_cast<const uchar*>(bytes);
    std::vector<Span> spans;
    splitLines(bytes, size, &spans, pace);
    switch (op) {
    case Operation::Upper:
    case Operation::Lower:
    case Operation::UpperFirstChar:
    case Operation::LowerFirstChar:
    case Operation::SwapCase:
    case Operation::TruncateLeft:
    case Operation::TruncateRight:
    case Operation::LStrip:
    case Operation::RStrip:
    case Operation::Strip:
        return rewriteLines(base, spans, eol, unicode, op, size, pace);
    case Operation::Shuffle: {
        // LineList's Fisher-Yates on the line numbers, from the same generator.
        std::vector<quint32> order(spans.size());
        for (size_t k = 0; k < order.size(); ++k)
            order[k] = quint32(k);
        QRandomGenerator* random = QRandomGenerator::global();
        const size_t n = order.size();
        for (size_t k = 0; k + 1 < n; ++k) {
            if (pace.stopped())
                return stopped();
            const size_t j = k + size_t(random->bounded(quint32(n - k)));
            std::swap(order[k], order[j]);
        }
        return gathered(base, spans, eol, pace, [&order](size_t k) { return size_t(order[k]); });
    }
    case Operation::RemoveEmptyLines:
        return removeEmptyLines(base, spans, eol, unicode, size, pace);
    case Operation::Pad:
    case Operation::AlignLeft:
    case Operation::AlignRight:
    case Operation::AlignCenter:
        return padOrAlign(base, std::move(spans), eol, unicode, op, size, pace);
    case Operation::Reverse: {
        const size_t n = spans.size();
        return gathered(base, spans, eol, pace, [n](size_t k) { return n - 1 - k; });
    }
    case Operation::SortNumberAscending:
    case Operation::SortNumberDescending: {
        std::vector<quint64> order;
        if (!sortNumbers(base, spans, unicode, op == Operation::SortNumberAscending, pace, &order))
            return stopped();
        return gathered(base, spans, eol, pace, [&order](size_t k) { return size_t(order[k] & 0xFFFFFFFFu); });
    }
    case Operation::SortTextAscending:
    case Operation::SortTextDescending: {
        std::vector<TextItem> items;
        if (!sortText(base, spans, unicode, pace, &items))
            return stopped();
        // The lines of a span are found by their start; descending is the ascending order reversed,
        // as LineList does it (equal lines are equal bytes, so their order cannot show).
        std::vector<Span> sorted(items.size());
        const bool ascending = op == Operation::SortTextAscending;
        const size_t n = items.size();
        for (size_t k = 0; k < n; ++k) {
            const TextItem& item = items[ascending ? k : n - 1 - k];
            sorted[k] = Span{int(item.start), int(item.start + item.size)};
        }
        return gathered(base, sorted, eol, pace, [](size_t k) { return k; });
    }
    }
    return Result();
}

} // namespace ByteLineOps
