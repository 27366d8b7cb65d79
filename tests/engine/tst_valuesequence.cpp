// Number, letter, date and time sequences checked against values computed another way: Qt's own
// number conversion, coreutils seq and printf, a hand-written Gregorian calendar and clock arithmetic.

#include "TestSupport.h"
#include "editor/TextUtils.h"
#include "engine/ValueSequence.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <climits>

Q_DECLARE_METATYPE(SequenceStatus)

namespace {

const QString lf = QStringLiteral("\n");

QStringList referenceNumbers(qint64 from, qint64 to, int base, bool upper)
{
    QStringList values;
    const qint64 step = from <= to ? 1 : -1;
    for (qint64 v = from;; v += step) {
        QString text = (v < 0 && base != 10) ? QString::number(qulonglong(v & 0xffffffffLL), base)
                                             : QString::number(qlonglong(v), base);
        values << (upper ? text.toUpper() : text);
        if (v == to)
            break;
    }
    return values;
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back (era arithmetic, no library calendar).
qint64 daysFromCivil(qint64 y, int m, int d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

QString civilText(qint64 days)
{
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const qint64 doe = days - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const int d = int(doy - (153 * mp + 2) / 5 + 1);
    const int m = int(mp < 10 ? mp + 3 : mp - 9);
    const qint64 y = yoe + era * 400 + (m <= 2);
    return QString::asprintf("%04lld/%02d/%02d", y, m, d);
}

// Runs a shell script and returns its output without the final line feed.
QString shellOutput(const QString& script)
{
    QProcess sh;
    sh.start(QStringLiteral("sh"), {QStringLiteral("-c"), script});
    if (!sh.waitForFinished(120000) || sh.exitStatus() != QProcess::NormalExit || sh.exitCode() != 0)
        return QStringLiteral("<sh failed: %1>").arg(QString::fromLocal8Bit(sh.readAllStandardError()));
    QString out = QString::fromLatin1(sh.readAllStandardOutput());
    if (out.endsWith(lf))
        out.chop(1);
    return out;
}

} // namespace

class TestValueSequence : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void numbersEveryBase_data();
    void numbersEveryBase();
    void numbersAgainstCoreutils_data();
    void numbersAgainstCoreutils();
    void numbersRandomRanges();
    void numberCases_data();
    void numberCases();
    void letters_data();
    void letters();
    void datesAcrossCalendar_data();
    void datesAcrossCalendar();
    void datesOtherFormats();
    void times_data();
    void times();
    void separators_data();
    void separators();
    void invalidInput();
    void eventsRunBeforeFirstValue();
    void stopKeepsWholeValues_data();
    void stopKeepsWholeValues();
    void lengthLimit();
};

void TestValueSequence::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
}

void TestValueSequence::numbersEveryBase_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("base");
    QTest::addColumn<bool>("upper");
    for (int base = 2; base <= 36; ++base) {
        QTest::addRow("base %d up", base) << -300 << 300 << base << false;
        QTest::addRow("base %d down upper", base) << 1297 << -1297 << base << true;
        QTest::addRow("base %d int min", base) << INT_MIN << INT_MIN + 40 << base << (base % 2 == 0);
        QTest::addRow("base %d int max", base) << INT_MAX << INT_MAX - 40 << base << false;
    }
}

void TestValueSequence::numbersEveryBase()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, base);
    QFETCH(bool, upper);
    const SequenceResult result = numberSequence(from, to, base, upper, lf);
    QCOMPARE(result.status, SequenceStatus::Complete);
    QCOMPARE(result.text, referenceNumbers(from, to, base, upper).join(lf));
}

void TestValueSequence::numbersAgainstCoreutils_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("base");
    QTest::addColumn<bool>("upper");
    for (int base : {8, 10, 16}) {
        QTest::addRow("%d across zero", base) << -1000 << 1000 << base << false;
        QTest::addRow("%d descending", base) << 700 << -700 << base << true;
        QTest::addRow("%d int min", base) << INT_MIN + 30 << INT_MIN << base << false;
        QTest::addRow("%d int max", base) << INT_MAX - 30 << INT_MAX << base << true;
    }
}

void TestValueSequence::numbersAgainstCoreutils()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, base);
    QFETCH(bool, upper);
    if (QStandardPaths::findExecutable(QStringLiteral("sh")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("seq")).isEmpty())
        QSKIP("sh or seq is not installed");
    const int step = from <= to ? 1 : -1;
    QString script;
    if (base == 10) {
        script = QStringLiteral("seq -- %1 %2 %3").arg(from).arg(step).arg(to);
    } else {
        const QString conversion =
            base == 8 ? QStringLiteral("%o") : upper ? QStringLiteral("%X") : QStringLiteral("%x");
        script = QStringLiteral("i=%1; while :; do printf '%2\\n' $(( i & 0xffffffff )); [ $i -eq %3 ] && break;"
                                " i=$(( i + %4 )); done")
                     .arg(from)
                     .arg(conversion)
                     .arg(to)
                     .arg(step);
    }
    const SequenceResult result = numberSequence(from, to, base, upper, lf);
    QCOMPARE(result.status, SequenceStatus::Complete);
    QCOMPARE(result.text, shellOutput(script));
}

void TestValueSequence::numbersRandomRanges()
{
    QRandomGenerator random(20150501);
    for (int round = 0; round < 400; ++round) {
        const int from = int(random.generate());
        const qint64 span = random.bounded(-200, 201);
        const int to = int(qBound<qint64>(INT_MIN, from + span, INT_MAX));
        const int base = random.bounded(2, 37);
        const bool upper = random.bounded(2) == 1;
        const QString separator = round % 3 == 0 ? QStringLiteral("\r\n") : round % 3 == 1 ? QString() : lf;
        const SequenceResult result = numberSequence(from, to, base, upper, separator);
        const QString context = QStringLiteral("%1..%2 base %3").arg(from).arg(to).arg(base);
        QVERIFY2(result.text == referenceNumbers(from, to, base, upper).join(separator), qPrintable(context));
        QVERIFY2(numberSequenceLength(from, to, base, separator.size()) == result.text.size(), qPrintable(context));
        // The text is built in the one allocation its exact length asks for.
        QVERIFY2(result.text.capacity() == result.text.size(), qPrintable(context));
    }
}

void TestValueSequence::numberCases_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("base");
    QTest::addColumn<bool>("upper");
    QTest::addColumn<QString>("expected");
    QTest::newRow("1 to 3") << 1 << 3 << 10 << false << "1\n2\n3";
    QTest::newRow("3 to 1") << 3 << 1 << 10 << false << "3\n2\n1";
    QTest::newRow("hex upper") << 10 << 15 << 16 << true << "A\nB\nC\nD\nE\nF";
    QTest::newRow("hex lower") << 10 << 15 << 16 << false << "a\nb\nc\nd\ne\nf";
    QTest::newRow("minus one hex") << -1 << -1 << 16 << false << "ffffffff";
    QTest::newRow("minus one base 36") << -1 << -1 << 36 << true << "1Z141Z3";
    QTest::newRow("int min binary") << INT_MIN << INT_MIN << 2 << false << "10000000000000000000000000000000";
    QTest::newRow("int min decimal") << INT_MIN << INT_MIN + 1 << 10 << false << "-2147483648\n-2147483647";
    QTest::newRow("decimal across zero") << 1 << -2 << 10 << true << "1\n0\n-1\n-2";
    QTest::newRow("octal across zero") << 1 << -1 << 8 << false << "1\n0\n37777777777";
}

void TestValueSequence::numberCases()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, base);
    QFETCH(bool, upper);
    QFETCH(QString, expected);
    QCOMPARE(numberSequence(from, to, base, upper, lf).text, expected);
}

void TestValueSequence::letters_data()
{
    QTest::addColumn<QChar>("from");
    QTest::addColumn<QChar>("to");
    QTest::addColumn<bool>("upper");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a to e upper") << QChar('a') << QChar('e') << true << lf << "A\nB\nC\nD\nE";
    QTest::newRow("e to a") << QChar('e') << QChar('a') << false << lf << "e\nd\nc\nb\na";
    QTest::newRow("single") << QChar('q') << QChar('q') << true << lf << "Q";
    // Upper case applies to the values only, never to the separator.
    QTest::newRow("separator kept") << QChar('x') << QChar('z') << true << "x" << "XxYxZ";
    QString all;
    QString allUpperDown;
    for (char c = 'a'; c <= 'z'; ++c) {
        all += (c > 'a' ? lf : QString()) + QLatin1Char(c);
        allUpperDown += (c > 'a' ? QStringLiteral("\r\n") : QString()) + QLatin1Char(char('Z' - (c - 'a')));
    }
    QTest::newRow("a to z") << QChar('a') << QChar('z') << false << lf << all;
    QTest::newRow("z to a upper") << QChar('z') << QChar('a') << true << "\r\n" << allUpperDown;
}

void TestValueSequence::letters()
{
    QFETCH(QChar, from);
    QFETCH(QChar, to);
    QFETCH(bool, upper);
    QFETCH(QString, separator);
    QFETCH(QString, expected);
    const SequenceResult result = letterSequence(from, to, upper, separator);
    QCOMPARE(result.status, SequenceStatus::Complete);
    QCOMPARE(result.text, expected);
}

void TestValueSequence::datesAcrossCalendar_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<int>("count");
    QTest::newRow("leap day 2016") << QDate(2016, 2, 28) << QDate(2016, 3, 1) << 3;
    QTest::newRow("no leap day 2015") << QDate(2015, 2, 28) << QDate(2015, 3, 1) << 2;
    QTest::newRow("year change") << QDate(2015, 12, 30) << QDate(2016, 1, 2) << 4;
    QTest::newRow("century not leap") << QDate(1900, 3, 1) << QDate(1900, 2, 27) << 3;
    QTest::newRow("400 years leap") << QDate(2000, 3, 1) << QDate(2000, 2, 27) << 4;
    QTest::newRow("month end") << QDate(2015, 4, 29) << QDate(2015, 5, 2) << 4;
    QTest::newRow("default range") << QDate(2015, 5, 1) << QDate(2016, 6, 1) << 398;
    QTest::newRow("same day") << QDate(2016, 2, 29) << QDate(2016, 2, 29) << 1;
    QTest::newRow("decades down") << QDate(2031, 1, 1) << QDate(1895, 7, 15) << 49479;
}

void TestValueSequence::datesAcrossCalendar()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(int, count);
    const qint64 first = daysFromCivil(from.year(), from.month(), from.day());
    const qint64 last = daysFromCivil(to.year(), to.month(), to.day());
    const qint64 step = first <= last ? 1 : -1;
    QStringList expected;
    for (qint64 day = first;; day += step) {
        expected << civilText(day);
        if (day == last)
            break;
    }
    QCOMPARE(expected.size(), count);
    const SequenceResult result = dateSequence(from, to, QStringLiteral("yyyy/MM/dd"), lf);
    QCOMPARE(result.status, SequenceStatus::Complete);
    QCOMPARE(result.text, expected.join(lf));
}

void TestValueSequence::datesOtherFormats()
{
    const QDate start(2015, 12, 20);
    for (const QString& format : {QStringLiteral("yyyy-MM-dd"), QStringLiteral("d MMM yy, dddd"),
                                  QStringLiteral("dd.MM.yyyy 'week'"), QString()}) {
        QStringList up;
        QStringList down;
        for (int i = 0; i <= 80; ++i) {
            up << start.addDays(i).toString(format);
            down << start.addDays(80 - i).toString(format);
        }
        QCOMPARE(dateSequence(start, start.addDays(80), format, lf).text, up.join(lf));
        QCOMPARE(dateSequence(start.addDays(80), start, format, lf).text, down.join(lf));
    }
}

void TestValueSequence::times_data()
{
    QTest::addColumn<QTime>("from");
    QTest::addColumn<QTime>("to");
    QTest::addColumn<int>("firstSecond");
    QTest::addColumn<int>("count");
    QTest::newRow("minute") << QTime(0, 0, 58) << QTime(0, 1, 1) << 58 << 4;
    QTest::newRow("hour") << QTime(0, 59, 59) << QTime(1, 0, 1) << 3599 << 3;
    QTest::newRow("hour down") << QTime(1, 0, 1) << QTime(0, 59, 59) << 3601 << 3;
    QTest::newRow("minute down") << QTime(10, 0, 0) << QTime(9, 59, 57) << 36000 << 4;
    QTest::newRow("day end") << QTime(23, 59, 58) << QTime(23, 59, 59) << 86398 << 2;
    QTest::newRow("unset from") << QTime() << QTime(0, 0, 2) << 0 << 3;
    QTest::newRow("unset to") << QTime(0, 0, 1) << QTime() << 1 << 2;
    QTest::newRow("milliseconds dropped") << QTime(0, 0, 1, 999) << QTime(0, 0, 3, 1) << 1 << 3;
    QTest::newRow("default range") << QTime(0, 0) << QTime(1, 0) << 0 << 3601;
    QTest::newRow("two hours") << QTime(2, 1, 0) << QTime(0, 58, 30) << 7260 << 3751;
}

void TestValueSequence::times()
{
    QFETCH(QTime, from);
    QFETCH(QTime, to);
    QFETCH(int, firstSecond);
    QFETCH(int, count);
    const int step = to.isValid() && (!from.isValid() || from <= to) ? 1 : -1;
    for (const QString& format : {QStringLiteral("hh:mm:ss"), QStringLiteral("hh mm ss")}) {
        const char* pattern = format.contains(QLatin1Char(':')) ? "%02d:%02d:%02d" : "%02d %02d %02d";
        QStringList expected;
        for (int i = 0, s = firstSecond; i < count; ++i, s += step)
            expected << QString::asprintf(pattern, s / 3600, s / 60 % 60, s % 60);
        const SequenceResult result = timeSequence(from, to, format, lf);
        QCOMPARE(result.status, SequenceStatus::Complete);
        QCOMPARE(result.text, expected.join(lf));
    }
}

void TestValueSequence::separators_data()
{
    QTest::addColumn<QString>("separator");
    QTest::newRow("windows") << eolString(EolWindows);
    QTest::newRow("unix") << eolString(EolUnix);
    QTest::newRow("mac") << eolString(EolMac);
    QTest::newRow("none") << QString();
    QTest::newRow("comma") << QStringLiteral(", ");
}

void TestValueSequence::separators()
{
    QFETCH(QString, separator);
    const auto joined = [&](const QStringList& values) { return values.join(separator); };
    QCOMPARE(numberSequence(-1, 1, 10, false, separator).text, joined({"-1", "0", "1"}));
    QCOMPARE(letterSequence(QChar('c'), QChar('a'), false, separator).text, joined({"c", "b", "a"}));
    QCOMPARE(dateSequence(QDate(2016, 2, 28), QDate(2016, 3, 1), QStringLiteral("MM/dd"), separator).text,
             joined({"02/28", "02/29", "03/01"}));
    QCOMPARE(timeSequence(QTime(0, 0, 59), QTime(0, 1, 0), QStringLiteral("mm:ss"), separator).text,
             joined({"00:59", "01:00"}));
    // A single value has no separator at all.
    QCOMPARE(numberSequence(7, 7, 10, false, separator).text, QStringLiteral("7"));
}

void TestValueSequence::invalidInput()
{
    for (int base : {-5, 0, 1, 37, 100}) {
        const SequenceResult result = numberSequence(1, 10, base, false, lf);
        QCOMPARE(result.status, SequenceStatus::Invalid);
        QVERIFY(result.text.isEmpty());
        QCOMPARE(numberSequenceLength(1, 10, base, 1), 0);
    }
    QCOMPARE(dateSequence(QDate(), QDate(2016, 1, 1), QStringLiteral("yyyy"), lf).status, SequenceStatus::Invalid);
    QCOMPARE(dateSequence(QDate(2016, 1, 1), QDate(2016, 2, 30), QStringLiteral("yyyy"), lf).status,
             SequenceStatus::Invalid);
}

void TestValueSequence::eventsRunBeforeFirstValue()
{
    bool fired = false;
    QTimer::singleShot(0, this, [&] { fired = true; });
    SequenceControl control;
    control.stopRequested = [&] { return fired; };
    const SequenceResult result = numberSequence(-999999, 999999, 2, false, lf, control);
    QVERIFY(fired);
    QCOMPARE(result.status, SequenceStatus::Stopped);
    QVERIFY(result.text.isEmpty());
}

void TestValueSequence::stopKeepsWholeValues_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("numbers") << 0;
    QTest::newRow("dates") << 1;
    QTest::newRow("times") << 2;
}

void TestValueSequence::stopKeepsWholeValues()
{
    QFETCH(int, kind);
    const auto run = [&](const SequenceControl& control) {
        const QString eol = eolString(EolWindows);
        if (kind == 0)
            return numberSequence(999999, -999999, 10, false, eol, control);
        if (kind == 1)
            return dateSequence(QDate(1800, 1, 1), QDate(2200, 1, 1), QStringLiteral("yyyy-MM-dd"), eol, control);
        return timeSequence(QTime(23, 59, 59), QTime(0, 0), QStringLiteral("hh:mm:ss"), eol, control);
    };
    const SequenceResult full = run({});
    QCOMPARE(full.status, SequenceStatus::Complete);

    // The first ask outlasts the pause interval, so the run pauses again soon and is stopped there.
    int asks = 0;
    SequenceControl control;
    control.stopRequested = [&] {
        if (++asks == 1)
            QThread::msleep(15);
        return asks >= 2;
    };
    const SequenceResult cut = run(control);
    QCOMPARE(asks, 2);
    QCOMPARE(cut.status, SequenceStatus::Stopped);
    QVERIFY(!cut.text.isEmpty());
    QVERIFY(cut.text.size() < full.text.size());
    QVERIFY(full.text.startsWith(cut.text));
    QVERIFY(!cut.text.endsWith(QLatin1Char('\n')));
    QVERIFY(full.text.midRef(cut.text.size()).startsWith(QLatin1String("\r\n")));
}

void TestValueSequence::lengthLimit()
{
    // The widest number run is refused at once rather than exhausting memory.
    SequenceResult result = numberSequence(INT_MIN, INT_MAX, 2, false, lf);
    QCOMPARE(result.status, SequenceStatus::TooLong);
    QVERIFY(result.text.isEmpty());

    // The limit is inclusive.
    const qint64 length = numberSequenceLength(-50, 50, 3, 2);
    SequenceControl control;
    control.maxLength = length;
    QCOMPARE(numberSequence(-50, 50, 3, false, QStringLiteral("\r\n"), control).text.size(), length);
    control.maxLength = length - 1;
    QCOMPARE(numberSequence(-50, 50, 3, false, QStringLiteral("\r\n"), control).status, SequenceStatus::TooLong);

    // Dates 9 .. 1 June: the bounds have one digit, the days between two, so only the growing text
    // can tell the run is too long (the full text has 69 units).
    const QDate from(2015, 5, 9);
    const QDate to(2015, 6, 1);
    control.maxLength = 69;
    QCOMPARE(dateSequence(from, to, QStringLiteral("d"), lf, control).text.size(), 69);
    control.maxLength = 68;
    result = dateSequence(from, to, QStringLiteral("d"), lf, control);
    QCOMPARE(result.status, SequenceStatus::TooLong);
    QVERIFY(result.text.isEmpty());

    // Values of no text still count: a run of a billion empty dates is refused, not walked.
    result = dateSequence(QDate(-1000000, 1, 1), QDate(1000000, 1, 1), QString(), QString());
    QCOMPARE(result.status, SequenceStatus::TooLong);

    control.maxLength = 1000;
    QCOMPARE(letterSequence(QChar(0), QChar(0xffff), false, lf, control).status, SequenceStatus::TooLong);
}

QTEST_GUILESS_MAIN(TestValueSequence)
#include "tst_valuesequence.moc"
