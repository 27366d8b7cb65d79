#include "tools/CellTable.h"

#include "editor/TextBytes.h"
#include "editor/TextUtils.h"
#include "engine/EventPacer.h"
#include "engine/MemoryHints.h"

#include <QSet>

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <limits>
#include <utility>

namespace {

using Span = CellTable::Span;

int wrapIndex(int index, int count)
{
    if (count <= 0)
        return -1;
    const int rest = index % count;
    return rest < 0 ? rest + count : rest;
}

// Number of UTF-16 units of the character at i: a surrogate pair is one character, so that
// splitting at every character never cuts one in half.
int charLength(QStringView text, int i)
{
    return text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
}

uint codePointAt(QStringView text, int i, int length)
{
    return length == 2 ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
}

bool isBlank(const QChar* data, int length)
{
    return std::all_of(data, data + length, [](QChar c) { return c.isSpace(); });
}

// The characters of a filter, looked up in constant time while walking a text.
class SeparatorSet
{
public:
    explicit SeparatorSet(const QString& chars) : m_basic(0x10000)
    {
        for (int i = 0, length = 0; i < chars.size(); i += length) {
            length = charLength(chars, i);
            const uint code = codePointAt(chars, i, length);
            if (code < 0x10000)
                m_basic.setBit(int(code));
            else
                m_astral.insert(code);
        }
    }

    bool contains(uint code) const { return code < 0x10000 ? m_basic.testBit(int(code)) : m_astral.contains(code); }

private:
    QBitArray m_basic;
    QSet<uint> m_astral;
};

// Number of UTF-16 units of the character at data[i], end being the end of its text.
int charLengthAt(const QChar* data, int i, int end)
{
    return data[i].isHighSurrogate() && i + 1 < end && data[i + 1].isLowSurrogate() ? 2 : 1;
}

int countCharacters(const QChar* data, int length)
{
    int count = 0;
    for (int i = 0; i < length; i += charLengthAt(data, i, length))
        ++count;
    return count;
}

void appendSpace(QString& text)
{
    text += QLatin1Char(' ');
}

// Calls take(start, length) for every line of text, cut exactly as splitTextLines cuts them;
// stops, returning false, as soon as take does.
template <typename Take> bool forEachLine(const QString& text, Take take)
{
    // The next break is looked for by a loop of its own: in one loop with the calls of take(), the
    // index is compiled to live on the stack, and the walk over the characters is much slower.
    const auto isBreak = [](QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r'); };
    const QChar* data = text.constData();
    const int size = text.size();
    int start = 0;
    for (int i = 0;; ++i) {
        i = int(std::find_if(data + i, data + size, isBreak) - data);
        if (i == size)
            break;
        if (!take(start, i - start))
            return false;
        if (data[i] == QLatin1Char('\r') && i + 1 < size && data[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    return start >= size || take(start, size - start);
}

// Runs of separators count as one and leading ones give nothing, but the cell that is open at the
// end is always kept, so a trailing separator leaves one empty last cell.
void splitAtCharacters(const QChar* data, Span unit, const SeparatorSet& separators, QVector<Span>& cells)
{
    const int end = unit.start + unit.length;
    int start = unit.start;
    for (int i = start; i < end; ++i) {
        const ushort code = data[i].unicode();
        const bool surrogatePair = QChar::isHighSurrogate(code) && i + 1 < end && data[i + 1].isLowSurrogate();
        const bool separator = surrogatePair ? separators.contains(QChar::surrogateToUcs4(data[i], data[i + 1]))
                                             : separators.contains(code);
        if (separator) {
            if (i > start)
                cells.append({start, i - start});
            start = i + (surrogatePair ? 2 : 1);
        }
        if (surrogatePair)
            ++i;
    }
    cells.append({start, end - start});
}

// As QString::split with empty parts kept: the parts between the occurrences of filter.
void splitAtWord(const QChar* data, Span unit, const QString& filter, QVector<Span>& cells)
{
    const QStringView text(data + unit.start, unit.length);
    int start = 0;
    for (qsizetype found = text.indexOf(filter); found >= 0; found = text.indexOf(filter, start)) {
        cells.append({unit.start + start, int(found) - start});
        start = int(found) + filter.size();
    }
    cells.append({unit.start + start, unit.length - start});
}

// --- the pool's bytes ---

// Bytes of the UTF-8 sequence that starts with lead (the pool holds no other kind).
int sequenceLength(unsigned char lead)
{
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

uint codeOfSequence(const unsigned char* in, int length)
{
    switch (length) {
    case 1:
        return in[0];
    case 2:
        return (uint(in[0] & 0x1F) << 6) | (in[1] & 0x3F);
    case 3:
        return (uint(in[0] & 0x0F) << 12) | (uint(in[1] & 0x3F) << 6) | (in[2] & 0x3F);
    default:
        return (uint(in[0] & 0x07) << 18) | (uint(in[1] & 0x3F) << 12) | (uint(in[2] & 0x3F) << 6) | (in[3] & 0x3F);
    }
}

// Appends text as the pool holds it: UTF-8, with a lone surrogate as the three bytes its value would
// take. A pair always becomes one four-byte character, so equal strings give equal bytes. Returns
// whether a lone surrogate went in.
bool appendPoolText(QStringView text, QByteArray& out)
{
    const qsizetype size = text.size();
    const QChar* units = text.data();
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const ushort u = units[i].unicode();
        bytes += u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
    }
    const int base = out.size();
    out.resize(int(base + bytes));
    auto* to = reinterpret_cast<unsigned char*>(out.data() + base);
    bool lone = false;
    for (qsizetype i = 0; i < size; ++i) {
        const ushort u = units[i].unicode();
        if (u < 0x80) {
            *to++ = static_cast<unsigned char>(u);
        } else if (u < 0x800) {
            *to++ = static_cast<unsigned char>(0xC0 | (u >> 6));
            *to++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
        } else if (QChar::isHighSurrogate(u) && i + 1 < size && units[i + 1].isLowSurrogate()) {
            const uint code = QChar::surrogateToUcs4(u, units[++i].unicode());
            *to++ = static_cast<unsigned char>(0xF0 | (code >> 18));
            *to++ = static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F));
            *to++ = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
            *to++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
        } else {
            lone = lone || QChar::isSurrogate(u);
            *to++ = static_cast<unsigned char>(0xE0 | (u >> 12));
            *to++ = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
            *to++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
        }
    }
    // A pair took four bytes where its two units were counted at three each.
    out.resize(int(reinterpret_cast<char*>(to) - out.constData()));
    return lone;
}

QString decodePool(std::string_view bytes)
{
    QString text(int(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    int written = 0;
    for (size_t i = 0; i < size;) {
        const int length = sequenceLength(in[i]);
        const uint code = codeOfSequence(in + i, length);
        if (length == 4) {
            out[written++] = QChar(QChar::highSurrogate(code));
            out[written++] = QChar(QChar::lowSurrogate(code));
        } else {
            out[written++] = QChar(ushort(code));
        }
        i += size_t(length);
    }
    text.resize(written);
    return text;
}

bool hasLoneSurrogate(const QString& text)
{
    for (int i = 0; i < text.size(); i += charLength(text, i)) {
        if (text.at(i).isSurrogate())
            return true;
    }
    return false;
}

// The cells of a string split, moved onto a pool of their bytes. Runs of cells with the same range,
// as the padding spaces are, share their bytes.
bool moveToPool(const QString& text, QVector<Span>& cells, QByteArray& pool)
{
    bool lone = false;
    Span last{-1, 0};
    Span lastInPool;
    for (Span& cell : cells) {
        if (cell.length == 0) {
            cell = Span();
            continue;
        }
        if (cell.start == last.start && cell.length == last.length) {
            cell = lastInPool;
            continue;
        }
        last = cell;
        const int start = pool.size();
        lone = appendPoolText(QStringView(text.constData() + cell.start, cell.length), pool) || lone;
        cell = {start, pool.size() - start};
        lastInPool = cell;
    }
    return lone;
}

// --- cutting bytes, as the string functions above cut strings ---

// As QChar::isSpace over every character.
bool isBlank(const char* data, int length)
{
    const auto* in = reinterpret_cast<const unsigned char*>(data);
    for (int i = 0; i < length;) {
        const int n = sequenceLength(in[i]);
        if (!QChar::isSpace(codeOfSequence(in + i, n)))
            return false;
        i += n;
    }
    return true;
}

int countCharacters(const char* data, int length)
{
    // Every byte but the continuation bytes starts a character.
    const auto* in = reinterpret_cast<const unsigned char*>(data);
    return int(std::count_if(in, in + length, [](unsigned char b) { return (b & 0xC0) != 0x80; }));
}

int charLengthAt(const char* data, int i, int /*end*/)
{
    return sequenceLength(static_cast<unsigned char>(data[i]));
}

void appendSpace(QByteArray& text)
{
    text += ' ';
}

// forEachLine over bytes.
template <typename Take> bool forEachLine(const QByteArray& text, Take take)
{
    const char* data = text.constData();
    const int size = text.size();
    LineBreakFinder breaks(data, size);
    int start = 0;
    for (;;) {
        const int at = breaks.next(start);
        if (at >= size)
            break;
        if (!take(start, at - start))
            return false;
        start = afterLineBreak(data, at, size);
    }
    return start >= size || take(start, size - start);
}

// The filter characters for a walk over UTF-8: a table for ASCII, the set for the rest.
class ByteSeparators
{
public:
    explicit ByteSeparators(const QString& chars) : m_set(chars)
    {
        for (int i = 0, length = 0; i < chars.size(); i += length) {
            length = charLength(chars, i);
            const uint code = codePointAt(chars, i, length);
            if (code < 0x80)
                m_ascii[code] = true;
            else
                m_onlyAscii = false;
        }
    }

    bool containsAscii(unsigned char code) const { return m_ascii[code]; }
    bool onlyAscii() const { return m_onlyAscii; }
    bool containsWide(uint code) const { return !m_onlyAscii && m_set.contains(code); }

private:
    bool m_ascii[0x80] = {};
    bool m_onlyAscii = true;
    SeparatorSet m_set;
};

void splitBytesAtCharacters(const char* data, Span unit, const ByteSeparators& separators, QVector<Span>& cells)
{
    const auto* in = reinterpret_cast<const unsigned char*>(data);
    const int end = unit.start + unit.length;
    int start = unit.start;
    for (int i = start; i < end;) {
        const unsigned char b = in[i];
        int length = 1;
        bool separator;
        if (b < 0x80) {
            separator = separators.containsAscii(b);
        } else {
            length = sequenceLength(b);
            separator = separators.containsWide(codeOfSequence(in + i, length));
        }
        if (separator) {
            if (i > start)
                cells.append({start, i - start});
            start = i + length;
        }
        i += length;
    }
    cells.append({start, end - start});
}

// UTF-8 matches only at character starts, so the byte matches are the string matches.
void splitBytesAtWord(const char* data, Span unit, std::string_view word, QVector<Span>& cells)
{
    const std::string_view text(data + unit.start, size_t(unit.length));
    size_t start = 0;
    for (size_t found = text.find(word); found != std::string_view::npos; found = text.find(word, start)) {
        cells.append({unit.start + int(start), int(found - start)});
        start = found + word.size();
    }
    cells.append({unit.start + int(start), unit.length - int(start)});
}

// The common case in one pass: lines (one a row) cut at ASCII separators as they are met, the cells
// written straight into place. Gives the cells, row lengths and widest row of the two-pass way.
CellTable::SplitResult cutLinesAtAscii(const QByteArray& pool, const ByteSeparators& separators, EventPacer& pacer,
                                       qint64 cellLimit, QVector<Span>& cells, QVector<int>& lengths, int& widest)
{
    enum : unsigned char { Plain, Separator, Break };
    unsigned char kind[256] = {};
    for (int c = 0; c < 0x80; ++c)
        kind[c] = separators.containsAscii(static_cast<unsigned char>(c)) ? Separator : Plain;
    kind[static_cast<unsigned char>('\n')] = Break;
    kind[static_cast<unsigned char>('\r')] = Break;
    // With one or two separators, as is usual, the bytes that matter are sought sixteen at a time.
    QByteArray special;
    for (int c = 0; c < 0x80; ++c)
        if (kind[c] != Plain)
            special.append(char(c));
    FewBytesFinder finder;
    const bool fewSpecial = finder.setBytes(special);

    const auto* data = reinterpret_cast<const unsigned char*>(pool.constData());
    const int size = pool.size();
    // Written through a pointer, which costs far less than an append per cell. The room is taken at
    // once but opened a block at a time, so that clearing it is spread between the event turns; past
    // it, the room doubles.
    constexpr int Block = 1 << 16;
    cells.reserve(size / 8 + Block);
    Span* out = cells.data();
    int count = 0;
    const auto put = [&](int start, int length) {
        if (count == cells.size()) {
            const int room = cells.capacity() > count
                                 ? cells.capacity()
                                 : int(std::min<qint64>(qint64(count) * 2, std::numeric_limits<int>::max() / 2));
            const int grown = std::min(room, count + Block);
            if (cells.capacity() >= grown)
                prefaultForWrite(cells.constData() + count, size_t(grown - count) * sizeof(Span));
            cells.resize(grown);
            out = cells.data();
        }
        out[count++] = Span{start, length};
    };
    lengths.reserve(size / 16 + 1);
    widest = 0;
    for (int lineStart = 0; lineStart < size;) {
        if (pacer.pollStop())
            return CellTable::SplitResult::Stopped;
        const int rowStart = count;
        int cellStart = lineStart;
        int i = lineStart;
        for (;; ++i) {
            if (fewSpecial) {
                i = finder.next(pool.constData(), i, size);
            } else {
                while (i < size && kind[data[i]] == Plain)
                    ++i;
            }
            if (i >= size || kind[data[i]] == Break)
                break;
            if (i > cellStart)
                put(cellStart, i - cellStart);
            cellStart = i + 1;
        }
        put(cellStart, i - cellStart);
        // A blank line makes no row; most lines show that by their first byte.
        const unsigned char first = data[lineStart];
        const bool maybeBlank = i == lineStart || first >= 0x80 || QChar::isSpace(uint(first));
        if (maybeBlank && isBlank(pool.constData() + lineStart, i - lineStart)) {
            count = rowStart;
        } else {
            lengths.append(count - rowStart);
            widest = std::max(widest, count - rowStart);
            if (count > cellLimit)
                return CellTable::SplitResult::TooManyCells;
        }
        lineStart = i + (i + 1 < size && data[i] == '\r' && data[i + 1] == '\n' ? 2 : 1);
    }
    cells.resize(count);
    return CellTable::SplitResult::Done;
}

// Pads rows cut at a filter to the widest one; false when the padded grid passes the limit.
bool padRows(QVector<Span>& cells, QVector<int>& lengths, int cellCount, qint64 cellLimit)
{
    if (qint64(lengths.size()) * cellCount > cellLimit)
        return false;
    if (cells.size() != lengths.size() * cellCount) {
        QVector<Span> padded(lengths.size() * cellCount);
        for (int r = 0, from = 0; r < lengths.size(); from += lengths.at(r), ++r)
            std::copy(cells.constBegin() + from, cells.constBegin() + from + lengths.at(r),
                      padded.begin() + r * cellCount);
        cells = std::move(padded);
    }
    lengths.fill(cellCount);
    return true;
}

// --- the steps of a split, over a string or over UTF-8 ---

// Cuts text into padded rows: every line (or group of linesPerRow lines, joined by a space) that is
// not blank is a row, cut at every character when everyChar, else by cut(data, unit, cells). The
// cells are ranges of pool: the text itself, or its groups of lines. The overloads of isBlank,
// countCharacters, charLengthAt, appendSpace and forEachLine are where strings and bytes differ.
template <typename Text, typename Cut>
CellTable::SplitResult cutRows(const Text& text, int linesPerRow, bool everyChar, const Cut& cut, EventPacer& pacer,
                               qint64 cellLimit, Text& pool, QVector<Span>& cells, QVector<int>& lengths,
                               int& cellCount)
{
    // Blank units make no row. The longest unit sets the row width when every character is a cell.
    QVector<Span> units;
    int width = 0;
    int narrowest = INT_MAX;
    const auto keep = [&](int start, int length) {
        if (pacer.pollStop())
            return false;
        const auto* data = pool.constData() + start;
        if (isBlank(data, length))
            return true;
        units.append({start, length});
        if (everyChar) {
            const int count = countCharacters(data, length);
            width = std::max(width, count);
            narrowest = std::min(narrowest, count);
        }
        return true;
    };
    if (linesPerRow == 1) {
        pool = text;
        if (!forEachLine(pool, keep))
            return CellTable::SplitResult::Stopped;
    } else if (linesPerRow > 1) {
        QVector<Span> lines;
        forEachLine(text, [&lines](int start, int length) {
            lines.append({start, length});
            return true;
        });
        pool.reserve(text.size());
        QVector<Span> groups;
        groups.reserve(lines.size() / linesPerRow + 1);
        for (int i = 0; i < lines.size(); i += linesPerRow) {
            const int start = pool.size();
            for (int j = i; j < std::min(int(lines.size()), i + linesPerRow); ++j) {
                if (j > i)
                    appendSpace(pool);
                pool.append(text.constData() + lines.at(j).start, lines.at(j).length);
            }
            groups.append({start, pool.size() - start});
        }
        for (const Span& group : qAsConst(groups)) {
            if (!keep(group.start, group.length))
                return CellTable::SplitResult::Stopped;
        }
    }
    // Known before a single cell is made; the filtered widths only once the rows are cut.
    if (everyChar && qint64(units.size()) * width > cellLimit)
        return CellTable::SplitResult::TooManyCells;

    lengths.reserve(units.size());
    cellCount = 0;
    if (everyChar) {
        // Short rows are padded with spaces, all pointing at one put after the text.
        Span space;
        if (narrowest < width) {
            space = {pool.size(), 1};
            appendSpace(pool);
        }
        cells.reserve(units.size() * width);
        const auto* data = pool.constData();
        for (const Span& unit : qAsConst(units)) {
            if (pacer.pollStop())
                return CellTable::SplitResult::Stopped;
            const int end = unit.start + unit.length;
            int count = 0;
            for (int i = unit.start, length = 0; i < end; i += length, ++count) {
                length = charLengthAt(data, i, end);
                cells.append({i, length});
            }
            for (; count < width; ++count)
                cells.append(space);
        }
        cellCount = units.isEmpty() ? 0 : width;
        lengths.fill(cellCount, units.size());
        return CellTable::SplitResult::Done;
    }
    const auto* data = pool.constData();
    for (const Span& unit : qAsConst(units)) {
        if (pacer.pollStop())
            return CellTable::SplitResult::Stopped;
        const int before = cells.size();
        cut(data, unit, cells);
        const int count = cells.size() - before;
        // Rows of a text tend to have the same width: the first one sizes the grid.
        if (lengths.isEmpty())
            cells.reserve(int(std::min<qint64>(qint64(units.size()) * count, cellLimit + 1)));
        lengths.append(count);
        cellCount = std::max(cellCount, count);
        // The padded grid is at least as large as the cells made so far.
        if (cells.size() > cellLimit)
            return CellTable::SplitResult::TooManyCells;
    }
    // Shorter rows are padded with empty cells.
    if (!padRows(cells, lengths, cellCount, cellLimit))
        return CellTable::SplitResult::TooManyCells;
    return CellTable::SplitResult::Done;
}

} // namespace

CellTable::CellTable(const QString& text, const QString& filter, bool matchWholeWord, int linesPerRow)
{
    split(text, filter, matchWholeWord, linesPerRow);
}

CellTable::SplitResult CellTable::split(const QString& text, const QString& filter, bool matchWholeWord,
                                        int linesPerRow, const StopFunction& isStopRequested, qint64 cellLimit)
{
    // A unit costs about as little as reading the clock.
    EventPacer pacer(isStopRequested, EventPacer::DefaultIntervalMs, EventPacer::Clock::Adaptive);
    const SeparatorSet separators(matchWholeWord ? QString() : filter);
    const auto cut = [&](const QChar* data, Span unit, QVector<Span>& out) {
        if (matchWholeWord)
            splitAtWord(data, unit, filter, out);
        else
            splitAtCharacters(data, unit, separators, out);
    };
    QString pool;
    QVector<Span> cells;
    QVector<int> lengths;
    int cellCount = 0;
    const SplitResult result =
        cutRows(text, linesPerRow, filter.isEmpty(), cut, pacer, cellLimit, pool, cells, lengths, cellCount);
    if (result != SplitResult::Done)
        return result;

    QByteArray bytes;
    bytes.reserve(pool.size());
    const bool lone = moveToPool(pool, cells, bytes);
    adopt(std::move(cells), std::move(lengths), cellCount, std::move(bytes), lone, text, QByteArray(), filter,
          matchWholeWord);
    return SplitResult::Done;
}

CellTable::SplitResult CellTable::splitBytes(const QByteArray& bytes, bool unicode, const QString& filter,
                                             bool matchWholeWord, int linesPerRow, const StopFunction& isStopRequested,
                                             qint64 cellLimit)
{
    const QByteArray source = utf8FromEditorBytes(bytes, unicode);
    // Such a filter may cut a surrogate pair in two, which only a string can hold.
    if (hasLoneSurrogate(filter))
        return split(decodePool(std::string_view(source.constData(), size_t(source.size()))), filter, matchWholeWord,
                     linesPerRow, isStopRequested, cellLimit);

    // The same steps as split(), over UTF-8: the source holds no lone surrogate, so a character is
    // one sequence and a sequence one character.
    EventPacer pacer(isStopRequested, EventPacer::DefaultIntervalMs, EventPacer::Clock::Adaptive);
    const bool everyChar = filter.isEmpty();
    const ByteSeparators separators(matchWholeWord ? QString() : filter);
    QVector<Span> cells;
    QVector<int> lengths;
    int cellCount = 0;
    if (linesPerRow == 1 && !everyChar && !matchWholeWord && separators.onlyAscii()) {
        const SplitResult result = cutLinesAtAscii(source, separators, pacer, cellLimit, cells, lengths, cellCount);
        if (result != SplitResult::Done)
            return result;
        if (!padRows(cells, lengths, cellCount, cellLimit))
            return SplitResult::TooManyCells;
        adopt(std::move(cells), std::move(lengths), cellCount, QByteArray(source), false, QString(), source, filter,
              matchWholeWord);
        return SplitResult::Done;
    }

    const QByteArray word = matchWholeWord ? filter.toUtf8() : QByteArray();
    const auto cut = [&](const char* data, Span unit, QVector<Span>& out) {
        if (matchWholeWord)
            splitBytesAtWord(data, unit, std::string_view(word.constData(), size_t(word.size())), out);
        else
            splitBytesAtCharacters(data, unit, separators, out);
    };
    QByteArray pool;
    const SplitResult result =
        cutRows(source, linesPerRow, everyChar, cut, pacer, cellLimit, pool, cells, lengths, cellCount);
    if (result != SplitResult::Done)
        return result;
    adopt(std::move(cells), std::move(lengths), cellCount, std::move(pool), false, QString(), source, filter,
          matchWholeWord);
    return SplitResult::Done;
}

void CellTable::setCells(QVector<Span>&& cells, QVector<int>&& lengths, int columnCount, QByteArray&& pool,
                         bool poolHasSurrogates)
{
    m_cells = std::move(cells);
    m_rowLengths = std::move(lengths);
    m_columnCount = columnCount;
    m_pool = std::move(pool);
    m_poolHasSurrogates = poolHasSurrogates;
    m_poolBase = m_pool.size();
}

void CellTable::adopt(QVector<Span>&& cells, QVector<int>&& lengths, int columnCount, QByteArray&& pool,
                      bool poolHasSurrogates, const QString& sourceText, const QByteArray& sourceBytes,
                      const QString& filter, bool matchWholeWord)
{
    setCells(std::move(cells), std::move(lengths), columnCount, std::move(pool), poolHasSurrogates);
    m_sourceText = sourceText;
    m_sourceBytes = sourceBytes;
    m_filter = filter;
    m_matchWholeWord = matchWholeWord;
}

QString CellTable::sourceText() const
{
    return m_sourceBytes.isNull()
               ? m_sourceText
               : decodePool(std::string_view(m_sourceBytes.constData(), size_t(m_sourceBytes.size())));
}

QString CellTable::string(const Span& span) const
{
    return decodePool(view(span));
}

int CellTable::wrapRow(int row) const
{
    return wrapIndex(row, rowCount());
}

int CellTable::wrapColumn(int column) const
{
    return wrapIndex(column, m_columnCount);
}

CellTable::Span CellTable::store(const QString& text)
{
    if (text.isEmpty())
        return Span();
    if (m_pool.size() > 2 * m_poolBase + 65536 || m_pool.size() > std::numeric_limits<int>::max() / 2 - 3 * text.size())
        compactPool();
    const int start = m_pool.size();
    m_poolHasSurrogates = appendPoolText(text, m_pool) || m_poolHasSurrogates;
    return Span{start, m_pool.size() - start};
}

void CellTable::compactPool()
{
    qint64 size = 0;
    for (const Span& span : qAsConst(m_cells))
        size += span.length;
    QByteArray pool;
    pool.reserve(int(size));
    for (Span& span : m_cells) {
        if (span.length == 0) {
            span = Span();
            continue;
        }
        const int start = pool.size();
        pool.append(m_pool.constData() + span.start, span.length);
        span.start = start;
    }
    m_pool = std::move(pool);
    m_poolBase = m_pool.size();
}

void CellTable::setSpan(int row, int column, const Span& span)
{
    int& length = m_rowLengths[row];
    if (column < length)
        m_cells[row * m_columnCount + column] = span;
    else if (span.length > 0) {
        // The cells in between are empty already.
        m_cells[row * m_columnCount + column] = span;
        length = column + 1;
    }
}

void CellTable::updateColumnCount()
{
    const int widest = m_rowLengths.isEmpty() ? 0 : *std::max_element(m_rowLengths.cbegin(), m_rowLengths.cend());
    if (widest == m_columnCount)
        return;
    QVector<Span> cells(m_rowLengths.size() * widest);
    for (int r = 0; r < m_rowLengths.size(); ++r) {
        const auto from = m_cells.constBegin() + r * m_columnCount;
        std::copy(from, from + m_rowLengths.at(r), cells.begin() + r * widest);
    }
    m_cells = std::move(cells);
    m_columnCount = widest;
}

bool CellTable::sameCells(const CellTable& other) const
{
    if (m_rowLengths != other.m_rowLengths || m_columnCount != other.m_columnCount)
        return false;
    // Buffers that were never written since the copy hold the same cells.
    if (m_cells.constData() == other.m_cells.constData() && m_pool.constData() == other.m_pool.constData())
        return true;
    for (int r = 0; r < m_rowLengths.size(); ++r) {
        for (int c = 0; c < m_rowLengths.at(r); ++c) {
            if (view(r, c) != other.view(r, c))
                return false;
        }
    }
    return true;
}

QVector<CellTable::Row> CellTable::rows() const
{
    QVector<Row> rows;
    rows.reserve(rowCount());
    for (int r = 0; r < rowCount(); ++r)
        rows.append(row(r));
    return rows;
}

QString CellTable::cell(int row, int column) const
{
    row = wrapRow(row);
    column = wrapColumn(column);
    if (row < 0 || column < 0)
        return QString();
    return string(m_cells.at(row * m_columnCount + column));
}

CellTable::Row CellTable::row(int row) const
{
    row = wrapRow(row);
    Row cells;
    if (row < 0)
        return cells;
    cells.reserve(m_rowLengths.at(row));
    for (int c = 0; c < m_rowLengths.at(row); ++c)
        cells.append(string(m_cells.at(row * m_columnCount + c)));
    return cells;
}

QString CellTable::rowText(int row, const QString& separator) const
{
    return this->row(row).join(separator);
}

QStringList CellTable::column(int column) const
{
    QStringList cells;
    column = wrapColumn(column);
    if (column < 0)
        return cells;
    cells.reserve(rowCount());
    for (int r = 0; r < rowCount(); ++r)
        cells.append(string(m_cells.at(r * m_columnCount + column)));
    return cells;
}

QByteArray CellTable::joinColumn(int column) const
{
    // Sized once and filled by copies: a column of a million cells is a text of many megabytes.
    const int rows = rowCount();
    qsizetype size = rows - 1;
    for (int r = 0; r < rows; ++r)
        size += m_cells.at(r * m_columnCount + column).length;
    QByteArray text(int(size), Qt::Uninitialized);
    char* out = text.data();
    const char* pool = m_pool.constData();
    const Span* span = m_cells.constData() + column;
    for (int r = 0; r < rows; ++r, span += m_columnCount) {
        if (r > 0)
            *out++ = '\n';
        std::memcpy(out, pool + span->start, size_t(span->length));
        out += span->length;
    }
    return text;
}

QString CellTable::columnText(int column) const
{
    column = wrapColumn(column);
    if (column < 0)
        return QString();
    const QByteArray text = joinColumn(column);
    return decodePool(std::string_view(text.constData(), size_t(text.size())));
}

QByteArray CellTable::columnBytes(int column, bool unicode) const
{
    column = wrapColumn(column);
    if (column < 0)
        return QByteArray();
    // A lone surrogate is written as encoding the string writes it.
    if (unicode && m_poolHasSurrogates)
        return encodeEditorText(columnText(column), true);
    QByteArray text = joinColumn(column);
    if (unicode || isAscii(text.constData(), text.size()))
        return text;
    // A character outside Latin-1 becomes one "?", as encodeEditorText makes it. The pool writes a
    // pair as one character, so a pair too gives one "?".
    QByteArray latin1;
    appendUtf8AsLatin1(text.constData(), text.size(), latin1);
    return latin1;
}

QString CellTable::text(const QString& separator) const
{
    QStringList lines;
    lines.reserve(rowCount());
    for (int r = 0; r < rowCount(); ++r)
        lines.append(rowText(r, separator));
    return lines.join(QLatin1Char('\n'));
}

bool CellTable::appendRow(const Row& cells)
{
    if (!isEmpty() && cells.size() != m_columnCount)
        return false;
    if (isEmpty()) {
        m_cells.clear();
        m_columnCount = cells.size();
    }
    m_rowLengths.append(cells.size());
    for (const QString& cell : cells)
        m_cells.append(store(cell));
    return true;
}

void CellTable::clearCell(int row, int column)
{
    row = wrapRow(row);
    column = wrapColumn(column);
    if (row < 0 || column < 0 || column >= m_rowLengths.at(row))
        return;
    m_cells[row * m_columnCount + column] = Span();
}

void CellTable::removeRow(int row)
{
    removeRows({row});
}

void CellTable::removeColumn(int column)
{
    removeColumns({column});
}

void CellTable::removeRows(const QList<int>& rows)
{
    if (isEmpty() || rows.isEmpty())
        return;
    QVector<bool> removed(rowCount(), false);
    for (const int row : rows)
        removed[wrapRow(row)] = true;
    QVector<Span> cells;
    QVector<int> lengths;
    cells.reserve(m_cells.size());
    lengths.reserve(rowCount());
    for (int r = 0; r < rowCount(); ++r) {
        if (removed.at(r))
            continue;
        const auto from = m_cells.constBegin() + r * m_columnCount;
        std::copy(from, from + m_columnCount, std::back_inserter(cells));
        lengths.append(m_rowLengths.at(r));
    }
    m_cells = std::move(cells);
    m_rowLengths = std::move(lengths);
    updateColumnCount();
}

void CellTable::removeColumns(const QList<int>& columns)
{
    if (m_columnCount == 0 || columns.isEmpty())
        return;
    QVector<bool> removed(m_columnCount, false);
    for (const int column : columns)
        removed[wrapColumn(column)] = true;
    // Each row keeps its cells in order, shortened by the ones it had in the removed columns.
    QVector<int> lengths(rowCount());
    int widest = 0;
    for (int r = 0; r < rowCount(); ++r) {
        lengths[r] = int(std::count(removed.constBegin(), removed.constBegin() + m_rowLengths.at(r), false));
        widest = std::max(widest, lengths.at(r));
    }
    QVector<Span> cells(rowCount() * widest);
    for (int r = 0; r < rowCount(); ++r) {
        Span* out = cells.data() + r * widest;
        for (int c = 0; c < m_rowLengths.at(r); ++c) {
            if (!removed.at(c))
                *out++ = m_cells.at(r * m_columnCount + c);
        }
    }
    m_cells = std::move(cells);
    m_rowLengths = std::move(lengths);
    m_columnCount = widest;
}

bool CellTable::setColumn(int column, const QStringList& values)
{
    column = wrapColumn(column);
    if (isEmpty() || values.size() != rowCount() || column < 0)
        return false;
    for (int row = 0; row < rowCount(); ++row)
        setCellText(row, column, values.at(row));
    return true;
}

void CellTable::reverseRow(int row)
{
    row = wrapRow(row);
    if (row < 0)
        return;
    const auto first = m_cells.begin() + row * m_columnCount;
    std::reverse(first, first + m_rowLengths.at(row));
}

void CellTable::reverseColumn(int column)
{
    column = wrapColumn(column);
    if (column < 0)
        return;
    const int rows = rowCount();
    QVector<Span> cells(rows);
    for (int r = 0; r < rows; ++r)
        cells[rows - 1 - r] = m_cells.at(r * m_columnCount + column);
    for (int r = 0; r < rows; ++r)
        setSpan(r, column, cells.at(r));
}

void CellTable::flipHorizontally()
{
    for (int r = 0; r < rowCount(); ++r)
        reverseRow(r);
}

void CellTable::flipVertically()
{
    const int rows = rowCount();
    for (int top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(m_cells.begin() + top * m_columnCount, m_cells.begin() + (top + 1) * m_columnCount,
                         m_cells.begin() + bottom * m_columnCount);
    }
    std::reverse(m_rowLengths.begin(), m_rowLengths.end());
}

void CellTable::rotate(int quarterTurns)
{
    const int turns = wrapIndex(quarterTurns, 4);
    const int rows = rowCount();
    const int columns = m_columnCount;
    // A table without cells has no shape to turn.
    if (turns == 0 || rows == 0 || columns == 0)
        return;
    if (turns == 2) {
        flipHorizontally();
        flipVertically();
        return;
    }
    // Clockwise, row i is column i read bottom to top; counter-clockwise, row i is column
    // columns-1-i read top to bottom. Short rows give empty cells, so no cell is lost.
    QVector<Span> turned(columns * rows);
    Span* out = turned.data();
    for (int i = 0; i < columns; ++i) {
        if (turns == 1) {
            for (int r = rows - 1; r >= 0; --r)
                *out++ = m_cells.at(r * columns + i);
        } else {
            for (int r = 0; r < rows; ++r)
                *out++ = m_cells.at(r * columns + columns - 1 - i);
        }
    }
    m_cells = std::move(turned);
    m_rowLengths.fill(rows, columns);
    m_columnCount = rows;
}

bool CellTable::swapCells(int column1, int row1, int column2, int row2)
{
    const auto inside = [this](int column, int row) {
        return row >= 0 && row < rowCount() && column >= 0 && column < m_columnCount;
    };
    if (!inside(column1, row1) || !inside(column2, row2))
        return false;
    const Span first = m_cells.at(row1 * m_columnCount + column1);
    const Span second = m_cells.at(row2 * m_columnCount + column2);
    setSpan(row1, column1, second);
    setSpan(row2, column2, first);
    return true;
}

bool CellTable::removeConstantColumns(const StopFunction& isStopRequested)
{
    if (m_columnCount == 0 || rowCount() < 2)
        return true;
    // Work on a snapshot, which shares the buffers: events run between the columns.
    const CellTable snapshot = *this;
    const int rows = snapshot.rowCount();
    const int columns = snapshot.m_columnCount;
    EventPacer pacer(isStopRequested);
    QList<int> constant;
    for (int c = columns - 1; c >= 0; --c) {
        if (pacer.pollStop())
            return false;
        const std::string_view first = snapshot.view(0, c);
        bool same = true;
        for (int r = 1; r < rows && same; ++r)
            same = snapshot.view(r, c) == first;
        if (same)
            constant.append(c);
    }
    // Indices found in the snapshot would hit the wrong cells of a table that changed meanwhile.
    if (!sameCells(snapshot))
        return false;
    removeColumns(constant);
    return true;
}

bool CellTable::regroup(int itemsPerRow, const StopFunction& isStopRequested)
{
    if (itemsPerRow < 1)
        return false;
    // Work on a snapshot, which shares the buffers: events run between the items.
    const CellTable snapshot = *this;
    const int items = snapshot.rowCount();
    const int columns = items == 0 ? 0 : std::min(itemsPerRow, items);
    const int rows = (items + itemsPerRow - 1) / itemsPerRow;
    EventPacer pacer(isStopRequested);
    // Each item, the cells of a row joined, goes into a new pool that holds only them.
    qint64 size = 0;
    for (const Span& span : qAsConst(snapshot.m_cells))
        size += span.length;
    QByteArray pool;
    pool.reserve(int(size));
    bool lone = false;
    QVector<Span> cells(rows * columns);
    QVector<int> lengths(rows, columns);
    for (int item = 0; item < items; ++item) {
        if (pacer.pollStop())
            return false;
        const int start = pool.size();
        if (snapshot.m_poolHasSurrogates) {
            // Joined as strings, so that a lone high and a lone low surrogate meeting become the
            // one character the string holds.
            QString joined;
            for (int c = 0; c < snapshot.m_rowLengths.at(item); ++c)
                joined += snapshot.string(snapshot.m_cells.at(item * snapshot.m_columnCount + c));
            lone = appendPoolText(joined, pool) || lone;
        } else {
            for (int c = 0; c < snapshot.m_rowLengths.at(item); ++c) {
                const std::string_view cell = snapshot.view(item, c);
                pool.append(cell.data(), int(cell.size()));
            }
        }
        if (pool.size() > start)
            cells[item] = {start, pool.size() - start};
    }
    if (rows > 0)
        lengths.last() = items - (rows - 1) * itemsPerRow;
    // Replacing a table that changed meanwhile would throw those changes away.
    if (!sameCells(snapshot))
        return false;
    setCells(std::move(cells), std::move(lengths), columns, std::move(pool), lone);
    return true;
}

QString CellTable::selectionText(int row1, int column1, int row2, int column2, const Mask& mask, bool align) const
{
    int top = wrapRow(row1);
    int bottom = wrapRow(row2);
    int left = wrapColumn(column1);
    int right = wrapColumn(column2);
    if (top < 0 || left < 0)
        return QString();
    if (top > bottom)
        std::swap(top, bottom);
    if (left > right)
        std::swap(left, right);

    QVector<int> widths;
    if (align) {
        widths.fill(0, right - left + 1);
        for (int r = 0; r < rowCount(); ++r) {
            for (int c = left; c <= right && c < m_rowLengths.at(r); ++c)
                widths[c - left] = std::max(widths.at(c - left), int(string(m_cells.at(r * m_columnCount + c)).size()));
        }
    }

    QStringList lines;
    lines.reserve(bottom - top + 1);
    for (int r = top; r <= bottom; ++r) {
        const QBitArray flags = r - top < mask.size() ? mask.at(r - top) : QBitArray();
        QStringList cells;
        cells.reserve(right - left + 1);
        for (int c = left; c <= right; ++c) {
            const bool selected = c - left < flags.size() && flags.testBit(c - left);
            const QString text = selected ? string(m_cells.at(r * m_columnCount + c)) : QString();
            cells.append(align ? text.leftJustified(widths.at(c - left), QLatin1Char(' ')) : text);
        }
        lines.append(cells.join(QLatin1Char(' ')));
    }
    return lines.join(QLatin1Char('\n'));
}

CellTable::Mask CellTable::fullMask(int rows, int columns)
{
    if (rows <= 0 || columns <= 0)
        return Mask();
    return Mask(rows, QBitArray(columns, true));
}
