#include "tools/SetEngine.h"

#include "engine/EventPacer.h"

#include <QHash>

#include <algorithm>

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
    m_hashes.clear();
    m_masks.clear();
    m_slots.clear();
    m_columnCount = 0;
}

bool SetEngine::build(const QVector<QStringList>& columns, const StopFunction& isStopRequested)
{
    clear();
    const int count = std::min(int(columns.size()), MaxColumns);
    int largest = 0;
    for (int c = 0; c < count; ++c)
        largest = std::max(largest, int(columns.at(c).size()));
    // Sized for the largest column; further distinct lines grow the table.
    m_slots.fill(0, slotCountFor(largest));
    m_lines.reserve(largest);
    m_hashes.reserve(largest);
    m_masks.reserve(largest);
    m_seed = uint(qGlobalQHashSeed());

    EventPacer pacer(isStopRequested, EventPacer::DefaultIntervalMs, EventPacer::Clock::Adaptive);
    for (int c = 0; c < count; ++c) {
        const quint8 bit = quint8(1u << c);
        for (const QString& line : columns.at(c)) {
            if (pacer.pollStop()) {
                clear();
                return false;
            }
            const uint hash = qHash(line, m_seed);
            const int slot = slotOf(line, hash);
            if (const int index = m_slots.at(slot)) {
                quint8& mask = m_masks[index - 1];
                mask |= (count == 1 ? RepeatedBit : bit);
                continue;
            }
            m_lines.append(line);
            m_hashes.append(hash);
            m_masks.append(bit);
            m_slots[slot] = m_lines.size();
            if (2 * m_lines.size() > m_slots.size())
                grow();
        }
    }
    m_columnCount = count;
    return true;
}

int SetEngine::slotOf(const QString& line, uint hash) const
{
    const int last = m_slots.size() - 1;
    for (int slot = int(hash) & last;; slot = (slot + 1) & last) {
        const int index = m_slots.at(slot);
        if (index == 0 || (m_hashes.at(index - 1) == hash && m_lines.at(index - 1) == line))
            return slot;
    }
}

void SetEngine::grow()
{
    m_slots.fill(0, m_slots.size() * 2);
    const int last = m_slots.size() - 1;
    for (int i = 0; i < m_lines.size(); ++i) {
        int slot = int(m_hashes.at(i)) & last;
        while (m_slots.at(slot) != 0)
            slot = (slot + 1) & last;
        m_slots[slot] = i + 1;
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
