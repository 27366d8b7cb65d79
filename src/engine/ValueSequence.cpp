// Builds the sequence texts straight into one QString reserved from the known value count, pausing for
// pending events so that a run of millions of values keeps the window live and can be stopped.

#include "engine/ValueSequence.h"

#include "engine/EventPacer.h"

#include <QLocale>
#include <QStringView>

#include <limits>

namespace {

// A QString cannot hold more than about 2^30 units; no limit may go past it.
constexpr qint64 StringCeiling = (qint64(1) << 30) - 64;
constexpr qint64 TooLongLength = std::numeric_limits<qint64>::max();

// Length of `count` values of valueLength units joined by separators, saturating instead of overflowing.
qint64 joinedLength(qint64 count, qint64 valueLength, qint64 separatorLength)
{
    const qint64 perValue = valueLength + separatorLength;
    if (perValue > 0 && count > TooLongLength / perValue)
        return TooLongLength;
    return count * perValue - separatorLength;
}

// Walks `count` values, valueAt(i) giving the text of value i. `estimate` sizes the one allocation;
// the text is still checked against the limit as it grows, since values may be longer than estimated.
template <typename ValueAt>
SequenceResult buildSequence(qint64 count, qint64 estimate, const QString& separator, const SequenceControl& control,
                             ValueAt valueAt)
{
    SequenceResult result;
    const qint64 limit = qMin(control.maxLength, StringCeiling);
    if (count > limit || estimate > limit) {
        result.status = SequenceStatus::TooLong;
        return result;
    }
    // Own copy: the caller's string may change while events are processed.
    const QString sep = separator;
    const qint64 sepLength = sep.size();
    // The first poll always lets events run, before the one allocation.
    EventPacer pacer(control.stopRequested, EventPacer::DefaultIntervalMs, EventPacer::Clock::Adaptive);
    if (pacer.pollStop()) {
        result.status = SequenceStatus::Stopped;
        return result;
    }
    QString& text = result.text;
    text.reserve(int(estimate));
    for (qint64 i = 0; i < count; ++i) {
        if (i > 0 && pacer.pollStop()) {
            result.status = SequenceStatus::Stopped;
            return result;
        }
        const QStringView value = valueAt(i);
        const qint64 added = (i > 0 ? sepLength : 0) + value.size();
        if (text.size() + added > limit) {
            result.text = QString();
            result.status = SequenceStatus::TooLong;
            return result;
        }
        if (i > 0)
            text.append(sep);
        text.append(value.data(), int(value.size()));
    }
    return result;
}

SequenceResult invalidSequence()
{
    SequenceResult result;
    result.status = SequenceStatus::Invalid;
    return result;
}

// Sum of the digit counts of every n in [lo, hi] written in base, counted band by band of equal length.
qint64 digitCountSum(quint64 lo, quint64 hi, int base)
{
    qint64 total = 0;
    quint64 bandStart = 0;
    quint64 bandEnd = quint64(base) - 1;
    for (int digits = 1; bandStart <= hi; ++digits) {
        const quint64 a = qMax(lo, bandStart);
        const quint64 b = qMin(hi, bandEnd);
        if (a <= b)
            total += qint64(b - a + 1) * digits;
        bandStart = bandEnd + 1;
        bandEnd = bandStart * quint64(base) - 1;
    }
    return total;
}

} // namespace

qint64 numberSequenceLength(int from, int to, int base, int separatorLength)
{
    if (base < 2 || base > 36)
        return 0;
    const qint64 lo = qMin(from, to);
    const qint64 hi = qMax(from, to);
    qint64 total = (hi - lo) * separatorLength;
    if (lo < 0) {
        const qint64 negativeHi = qMin<qint64>(hi, -1);
        if (base == 10) {
            total += digitCountSum(quint64(-negativeHi), quint64(-lo), 10) + (negativeHi - lo + 1);
        } else {
            const qint64 wrap = qint64(1) << 32;
            total += digitCountSum(quint64(lo + wrap), quint64(negativeHi + wrap), base);
        }
    }
    if (hi >= 0)
        total += digitCountSum(quint64(qMax<qint64>(lo, 0)), quint64(hi), base);
    return total;
}

SequenceResult numberSequence(int from, int to, int base, bool upper, const QString& separator,
                              const SequenceControl& control)
{
    if (base < 2 || base > 36)
        return invalidSequence();
    const char* digits = upper ? "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ" : "0123456789abcdefghijklmnopqrstuvwxyz";
    const qint64 step = from <= to ? 1 : -1;
    const qint64 count = (qint64(to) - from) * step + 1;
    const quint64 radix = quint64(base);
    // 32 binary digits, or a minus sign and 10 decimal digits.
    constexpr int BufferSize = 33;
    QChar buffer[BufferSize];
    return buildSequence(count, numberSequenceLength(from, to, base, separator.size()), separator, control,
                         [&](qint64 i) {
                             const qint64 value = from + i * step;
                             bool minus = false;
                             quint64 magnitude;
                             if (value >= 0) {
                                 magnitude = quint64(value);
                             } else if (base == 10) {
                                 magnitude = quint64(-value);
                                 minus = true;
                             } else {
                                 magnitude = quint32(value); // two's-complement pattern
                             }
                             int pos = BufferSize;
                             do {
                                 buffer[--pos] = QLatin1Char(digits[magnitude % radix]);
                                 magnitude /= radix;
                             } while (magnitude != 0);
                             if (minus)
                                 buffer[--pos] = QLatin1Char('-');
                             return QStringView(buffer + pos, BufferSize - pos);
                         });
}

SequenceResult letterSequence(QChar from, QChar to, bool upper, const QString& separator,
                              const SequenceControl& control)
{
    const qint64 first = from.unicode();
    const qint64 last = to.unicode();
    const qint64 step = first <= last ? 1 : -1;
    const qint64 count = (last - first) * step + 1;
    QChar letter;
    return buildSequence(count, joinedLength(count, 1, separator.size()), separator, control, [&](qint64 i) {
        letter = QChar(ushort(first + i * step));
        if (upper)
            letter = letter.toUpper();
        return QStringView(&letter, 1);
    });
}

SequenceResult dateSequence(const QDate& from, const QDate& to, const QString& format, const QString& separator,
                            const SequenceControl& control)
{
    if (!from.isValid() || !to.isValid())
        return invalidSequence();
    const qint64 first = from.toJulianDay();
    const qint64 last = to.toJulianDay();
    const qint64 step = first <= last ? 1 : -1;
    const qint64 count = (last - first) * step + 1;
    // The same patterns and names as QDate::toString, without looking the locale up for every value.
    const QLocale locale = QLocale::system();
    const QString pattern = format;
    const qint64 valueLength = qMax(locale.toString(from, pattern).size(), locale.toString(to, pattern).size());
    QString value;
    return buildSequence(count, joinedLength(count, valueLength, separator.size()), separator, control, [&](qint64 i) {
        value = locale.toString(QDate::fromJulianDay(first + i * step), pattern);
        return QStringView(value);
    });
}

SequenceResult timeSequence(const QTime& from, const QTime& to, const QString& format, const QString& separator,
                            const SequenceControl& control)
{
    const qint64 first = from.isValid() ? from.msecsSinceStartOfDay() / 1000 : 0;
    const qint64 last = to.isValid() ? to.msecsSinceStartOfDay() / 1000 : 0;
    const qint64 step = first <= last ? 1 : -1;
    const qint64 count = (last - first) * step + 1;
    const QLocale locale = QLocale::system();
    const QString pattern = format;
    const auto timeAt = [](qint64 seconds) { return QTime::fromMSecsSinceStartOfDay(int(seconds * 1000)); };
    const qint64 valueLength =
        qMax(locale.toString(timeAt(first), pattern).size(), locale.toString(timeAt(last), pattern).size());
    QString value;
    return buildSequence(count, joinedLength(count, valueLength, separator.size()), separator, control, [&](qint64 i) {
        value = locale.toString(timeAt(first + i * step), pattern);
        return QStringView(value);
    });
}
