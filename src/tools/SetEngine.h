#pragma once
// The lines of one to four columns taken as sets: every distinct line with the columns it occurs in,
// so that any region of their Venn diagram is one pass over the distinct lines. Results keep the
// order in which the lines first appear: column 1 first, then the new lines of column 2, and so on.
//
// The engine works on the columns' bytes in UTF-8: a million-line column is never turned into a
// million strings, and a result goes to the result editor as bytes.

#include <QByteArray>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class ByteSink;

class SetEngine
{
public:
    static constexpr int MaxColumns = 4;
    // Asked whenever pending events have been processed; returning true abandons the build.
    using StopFunction = std::function<bool()>;
    // The distinct lines of a result, as indexes in first-appearance order.
    using Lines = std::vector<int>;

    SetEngine();
    ~SetEngine();

    // Takes the first MaxColumns columns, each its text in UTF-8 (see utf8FromEditorBytes). A
    // column has its line breaks plus one lines; CR LF, LF and a lone CR end a line. Lines compare
    // exactly (case, white space and NUL bytes count); an empty line is a value like any other.
    // Lets pending events run while it works; returns false, leaving the engine empty, when stopped.
    bool build(const QVector<QByteArray>& columns, const StopFunction& isStopRequested = StopFunction());
    void clear();

    int columnCount() const { return m_columnCount; }
    // Distinct lines over all columns.
    int distinctCount() const { return int(m_lines.size()); }

    // The lines found in exactly the columns of inside (bit i for column i) and in no other.
    Lines region(unsigned inside) const;
    // The lines found in every column.
    Lines intersection() const;
    // Every distinct line of every column.
    Lines lineUnion() const;
    // Of a single column: the lines that occur more than once, each once.
    Lines repeated() const;

    // A distinct line's UTF-8 bytes.
    std::string_view line(int index) const;
    QStringList strings(const Lines& lines) const;
    // Writes the lines with lineBreak between them as editor bytes: UTF-8, or Latin-1 with "?" for
    // a character outside it. False when the sink refused a piece.
    bool write(const Lines& lines, ByteSink& sink, const QByteArray& lineBreak, bool unicode) const;

private:
    // With one column the second bit marks a line seen again.
    static constexpr quint8 RepeatedBit = 2;

    struct Distinct
    {
        const char* bytes;
        int length;
        quint8 mask;
    };
    // The upper half of the hash beside the index lets a probe pass other lines without reading them.
    struct Slot
    {
        quint32 check;
        // Index into m_lines + 1; 0 for an empty slot.
        qint32 line;
    };
    struct FreeSlots
    {
        void operator()(Slot* slots) const;
    };

    Lines linesWhere(const std::function<bool(quint8)>& keep) const;
    // The slot that holds the line, or the empty one where it belongs.
    qsizetype slotOf(const char* bytes, int length, quint64 hash) const;
    void prefetchHeld(quint64 hash, bool text) const;

    // The texts the distinct lines point into.
    QVector<QByteArray> m_columns;
    std::vector<Distinct> m_lines;
    // Open addressing: a power-of-two count of slots, at least twice the count of lines read.
    std::unique_ptr<Slot[], FreeSlots> m_slots;
    qsizetype m_slotMask = 0;
    quint64 m_seed = 0;
    int m_columnCount = 0;
};
