// The line-operation engine without an editor: every step in both encodings, wide characters,
// surrogate pairs, sort orders, the fairness of the shuffle and stopping a running step.

#include "TestSupport.h"
#include "editor/LineList.h"

#include <QRandomGenerator>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <map>

namespace {

QStringList lines(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char('|'));
}

void applyStep(LineList& list, const QString& step)
{
    if (step == QLatin1String("upper"))
        list.toUpper();
    else if (step == QLatin1String("lower"))
        list.toLower();
    else if (step == QLatin1String("upperFirst"))
        list.upperFirstChar();
    else if (step == QLatin1String("lowerFirst"))
        list.lowerFirstChar();
    else if (step == QLatin1String("swap"))
        list.swapCase();
    else if (step == QLatin1String("truncLeft"))
        list.truncateLeft();
    else if (step == QLatin1String("truncRight"))
        list.truncateRight();
    else if (step == QLatin1String("lstrip"))
        list.lstrip();
    else if (step == QLatin1String("rstrip"))
        list.rstrip();
    else if (step == QLatin1String("strip"))
        list.strip();
    else if (step == QLatin1String("removeEmpty"))
        list.removeEmptyLines();
    else if (step == QLatin1String("pad"))
        list.pad();
    else if (step == QLatin1String("alignLeft"))
        list.align(LineList::AlignLeft);
    else if (step == QLatin1String("alignRight"))
        list.align(LineList::AlignRight);
    else if (step == QLatin1String("alignCenter"))
        list.align(LineList::AlignCenter);
    else if (step == QLatin1String("textUp"))
        list.sort(LineList::SortText, Qt::AscendingOrder);
    else if (step == QLatin1String("textDown"))
        list.sort(LineList::SortText, Qt::DescendingOrder);
    else if (step == QLatin1String("numberUp"))
        list.sort(LineList::SortNumber, Qt::AscendingOrder);
    else if (step == QLatin1String("numberDown"))
        list.sort(LineList::SortNumber, Qt::DescendingOrder);
    else if (step == QLatin1String("reverse"))
        list.reverse();
    else
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
}

int numberKey(const QString& line)
{
    bool ok = false;
    const int value = line.toInt(&ok);
    return ok ? value : 0;
}

} // namespace

class TestLineList : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void joinedAndWidth();
    void step_data();
    void step();
    void randomNumericSort();
    void shuffleKeepsLines();
    void shuffleIsFair();
    void stopBeforeFirstLine();
};

void TestLineList::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
}

void TestLineList::joinedAndWidth()
{
    const LineList windows(lines("ab|cd"), EolWindows, true);
    QCOMPARE(windows.joined(), QStringLiteral("ab\r\ncd"));
    QCOMPARE(windows.eol(), QStringLiteral("\r\n"));
    QVERIFY(windows.isUnicode());
    QCOMPARE(LineList(lines("ab|cd"), EolUnix, false).joined(), QStringLiteral("ab\ncd"));
    QCOMPARE(LineList(lines("ab|cd"), EolMac, false).joined(), QStringLiteral("ab\rcd"));
    const QString wide = QString::fromUtf8("中文");
    QCOMPARE(windows.width(wide), 4);
    QCOMPARE(LineList({}, EolUnix, false).width(wide), 2);
}

void TestLineList::step_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("unicode");
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<QStringList>("expected");

    const QString spaced = QStringLiteral("\t  a b  ");
    const QString smiley = QString::fromUtf8("\xF0\x9F\x98\x80");
    for (const bool unicode : {true, false}) {
        const char* mode = unicode ? " utf8" : " ansi";
        auto row = [mode](const char* name) -> QTestData& {
            return QTest::newRow(qPrintable(QString::fromUtf8(name) + QLatin1String(mode)));
        };
        row("upper") << "upper" << unicode << lines("ab|cd") << lines("AB|CD");
        row("upper sharp s") << "upper" << unicode << lines("straße") << lines("STRASSE");
        row("lower") << "lower" << unicode << lines("AbC||É") << lines("abc||é");
        row("upper first") << "upperFirst" << unicode << lines("élan||x y") << lines("Élan||X y");
        row("lower first") << "lowerFirst" << unicode << lines("ABC||Éx") << lines("aBC||éx");
        row("swap case") << "swap" << unicode << lines("aB1|Éx") << lines("Ab1|éX");
        row("truncate left") << "truncLeft" << unicode << lines("abc||x") << lines("bc||");
        row("truncate right") << "truncRight" << unicode << lines("abc||x") << lines("ab||");
        row("truncate left pair") << "truncLeft" << unicode << QStringList{smiley + QStringLiteral("ab"), smiley}
                                  << QStringList{QStringLiteral("ab"), QString()};
        row("truncate right pair") << "truncRight" << unicode << QStringList{QStringLiteral("ab") + smiley, smiley}
                                   << QStringList{QStringLiteral("ab"), QString()};
        row("truncate right keeps leading pair")
            << "truncRight" << unicode << QStringList{smiley + QStringLiteral("a")} << QStringList{smiley};
        row("lstrip") << "lstrip" << unicode << QStringList{spaced, QStringLiteral("\r\n\f\vx")}
                      << QStringList{QStringLiteral("a b  "), QStringLiteral("x")};
        row("rstrip") << "rstrip" << unicode << QStringList{spaced} << QStringList{QStringLiteral("\t  a b")};
        // A no-break space is not in the left/right set but is white space to the both-sides trim.
        row("lstrip keeps nbsp") << "lstrip" << unicode << QStringList{QString(QChar(0xA0)) + QStringLiteral(" a")}
                                 << QStringList{QString(QChar(0xA0)) + QStringLiteral(" a")};
        row("strip") << "strip" << unicode << QStringList{spaced, QString(QChar(0x3000)) + QStringLiteral("x")}
                     << lines("a b|x");
        row("remove empty") << "removeEmpty" << unicode << lines("a||   |b|\t") << lines("a|b");
        row("remove empty all") << "removeEmpty" << unicode << lines("|") << QStringList{};
        row("pad") << "pad" << unicode << lines("a|abc|") << lines("a  |abc|   ");
        row("pad equal") << "pad" << unicode << lines("ab|cd") << lines("ab|cd");
        row("center") << "alignCenter" << unicode << lines("a|abcd") << lines(" a  |abcd");
        row("center trims first") << "alignCenter" << unicode << lines("  a  |abc") << lines(" a |abc");
        row("right") << "alignRight" << unicode << lines("a|abcd") << lines("   a|abcd");
        row("left") << "alignLeft" << unicode << lines("  a|abcd  ") << lines("a|abcd");
        row("text ascending") << "textUp" << unicode << lines("a|B|c|A|b") << lines("A|B|a|b|c");
        row("text descending") << "textDown" << unicode << lines("a|B|c|A|b") << lines("c|b|a|B|A");
        row("text by units") << "textUp" << unicode << lines("é|z|Z") << lines("Z|z|é");
        row("number ascending") << "numberUp" << unicode << lines("10|9|x|-1") << lines("-1|x|9|10");
        row("number descending") << "numberDown" << unicode << lines("10|9|x|-1") << lines("10|9|x|-1");
        row("number out of range is 0")
            << "numberUp" << unicode << lines("3|2147483648|-2147483648|2147483647")
            << lines("-2147483648|2147483648|3|2147483647");
        row("number equal keys keep order") << "numberUp" << unicode << lines("b|1|a|| 0| 2") << lines("b|a|| 0|1| 2");
        row("reverse") << "reverse" << unicode << lines("1|2|3") << lines("3|2|1");
        row("reverse even") << "reverse" << unicode << lines("1|2|3|4") << lines("4|3|2|1");
        row("reverse one") << "reverse" << unicode << lines("only") << lines("only");
    }
    // Widths differ by mode: a CJK ideograph takes two cells in UTF-8 mode, one unit in ANSI mode.
    QTest::newRow("pad wide utf8") << "pad" << true << lines("中文|abcde") << lines("中文 |abcde");
    QTest::newRow("pad wide ansi") << "pad" << false << lines("中文|abcde") << lines("中文   |abcde");
    QTest::newRow("pad combining utf8") << "pad" << true << lines("e\xCC\x81|ab") << lines("e\xCC\x81 |ab");
    QTest::newRow("pad combining ansi") << "pad" << false << lines("e\xCC\x81|ab") << lines("e\xCC\x81|ab");
    QTest::newRow("right wide utf8") << "alignRight" << true << lines("中|abcd") << lines("  中|abcd");
    QTest::newRow("right wide ansi") << "alignRight" << false << lines("中|abcd") << lines("   中|abcd");
    QTest::newRow("center wide utf8") << "alignCenter" << true << lines("中|abcde") << lines(" 中  |abcde");
    QTest::newRow("center wide ansi") << "alignCenter" << false << lines("中|abcde") << lines("  中  |abcde");
    QTest::newRow("left wide utf8") << "alignLeft" << true << lines(" 中 |abcd") << lines("中|abcd");
    QTest::newRow("pad wide widest utf8") << "pad" << true << lines("中文字|a") << lines("中文字|a     ");
}

void TestLineList::step()
{
    QFETCH(QString, step);
    QFETCH(bool, unicode);
    QFETCH(QStringList, input);
    QFETCH(QStringList, expected);

    LineList list(input, EolUnix, unicode);
    applyStep(list, step);
    QCOMPARE(list.lines(), expected);
    QCOMPARE(list.joined(), expected.join(QLatin1Char('\n')));
}

void TestLineList::randomNumericSort()
{
    // Random keys, text and blanks: the result must be a permutation ordered by key, with equal keys
    // in their original order.
    QRandomGenerator random(4711);
    for (int round = 0; round < 20; ++round) {
        QStringList input;
        const int n = int(random.bounded(1, 300));
        for (int i = 0; i < n; ++i) {
            const int kind = int(random.bounded(10));
            if (kind == 0)
                input << QStringLiteral("text%1").arg(i);
            else if (kind == 1)
                input << QString();
            else
                input << QString::number(int(random.bounded(-50, 50)));
        }
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            LineList list(input, EolUnix, true);
            list.sort(LineList::SortNumber, order);
            const QStringList& out = list.lines();
            QStringList expected = input;
            std::stable_sort(expected.begin(), expected.end(), [order](const QString& a, const QString& b) {
                return order == Qt::AscendingOrder ? numberKey(a) < numberKey(b) : numberKey(a) > numberKey(b);
            });
            QCOMPARE(out, expected);
        }
    }
}

void TestLineList::shuffleKeepsLines()
{
    QStringList input;
    for (int i = 0; i < 500; ++i)
        input << QString::number(i % 37);
    LineList list(input, EolUnix, false);
    list.shuffle();
    QStringList out = list.lines();
    QVERIFY(out != input);
    std::sort(out.begin(), out.end());
    std::sort(input.begin(), input.end());
    QCOMPARE(out, input);

    LineList empty(QStringList{}, EolUnix, false);
    empty.shuffle();
    QVERIFY(empty.lines().isEmpty());
    LineList one(lines("x"), EolUnix, false);
    one.shuffle();
    QCOMPARE(one.lines(), lines("x"));
}

void TestLineList::shuffleIsFair()
{
    // 60,000 shuffles of three lines: each of the six orders should come up about 10,000 times.
    std::map<QString, int> counts;
    const QStringList input = lines("a|b|c");
    for (int i = 0; i < 60000; ++i) {
        LineList list(input, EolUnix, true);
        list.shuffle();
        ++counts[list.lines().join(QString())];
    }
    QCOMPARE(int(counts.size()), 6);
    for (const auto& entry : counts) {
        QVERIFY2(entry.second >= 9500 && entry.second <= 10500,
                 qPrintable(QStringLiteral("%1 came %2 times").arg(entry.first).arg(entry.second)));
    }
}

void TestLineList::stopBeforeFirstLine()
{
    // Pending events run before the first line: a stop posted before the step ends it there, and
    // the lines keep their text (removal keeps every line it did not look at).
    QStringList input;
    for (int i = 0; i < 1000; ++i)
        input << QStringLiteral("line %1").arg(i) << QString();
    {
        LineList list(input, EolUnix, true);
        bool ran = false;
        QTimer::singleShot(0, [&] {
            ran = true;
            list.requestStop();
        });
        list.toUpper();
        QVERIFY(ran);
        QVERIFY(list.isStopRequested());
        QCOMPARE(list.lines(), input);
    }
    {
        LineList list(input, EolUnix, true);
        QTimer::singleShot(0, [&] { list.requestStop(); });
        list.removeEmptyLines();
        QCOMPARE(list.lines(), input);
    }
    // A stop from an earlier step does not carry over to the next one.
    LineList list(input, EolUnix, true);
    list.requestStop();
    list.removeEmptyLines();
    QCOMPARE(list.lines().size(), 1000);
}

QTEST_GUILESS_MAIN(TestLineList)
#include "tst_linelist.moc"
