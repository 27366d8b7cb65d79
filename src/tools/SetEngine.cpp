#include "tools/SetEngine.h"

#include "engine/EventPacer.h"

#include <QHash>

#include <algorithm>
#include <cstring>

namespace {

constexpr int MinimumSlots = 16;

int slotCountFor(int lines)
{
    int slots = MinimumSlots;
    while (slots < 2 * lines && slots < (1 << 30))
        slots *= 2;
    return slots;
}

} // namespace

void SetEngine::clear()
{
    m_lines.clear();
    m_masks.clear();
    m_slots.clear();
    m_columnCount = 0;
}

bool SetEngine::build(const QVector<QStringList>& columns, const StopFunction& isStopRequested)
{
    clear();
    const int count = std::min(int(columns.size()), MaxColumns);
    qint64 total = 0;
    for (int c = 0; c < count; ++c)
        total += columns.at(c).size();
    // Room for every line being distinct, so that the table rarely grows while filling.
    const int expected = int(std::min<qint64>(total, 1 << 28));
    m_slots.fill(Slot(), slotCountFor(expected));
    m_lines.reserve(expected);
    m_masks.reserve(expected);
    m_seed = uint(qGlobalQHashSeed());

    // The table is far larger than the caches: the slot of a line some lines ahead is fetched
    // while the present one is looked up, with the hashes kept in a small ring.
    constexpr int Ahead = 8;
    uint ahead[Ahead];
    EventPacer pacer(isStopRequested, EventPacer::DefaultIntervalMs, EventPacer::Clock::Adaptive);
    for (int c = 0; c < count; ++c) {
        const quint8 bit = quint8(1u << c);
        const QStringList& lines = columns.at(c);
        const int n = lines.size();
        for (int i = 0; i < std::min(n, Ahead); ++i)
            ahead[i] = qHash(lines.at(i), m_seed);
        for (int i = 0; i < n; ++i) {
            if (pacer.pollStop()) {
                clear();
                return false;
            }
            const QString& line = lines.at(i);
            const uint hash = ahead[i % Ahead];
            // Nearer, the line a slot already holds is fetched: its place in the list and its mask,
            // then the text itself, which a hit compares with.
            if (i + Ahead / 2 < n)
                prefetchHeld(ahead[(i + Ahead / 2) % Ahead], false);
            if (i + Ahead / 4 < n)
                prefetchHeld(ahead[(i + Ahead / 4) % Ahead], true);
            if (i + Ahead < n) {
                const uint next = qHash(lines.at(i + Ahead), m_seed);
                ahead[i % Ahead] = next;
                prefetch(next);
            }
            const int slot = slotOf(line, hash);
            if (const int index = m_slots.at(slot).line) {
                m_masks[index - 1] |= (count == 1 ? RepeatedBit : bit);
                continue;
            }
            m_lines.append(line);
            m_masks.append(bit);
            m_slots[slot] = Slot{hash, int(m_lines.size())};
            if (2 * m_lines.size() > m_slots.size())
                grow();
        }
    }
    m_columnCount = count;
    return true;
}

void SetEngine::prefetch(uint hash) const
{
#if defined(__GNUC__)
    __builtin_prefetch(m_slots.constData() + (int(hash) & (m_slots.size() - 1)));
#else
    Q_UNUSED(hash);
#endif
}

void SetEngine::prefetchHeld(uint hash, bool text) const
{
#if defined(__GNUC__)
    const int index = m_slots.at(int(hash) & (m_slots.size() - 1)).line - 1;
    if (index < 0)
        return;
    if (!text) {
        __builtin_prefetch(&m_lines.at(index));
        __builtin_prefetch(m_masks.constData() + index);
        return;
    }
    // The string's own block holds its header and, for a short line, its characters: fetch it
    // without reading through it.
    const QString& held = m_lines.at(index);
    const void* block = nullptr;
    std::memcpy(&block, &held, sizeof block);
    __builtin_prefetch(block);
#else
    Q_UNUSED(hash);
    Q_UNUSED(text);
#endif
}

int SetEngine::slotOf(const QString& line, uint hash) const
{
    const int last = m_slots.size() - 1;
    const Slot* slots = m_slots.constData();
    for (int slot = int(hash) & last;; slot = (slot + 1) & last) {
        const Slot& s = slots[slot];
        if (s.line == 0 || (s.hash == hash && m_lines.at(s.line - 1) == line))
            return slot;
    }
}

void SetEngine::grow()
{
    const QVector<Slot> old = m_slots;
    m_slots.fill(Slot(), m_slots.size() * 2);
    const int last = m_slots.size() - 1;
    for (const Slot& s : old) {
        if (s.line == 0)
            continue;
        int slot = int(s.hash) & last;
        while (m_slots.at(slot).line != 0)
            slot = (slot + 1) & last;
        m_slots[slot] = s;
    }
}

QStringList SetEngine::linesWhere(const std::function<bool(quint8)>& keep) const
{
    QStringList lines;
    for (int i = 0; i < m_lines.size(); ++i) {
        if (keep(m_masks.at(i)))
            lines.append(m_lines.at(i));
    }
    return lines;
}

QStringList SetEngine::region(unsigned inside) const
{
    if (m_columnCount == 1)
        return inside == 1 ? lineUnion() : QStringList();
    return linesWhere([inside](quint8 mask) { return mask == inside; });
}

QStringList SetEngine::intersection() const
{
    if (m_columnCount == 0)
        return QStringList();
    return region((1u << m_columnCount) - 1);
}

QStringList SetEngine::lineUnion() const
{
    return m_lines;
}

QStringList SetEngine::repeated() const
{
    if (m_columnCount != 1)
        return QStringList();
    return linesWhere([](quint8 mask) { return (mask & RepeatedBit) != 0; });
}
