#include "tools/SetEngine.h"

#include "editor/TextBytes.h"
#include "engine/EventPacer.h"
#include "engine/MemoryHints.h"
#include "engine/MergeEngine.h"

#include <QHash>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr qsizetype MinimumSlots = 16;
constexpr int PieceSize = 1 << 18;

// A seeded hash of a line's bytes, eight at a time; lines are short, so the words are mixed by one
// wide multiplication each.
inline quint64 mix(quint64 a, quint64 b)
{
#ifdef __SIZEOF_INT128__
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    return quint64(product) ^ quint64(product >> 64);
#else
    const quint64 product = a * b;
    return product ^ (product >> 29) ^ (a >> 32) * (b >> 32);
#endif
}

inline quint64 hashBytes(const char* bytes, size_t length, quint64 seed)
{
    constexpr quint64 K1 = 0x9E3779B97F4A7C15ull;
    constexpr quint64 K2 = 0xBF58476D1CE4E5B9ull;
    quint64 h = seed ^ (quint64(length) * K1);
    while (length >= 8) {
        quint64 word;
        std::memcpy(&word, bytes, 8);
        h = mix(h ^ word, K2);
        bytes += 8;
        length -= 8;
    }
    quint64 tail = 0;
    std::memcpy(&tail, bytes, length);
    return mix(h ^ tail ^ K2, K1);
}

qsizetype slotCountFor(qint64 lines)
{
    qsizetype slots = MinimumSlots;
    while (slots < 2 * lines && slots < (qsizetype(1) << 31))
        slots *= 2;
    return slots;
}

// At least the number of lines: every break counted, CR LF twice.
qint64 lineBoundOf(const QByteArray& text)
{
    const char* bytes = text.constData();
    qint64 breaks = 0;
    for (int i = 0; i < text.size(); ++i)
        breaks += (bytes[i] == '\n') | (bytes[i] == '\r');
    return breaks + 1;
}

// Cuts a text into lines, one at a time.
class LineCursor
{
public:
    explicit LineCursor(const QByteArray& text)
        : m_bytes(text.constData()), m_size(text.size()), m_breaks(m_bytes, m_size)
    {
    }
    bool atEnd() const { return m_done; }
    // The next line, as start and length.
    std::pair<const char*, int> next()
    {
        const int at = m_breaks.next(m_start);
        const std::pair<const char*, int> line{m_bytes + m_start, at - m_start};
        if (at >= m_size)
            m_done = true;
        else
            m_start = afterLineBreak(m_bytes, at, m_size);
        return line;
    }

private:
    const char* m_bytes;
    int m_size;
    LineBreakFinder m_breaks;
    int m_start = 0;
    bool m_done = false;
};

} // namespace

void SetEngine::FreeSlots::operator()(Slot* slots) const
{
    std::free(slots);
}

SetEngine::SetEngine() = default;
SetEngine::~SetEngine() = default;

void SetEngine::clear()
{
    m_columns.clear();
    m_lines = std::vector<Distinct>();
    m_slots.reset();
    m_slotMask = 0;
    m_columnCount = 0;
}

bool SetEngine::build(const QVector<QByteArray>& columns, const StopFunction& isStopRequested)
{
    clear();
    const int count = std::min(int(columns.size()), MaxColumns);
    m_columns = columns.mid(0, count);
    qint64 bound = 0;
    for (const QByteArray& column : qAsConst(m_columns))
        bound += lineBoundOf(column);
    // Room for every line being distinct, so that the table never fills past half; a billion lines
    // would not fit the memory of the lines alone.
    if (bound > (qint64(1) << 30))
        throw std::bad_alloc();
    const qsizetype slots = slotCountFor(bound);
    // Zeroed pages from the system, touched only where a line lands.
    m_slots.reset(static_cast<Slot*>(std::calloc(size_t(slots), sizeof(Slot))));
    if (!m_slots)
        throw std::bad_alloc();
    m_slotMask = slots - 1;
    // Lines land all over the table, so that nearly every page of it is touched: all are mapped at
    // once rather than by a fault each.
    prefaultForWrite(m_slots.get(), size_t(slots) * sizeof(Slot));
    m_lines.reserve(size_t(std::min<qint64>(bound, qint64(1) << 28)));
    m_seed = quint64(qGlobalQHashSeed()) * 0x9E3779B97F4A7C15ull + 1;

    // The table is far larger than the caches: the slot of a line some lines ahead is fetched
    // while the present one is looked up, its hash kept in a small ring; nearer, the line a slot
    // already holds, and then that line's bytes, which a hit compares with.
    constexpr int Ahead = 16;
    struct Pending
    {
        const char* bytes;
        int length;
        quint64 hash;
    };
    Pending ahead[Ahead];
    EventPacer pacer(isStopRequested, EventPacer::DefaultIntervalMs, EventPacer::Clock::Adaptive);
    for (int c = 0; c < count; ++c) {
        const quint8 bit = count == 1 ? RepeatedBit : quint8(1u << c);
        LineCursor cursor(m_columns.at(c));
        int queued = 0;
        const auto enqueue = [&](int at) {
            const auto [bytes, length] = cursor.next();
            const quint64 hash = hashBytes(bytes, size_t(length), m_seed);
            ahead[at % Ahead] = Pending{bytes, length, hash};
            prefetchRead(m_slots.get() + (hash & quint64(m_slotMask)));
            ++queued;
        };
        while (queued < Ahead && !cursor.atEnd())
            enqueue(queued);
        for (int i = 0; i < queued; ++i) {
            if (pacer.pollStop()) {
                clear();
                return false;
            }
            const Pending line = ahead[i % Ahead];
            if (i + Ahead / 2 < queued)
                prefetchHeld(ahead[(i + Ahead / 2) % Ahead].hash, false);
            if (i + Ahead / 4 < queued)
                prefetchHeld(ahead[(i + Ahead / 4) % Ahead].hash, true);
            if (!cursor.atEnd())
                enqueue(queued);
            const qsizetype slot = slotOf(line.bytes, line.length, line.hash);
            if (const int index = m_slots[slot].line) {
                m_lines[size_t(index - 1)].mask |= bit;
                continue;
            }
            m_lines.push_back(Distinct{line.bytes, line.length, count == 1 ? quint8(1) : bit});
            m_slots[slot] = Slot{quint32(line.hash >> 32), qint32(m_lines.size())};
        }
    }
    m_columnCount = count;
    return true;
}

void SetEngine::prefetchHeld(quint64 hash, bool text) const
{
    const int index = m_slots[qsizetype(hash & quint64(m_slotMask))].line - 1;
    if (index < 0)
        return;
    const Distinct& held = m_lines[size_t(index)];
    prefetchRead(text ? static_cast<const void*>(held.bytes) : static_cast<const void*>(&held));
}

qsizetype SetEngine::slotOf(const char* bytes, int length, quint64 hash) const
{
    const quint32 check = quint32(hash >> 32);
    const Slot* slots = m_slots.get();
    for (qsizetype slot = qsizetype(hash & quint64(m_slotMask));; slot = (slot + 1) & m_slotMask) {
        const Slot& s = slots[slot];
        if (s.line == 0)
            return slot;
        if (s.check != check)
            continue;
        const Distinct& held = m_lines[size_t(s.line - 1)];
        if (held.length == length && std::memcmp(held.bytes, bytes, size_t(length)) == 0)
            return slot;
    }
}

SetEngine::Lines SetEngine::linesWhere(const std::function<bool(quint8)>& keep) const
{
    Lines lines;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (keep(m_lines[i].mask))
            lines.push_back(int(i));
    }
    return lines;
}

SetEngine::Lines SetEngine::region(unsigned inside) const
{
    if (m_columnCount == 1)
        return inside == 1 ? lineUnion() : Lines();
    return linesWhere([inside](quint8 mask) { return mask == inside; });
}

SetEngine::Lines SetEngine::intersection() const
{
    if (m_columnCount == 0)
        return Lines();
    return region((1u << m_columnCount) - 1);
}

SetEngine::Lines SetEngine::lineUnion() const
{
    Lines lines(m_lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
        lines[i] = int(i);
    return lines;
}

SetEngine::Lines SetEngine::repeated() const
{
    if (m_columnCount != 1)
        return Lines();
    return linesWhere([](quint8 mask) { return (mask & RepeatedBit) != 0; });
}

std::string_view SetEngine::line(int index) const
{
    const Distinct& held = m_lines[size_t(index)];
    return std::string_view(held.bytes, size_t(held.length));
}

QStringList SetEngine::strings(const Lines& lines) const
{
    QStringList list;
    list.reserve(int(lines.size()));
    for (const int index : lines) {
        const std::string_view bytes = line(index);
        list.append(QString::fromUtf8(bytes.data(), int(bytes.size())));
    }
    return list;
}

bool SetEngine::write(const Lines& lines, ByteSink& sink, const QByteArray& lineBreak, bool unicode) const
{
    qint64 total = 0;
    for (const int index : lines)
        total += m_lines[size_t(index)].length + lineBreak.size();
    sink.expect(total);
    // Pieces of whole lines; a Latin-1 result is converted a piece at a time.
    QByteArray piece;
    piece.reserve(PieceSize + 64);
    const auto flush = [&] {
        const bool written = sink.write(unicode ? piece : encodeEditorText(QString::fromUtf8(piece), false));
        piece.resize(0);
        return written;
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            piece.append(lineBreak);
        const Distinct& held = m_lines[size_t(lines[i])];
        piece.append(held.bytes, held.length);
        if (piece.size() >= PieceSize && !flush())
            return false;
    }
    return piece.isEmpty() || flush();
}
