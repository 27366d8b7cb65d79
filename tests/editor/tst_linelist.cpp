// The line-operation engine without an editor: every step in both encodings, wide characters,
// surrogate pairs, sort orders, the fairness of the shuffle and stopping a running step.

#include "TestSupport.h"
#include "editor/LineList.h"

#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <map>

namespace {

QStringList lines(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char('|'));
}

using Step = std::function<void(LineList&)>;
const std::map<QString, Step>& steps()
{
    static const std::map<QString, Step> table = {
        {"upper", &LineList::toUpper},
        {"lower", &LineList::toLower},
        {"upperFirst", &LineList::upperFirstChar},
        {"lowerFirst", &LineList::lowerFirstChar},
        {"swap", &LineList::swapCase},
        {"reverse", &LineList::reverse},
        {"truncLeft", &LineList::truncateLeft},
        {"truncRight", &LineList::truncateRight},
        {"pad", &LineList::pad},
        {"lstrip", &LineList::lstrip},
        {"rstrip", &LineList::rstrip},
        {"strip", &LineList::strip},
        {"removeEmpty", &LineList::removeEmptyLines},
        {"alignLeft", [](LineList& l) { l.align(LineList::AlignLeft); }},
        {"alignRight", [](LineList& l) { l.align(LineList::AlignRight); }},
        {"alignCenter", [](LineList& l) { l.align(LineList::AlignCenter); }},
        {"textUp", [](LineList& l) { l.sort(LineList::SortText, Qt::AscendingOrder); }},
        {"textDown", [](LineList& l) { l.sort(LineList::SortText, Qt::DescendingOrder); }},
        {"numberUp", [](LineList& l) { l.sort(LineList::SortNumber, Qt::AscendingOrder); }},
        {"numberDown", [](LineList& l) { l.sort(LineList::SortNumber, Qt::DescendingOrder); }}};
    return table;
}

} // namespace

class TestLineList : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void step_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<QStringList>("input");
        QTest::addColumn<QStringList>("expected");
        for (const bool u : {true, false}) {
            const QString mode = QLatin1String(u ? "utf8 " : "ansi ");
            auto row = [&mode](const char* name) -> QTestData& { return QTest::newRow(qPrintable(mode + name)); };
            row("upper") << "upper" << u << lines("ab|cd|straße") << lines("AB|CD|STRASSE");
            row("lower") << "lower" << u << lines("AbC||É") << lines("abc||é");
            row("upper first") << "upperFirst" << u << lines("élan||x y") << lines("Élan||X y");
            row("lower first") << "lowerFirst" << u << lines("ABC||Éx") << lines("aBC||éx");
            row("swap case") << "swap" << u << lines("aB1|Éx") << lines("Ab1|éX");
            // A surrogate pair goes as a whole, at either end of a line.
            row("truncate left") << "truncLeft" << u << lines("abc||😀ab|😀") << lines("bc||ab|");
            row("truncate right") << "truncRight" << u << lines("abc||ab😀|😀a") << lines("ab||ab|😀");
            // A no-break space is not in the left/right set but is white space to the both-sides trim.
            row("lstrip") << "lstrip" << u << lines("\t  a b  |\r\n\f\vx|\u00a0 a") << lines("a b  |x|\u00a0 a");
            row("rstrip") << "rstrip" << u << lines("\t  a b  ") << lines("\t  a b");
            row("strip") << "strip" << u << lines("\t  a b  |\u3000x") << lines("a b|x");
            row("remove empty") << "removeEmpty" << u << lines("a||   |b|\t") << lines("a|b");
            row("remove empty all") << "removeEmpty" << u << lines("|") << QStringList{};
            row("pad") << "pad" << u << lines("a|abc|") << lines("a  |abc|   ");
            row("center, trimmed first") << "alignCenter" << u << lines("a|abcd|  b  ") << lines(" a  |abcd| b  ");
            row("right") << "alignRight" << u << lines("a|abcd") << lines("   a|abcd");
            row("left") << "alignLeft" << u << lines("  a|abcd  ") << lines("a|abcd");
            // By UTF-16 units, not by locale.
            row("text ascending") << "textUp" << u << lines("a|B|é|c|A|z|b|Z") << lines("A|B|Z|a|b|c|z|é");
            row("text descending") << "textDown" << u << lines("a|B|é|c|A|z|b|Z") << lines("é|z|c|b|a|Z|B|A");
            row("number ascending") << "numberUp" << u << lines("10|9|x|-1") << lines("-1|x|9|10");
            row("number descending") << "numberDown" << u << lines("10|9|x|-1") << lines("10|9|x|-1");
            row("number out of range is 0") << "numberUp" << u << lines("3|2147483648|-2147483648|2147483647")
                                            << lines("-2147483648|2147483648|3|2147483647");
            row("reverse") << "reverse" << u << lines("1|2|3|4") << lines("4|3|2|1");
            // A CJK ideograph takes two cells in UTF-8 mode, one unit in ANSI mode; a combining mark none / one.
            row("pad wide") << "pad" << u << lines("中文|abcde") << lines(u ? "中文 |abcde" : "中文   |abcde");
            row("pad combining") << "pad" << u << lines("e\xCC\x81|ab") << lines(u ? "e\xCC\x81 |ab" : "e\xCC\x81|ab");
            row("pad wide widest") << "pad" << u << lines("中文字|a") << lines(u ? "中文字|a     " : "中文字|a  ");
            row("right wide") << "alignRight" << u << lines("中|abcd") << lines(u ? "  中|abcd" : "   中|abcd");
            row("center wide") << "alignCenter" << u << lines("中|abcde") << lines(u ? " 中  |abcde" : "  中  |abcde");
        }
    }

    void step()
    {
        QFETCH(QString, step);
        QFETCH(bool, unicode);
        QFETCH(QStringList, input);
        QFETCH(QStringList, expected);
        LineList list(input, EolWindows, unicode);
        QVERIFY2(steps().count(step), qPrintable(step));
        steps().at(step)(list);
        QCOMPARE(list.lines(), expected);
        QCOMPARE(list.joined(), expected.join(QStringLiteral("\r\n")));
    }

    void shuffleIsFair()
    {
        // 60,000 shuffles of three lines: each of the six orders within 5% of 10,000.
        std::map<QString, int> counts;
        for (int i = 0; i < 60000; ++i) {
            LineList list(lines("a|b|c"), EolUnix, true);
            list.shuffle();
            ++counts[list.lines().join(QString())];
        }
        QCOMPARE(int(counts.size()), 6);
        for (const auto& entry : counts) {
            QVERIFY2(entry.second >= 9500 && entry.second <= 10500,
                     qPrintable(QStringLiteral("%1 came %2 times").arg(entry.first).arg(entry.second)));
        }
    }

    // Pending events run before the first line: a stop posted before the step ends it, lines untouched.
    void stopBeforeFirstLine_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addRow("upper") << "upper";
        QTest::addRow("remove empty") << "removeEmpty";
    }
    void stopBeforeFirstLine()
    {
        QFETCH(QString, step);
        const QStringList input = linesAndBlanks();
        LineList list(input, EolUnix, true);
        QTimer::singleShot(0, [&list] { list.requestStop(); });
        steps().at(step)(list);
        QCOMPARE(list.lines(), input);
    }

    void stopDoesNotCarryOver()
    {
        // A stop from an earlier step does not hold back the next one.
        LineList list(linesAndBlanks(), EolUnix, true);
        list.requestStop();
        list.removeEmptyLines();
        QCOMPARE(list.lines().size(), 1000);
    }

private:
    static QStringList linesAndBlanks()
    {
        QStringList input;
        for (int i = 0; i < 1000; ++i)
            input << QStringLiteral("line %1").arg(i) << QString();
        return input;
    }
};

QTEST_GUILESS_MAIN(TestLineList)
#include "tst_linelist.moc"
