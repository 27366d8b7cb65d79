// Number, letter, date and time sequences checked against values computed another way: Qt's own
// number conversion, a hand-walked Gregorian calendar and clock arithmetic.

#include "TestSupport.h"
#include "editor/TextUtils.h"
#include "engine/ValueSequence.h"

#include <QtTest>

#include <climits>

namespace {

QStringList referenceNumbers(qint64 from, qint64 to, int base, bool upper)
{
    QStringList values;
    for (qint64 v = from, step = from <= to ? 1 : -1;; v += step) {
        const QString text = QString::number(v < 0 && base != 10 ? v & 0xffffffffLL : v, base);
        values << (upper ? text.toUpper() : text);
        if (v == to)
            return values;
    }
}

// The separators a caller passes: each preferred line ending, and nothing.
QString separatorFor(int i)
{
    return i % 4 == 3 ? QString() : eolString(EolFormat(i % 4));
}

int daysInMonth(int y, int m)
{
    return m == 2 ? 28 + (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) : 30 + ((m + m / 8) % 2);
}

} // namespace

class TestValueSequence : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void numbersEveryBase()
    {
        // Across zero both ways and at both ends of int in every base.
        const qint64 fixed[][2] = {{-300, 600}, {1297, -2594}, {INT_MIN, 40}, {INT_MAX, -40}};
        for (int round = 0; round < 35 * 4; ++round) {
            const int base = 2 + round % 35;
            const int from = int(fixed[round / 35][0]);
            const int to = int(qBound<qint64>(INT_MIN, from + fixed[round / 35][1], INT_MAX));
            const bool upper = round % 3 == 1;
            const QString separator = separatorFor(round);
            const SequenceResult result = numberSequence(from, to, base, upper, separator);
            const QByteArray context = QStringLiteral("%1..%2 base %3").arg(from).arg(to).arg(base).toLatin1();
            QVERIFY2(result.status == SequenceStatus::Complete, context);
            QVERIFY2(result.text == referenceNumbers(from, to, base, upper).join(separator), context);
            QVERIFY2(numberSequenceLength(from, to, base, separator.size()) == result.text.size(), context);
            // Built in the one allocation its exact length asks for.
            QVERIFY2(result.text.capacity() == result.text.size(), context);
        }
    }

    void letters_data()
    {
        QTest::addColumn<QChar>("from");
        QTest::addColumn<QChar>("to");
        QTest::addColumn<bool>("upper");
        QTest::addColumn<QString>("separator");
        const struct
        {
            const char* name;
            char from, to;
            int separator;
        } ranges[] = {{"up", 'a', 'e', 0},
                      {"down", 'e', 'a', 1},
                      {"one letter", 'q', 'q', 2},
                      {"whole", 'a', 'z', 3},
                      {"whole, down, letter between", 'z', 'a', 4}};
        for (const auto& range : ranges) {
            for (bool upper : {false, true}) {
                // Upper case applies to the values only, never to the separator.
                QTest::addRow("%s%s", range.name, upper ? ", upper" : "")
                    << QChar(QLatin1Char(range.from)) << QChar(QLatin1Char(range.to)) << upper
                    << (range.separator == 4 ? QStringLiteral("x") : separatorFor(range.separator));
            }
        }
    }

    void letters()
    {
        QFETCH(QChar, from);
        QFETCH(QChar, to);
        QFETCH(bool, upper);
        QFETCH(QString, separator);
        QStringList expected;
        for (int c = from.unicode(); c != to.unicode() + (from <= to ? 1 : -1); c += from <= to ? 1 : -1)
            expected << QString(upper ? QChar(c - 'a' + 'A') : QChar(c));
        const SequenceResult result = letterSequence(from, to, upper, separator);
        QCOMPARE(result.status, SequenceStatus::Complete);
        QCOMPARE(result.text, expected.join(separator));
    }

    void dates_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("count");
        QTest::addRow("leap day 2016") << QDate(2016, 2, 28) << QDate(2016, 3, 1) << 3;
        QTest::addRow("no leap day 2015") << QDate(2015, 2, 28) << QDate(2015, 3, 1) << 2;
        QTest::addRow("year change") << QDate(2015, 12, 30) << QDate(2016, 1, 2) << 4;
        QTest::addRow("no leap day 1900, down") << QDate(1900, 3, 1) << QDate(1900, 2, 27) << 3;
        QTest::addRow("leap day 2000, down") << QDate(2000, 3, 1) << QDate(2000, 2, 27) << 4;
        QTest::addRow("one day") << QDate(2016, 2, 29) << QDate(2016, 2, 29) << 1;
        QTest::addRow("decades down") << QDate(2031, 1, 1) << QDate(1895, 7, 15) << 49479;
    }

    void dates()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, count);
        const int step = from <= to ? 1 : -1;
        int y = from.year(), m = from.month(), d = from.day();
        QStringList expected{QString::asprintf("%04d/%02d/%02d", y, m, d)};
        while (QDate(y, m, d) != to && expected.size() <= count) {
            d += step;
            if (d > daysInMonth(y, m))
                d = 1, m = m % 12 + 1, y += m == 1;
            if (d < 1)
                m = (m + 10) % 12 + 1, y -= m == 12, d = daysInMonth(y, m);
            expected << QString::asprintf("%04d/%02d/%02d", y, m, d);
        }
        QCOMPARE(expected.size(), count);
        const QString separator = separatorFor(count);
        const SequenceResult result = dateSequence(from, to, QStringLiteral("yyyy/MM/dd"), separator);
        QCOMPARE(result.status, SequenceStatus::Complete);
        QCOMPARE(result.text, expected.join(separator));
    }

    void times_data()
    {
        // An unset bound counts as midnight, milliseconds are dropped.
        QTest::addColumn<QTime>("from");
        QTest::addColumn<QTime>("to");
        QTest::addColumn<int>("firstSecond");
        QTest::addColumn<int>("count");
        QTest::addRow("across the minute") << QTime(0, 0, 58) << QTime(0, 1, 1) << 58 << 4;
        QTest::addRow("across the hour") << QTime(0, 59, 59) << QTime(1, 0, 1) << 3599 << 3;
        QTest::addRow("across the hour, down") << QTime(1, 0, 1) << QTime(0, 59, 59) << 3601 << 3;
        QTest::addRow("unset end") << QTime(0, 0, 1) << QTime() << 1 << 2;
        QTest::addRow("milliseconds dropped") << QTime(0, 0, 1, 999) << QTime(0, 0, 3, 1) << 1 << 3;
        QTest::addRow("hours down") << QTime(2, 1, 0) << QTime(0, 58, 30) << 7260 << 3751;
    }

    void times()
    {
        QFETCH(QTime, from);
        QFETCH(QTime, to);
        QFETCH(int, firstSecond);
        QFETCH(int, count);
        const int step = to.isValid() && from <= to ? 1 : -1;
        QStringList expected;
        for (int i = 0, s = firstSecond; i < count; ++i, s += step)
            expected << QString::asprintf("%02d:%02d %02d", s / 3600, s / 60 % 60, s % 60);
        const QString separator = separatorFor(count);
        const SequenceResult result = timeSequence(from, to, QStringLiteral("hh:mm ss"), separator);
        QCOMPARE(result.status, SequenceStatus::Complete);
        QCOMPARE(result.text, expected.join(separator));
    }

    void stops()
    {
        // Events run before the first value, so a stop posted before the run leaves nothing.
        bool fired = false;
        QTimer::singleShot(0, this, [&] { fired = true; });
        SequenceControl control;
        control.stopRequested = [&] { return fired; };
        QCOMPARE(numberSequence(-999999, 999999, 2, false, QStringLiteral("\n"), control).text, QString());
        QCOMPARE(fired, true);

        // The first ask outlasts the pause interval, so the run pauses again soon and is stopped there.
        const auto run = [](const auto& c) {
            return dateSequence({1800, 1, 1}, {2200, 1, 1}, "yyyy-MM-dd", "\r\n", c);
        };
        const SequenceResult full = run(SequenceControl());
        int asks = 0;
        control.stopRequested = [&] { return ++asks == 1 ? (QThread::msleep(15), false) : true; };
        const SequenceResult cut = run(control);
        QCOMPARE(asks, 2);
        QCOMPARE(cut.status, SequenceStatus::Stopped);
        QVERIFY(!cut.text.isEmpty());
        QVERIFY(cut.text.size() < full.text.size());
        QCOMPARE(full.text.left(cut.text.size()), cut.text);
        QCOMPARE(full.text.mid(cut.text.size(), 2), QStringLiteral("\r\n"));
    }

    void refused()
    {
        for (int base : {-5, 0, 1, 37})
            QCOMPARE(numberSequence(1, 10, base, false, QStringLiteral("\n")).status, SequenceStatus::Invalid);
        // The widest number run is refused at once rather than exhausting memory.
        QCOMPARE(numberSequence(INT_MIN, INT_MAX, 2, false, QStringLiteral("\n")).status, SequenceStatus::TooLong);
        // Dates 9 .. 1 June have one-digit bounds and two-digit days between: only the growing text tells.
        // The limit is inclusive.
        SequenceControl control;
        const auto june = [&] { return dateSequence(QDate(2015, 5, 9), QDate(2015, 6, 1), "d", "\n", control); };
        control.maxLength = 69; // the length of the whole text
        QCOMPARE(june().text.size(), 69);
        control.maxLength = 68;
        QCOMPARE(june().status, SequenceStatus::TooLong);
        QCOMPARE(june().text, QString());
        // Values of no text still count: a run of a billion empty dates is refused, not walked.
        QCOMPARE(dateSequence(QDate(-1000000, 1, 1), QDate(1000000, 1, 1), {}, {}).status, SequenceStatus::TooLong);
    }
};

QTEST_GUILESS_MAIN(TestValueSequence)
#include "tst_valuesequence.moc"
