#pragma once
// The value sequences that fill a column: integers in a base from 2 to 36, letters, dates and times,
// one value per line, walked inclusively from one bound to the other.

#include <QChar>
#include <QDate>
#include <QString>
#include <QTime>

#include <functional>

enum class SequenceStatus {
    Complete, // every value is in the text
    Stopped,  // the caller asked to stop; the text holds the values built so far
    TooLong,  // the text would pass the length limit; nothing was built
    Invalid   // a bound or setting cannot be used (base outside 2..36, invalid date); nothing was built
};

struct SequenceResult
{
    QString text;
    SequenceStatus status = SequenceStatus::Complete;
};

// Default length limit of a sequence text, in UTF-16 units (512 MiB of text). The widest number run
// the Data Setting dialog allows stays far below it; it keeps a silly date format from exhausting memory.
constexpr qint64 MaxSequenceLength = qint64(1) << 28;

// How a caller steers a long run. The run processes pending events before the first value and then
// whenever 10 ms have passed; after each such pause it asks stopRequested (when set) and ends with the
// values built so far when it returns true.
struct SequenceControl
{
    std::function<bool()> stopRequested;
    // A run whose text, or whose number of values, would exceed this is refused as a whole.
    qint64 maxLength = MaxSequenceLength;
};

// Integers from `from` to `to` in `base` (2..36), digits 0-9 and a-z (A-Z when upper). In base 10 a
// negative value carries a minus sign; in any other base it is written as its 32-bit two's-complement
// pattern, so -1 in base 16 is ffffffff.
SequenceResult numberSequence(int from, int to, int base, bool upper, const QString& separator,
                              const SequenceControl& control = {});

// Every UTF-16 unit from `from` to `to`; upper maps each value to upper case (the separator is kept).
SequenceResult letterSequence(QChar from, QChar to, bool upper, const QString& separator,
                              const SequenceControl& control = {});

// One value per day, formatted with the date patterns of the system locale (yyyy, MM, dd, MMM ...).
SequenceResult dateSequence(const QDate& from, const QDate& to, const QString& format, const QString& separator,
                            const SequenceControl& control = {});

// One value per second, bounds taken in whole seconds since midnight (an invalid time counts as 0),
// formatted with the time patterns (hh, mm, ss ...).
SequenceResult timeSequence(const QTime& from, const QTime& to, const QString& format, const QString& separator,
                            const SequenceControl& control = {});

// Exact length in UTF-16 units of numberSequence's text for these bounds and a separator of
// separatorLength units; 0 for a base outside 2..36.
qint64 numberSequenceLength(int from, int to, int base, int separatorLength);
