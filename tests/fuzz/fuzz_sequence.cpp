// Value sequences: every base and bound gives exactly the values between the bounds, in the length
// the sequence announces, and a limit refuses a run as a whole.

#include "FuzzSupport.h"
#include "engine/ValueSequence.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::ensureApplication();
    FuzzSupport::Input input(data, size);
    const int kind = input.number(0, 3);
    const bool upper = input.flag();
    // Separators without digits or letters, so that the values can be cut apart again.
    const QString separator =
        QStringList{QStringLiteral("\n"), QStringLiteral(", "), QStringLiteral("\r\n"), QString(), QStringLiteral(";")}
            .at(input.number(0, 4));
    SequenceControl control;
    if (input.flag())
        control.maxLength = input.number(0, 4000);

    switch (kind) {
    case 0: {
        const int from = input.number(INT_MIN, INT_MAX);
        const int to = int(qBound<qint64>(INT_MIN, qint64(from) + input.number(-600, 600), INT_MAX));
        const int base = input.number(0, 40);
        const SequenceResult result = numberSequence(from, to, base, upper, separator, control);
        if (base < 2 || base > 36) {
            FUZZ_CHECK(result.status == SequenceStatus::Invalid);
            FUZZ_CHECK(numberSequenceLength(from, to, base, separator.size()) == 0);
            break;
        }
        const qint64 length = numberSequenceLength(from, to, base, separator.size());
        const qint64 count = qAbs(qint64(to) - from) + 1;
        if (length > control.maxLength || count > control.maxLength) {
            FUZZ_CHECK(result.status == SequenceStatus::TooLong);
            FUZZ_CHECK(result.text.isEmpty());
            break;
        }
        FUZZ_CHECK(result.status == SequenceStatus::Complete);
        FUZZ_CHECK(result.text.size() == length);
        if (separator.isEmpty())
            break;
        const QStringList values = result.text.split(separator);
        FUZZ_CHECK(values.size() == count);
        const int step = to >= from ? 1 : -1;
        for (int i = 0; i < values.size(); ++i) {
            const qint64 expected = qint64(from) + qint64(step) * i;
            bool ok = false;
            const qint64 back = base == 10 ? values.at(i).toLongLong(&ok, 10)
                                           : qint64(qint32(quint32(values.at(i).toULongLong(&ok, base))));
            FUZZ_CHECK(ok);
            FUZZ_CHECK(back == expected);
            FUZZ_CHECK(values.at(i) == (upper ? values.at(i).toUpper() : values.at(i).toLower()));
        }
        break;
    }
    case 1: {
        const QChar from(ushort(input.number(0, 0xFFFF)));
        const QChar to(ushort(qBound(0, from.unicode() + input.number(-300, 300), 0xFFFF)));
        const SequenceResult result = letterSequence(from, to, upper, separator, control);
        const qint64 count = qAbs(int(to.unicode()) - int(from.unicode())) + 1;
        if (result.status == SequenceStatus::TooLong) {
            FUZZ_CHECK(count * (1 + separator.size()) - separator.size() > control.maxLength ||
                       count > control.maxLength);
            break;
        }
        FUZZ_CHECK(result.status == SequenceStatus::Complete);
        FUZZ_CHECK(result.text.size() == count * (1 + separator.size()) - separator.size());
        break;
    }
    default: {
        // Formats from the fuzzer: any pattern must give a complete run or a refusal, never a hang or
        // a crash, and every value once.
        const QString format = input.latin1(12);
        const bool dates = kind == 2;
        SequenceResult result;
        int count = 0;
        if (dates) {
            const QDate from = QDate(1, 1, 1).addDays(input.number(0, 3652059));
            const QDate to = from.addDays(input.number(-400, 400));
            count = int(qAbs(from.daysTo(to))) + 1;
            result = dateSequence(from, to, format, separator, control);
        } else {
            const QTime from = QTime(0, 0).addSecs(input.number(0, 86399));
            const QTime to =
                QTime(0, 0).addSecs(qBound(0, from.msecsSinceStartOfDay() / 1000 + input.number(-900, 900), 86399));
            count = qAbs(from.secsTo(to)) + 1;
            result = timeSequence(from, to, format, separator, control);
        }
        FUZZ_CHECK(result.status == SequenceStatus::Complete || result.status == SequenceStatus::TooLong ||
                   result.status == SequenceStatus::Invalid);
        if (result.status != SequenceStatus::Complete)
            FUZZ_CHECK(result.text.isEmpty());
        else
            FUZZ_CHECK(result.text.size() <= control.maxLength);
        Q_UNUSED(count);
        break;
    }
    }
    return 0;
}
