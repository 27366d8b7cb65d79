#pragma once
// The lines of one to four columns taken as sets: every distinct line with the columns it occurs in,
// so that any region of their Venn diagram is one pass over the distinct lines. Results keep the
// order in which the lines first appear: column 1 first, then the new lines of column 2, and so on.

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class SetEngine
{
public:
    static constexpr int MaxColumns = 4;
    // Asked whenever pending events have been processed; returning true abandons the build.
    using StopFunction = std::function<bool()>;

    // Takes the first MaxColumns columns. Lines compare exactly (case and white space count); an
    // empty line is a value like any other. Lets pending events run while it works; returns false,
    // leaving the engine empty, when stopped.
    bool build(const QVector<QStringList>& columns, const StopFunction& isStopRequested = StopFunction());
    void clear();

    int columnCount() const { return m_columnCount; }
    // Distinct lines over all columns.
    int distinctCount() const { return m_lines.size(); }

    // The lines found in exactly the columns of inside (bit i for column i) and in no other.
    QStringList region(unsigned inside) const;
    // The lines found in every column.
    QStringList intersection() const;
    // Every distinct line of every column.
    QStringList lineUnion() const;
    // Of a single column: the lines that occur more than once, each once.
    QStringList repeated() const;

private:
    // With one column the second bit marks a line seen again.
    static constexpr quint8 RepeatedBit = 2;

    // The hash beside the index lets a probe skip other lines without reading them.
    struct Slot
    {
        uint hash = 0;
        // Index into m_lines + 1; 0 for an empty slot.
        int line = 0;
    };

    QStringList linesWhere(const std::function<bool(quint8)>& keep) const;
    // The slot that holds line, or the empty one where it belongs.
    int slotOf(const QString& line, uint hash) const;
    void grow();
    void prefetch(uint hash) const;
    // Fetches what the slot of hash holds: its list entry and mask, or with text the line itself.
    void prefetchHeld(uint hash, bool text) const;

    QStringList m_lines;
    QVector<quint8> m_masks;
    // Open addressing over m_lines: a power-of-two count of slots, at most half of them used.
    QVector<Slot> m_slots;
    uint m_seed = 0;
    int m_columnCount = 0;
};
