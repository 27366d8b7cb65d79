// The merge engine: templates cut up, merge, Replace Match, random records, stops, pacing, limits, removed columns.

#include "TestSupport.h"
#include "editor/TextUtils.h"
#include "engine/MergeEngine.h"
#include "engine/PlainColumn.h"

#include <QtTest>

#include <deque>
#include <functional>
#include <limits>

namespace {

// onAsk(n) says whether to stop; the n-th question comes before record (or match) n - 1 is built.
struct TestCallback : Callback
{
    std::function<bool(int)> onAsk = [](int) { return false; };
    int asked = 0;
    QVector<int> progress;
    bool isStopRequested() override { return onAsk(++asked); }
    bool setProgress(int records) override { return progress.append(records), true; }
};

// Columns as "snippet=line|line" (split at the last '=', if any), cursors left on as by an earlier run.
struct ColumnSet
{
    std::deque<PlainColumn> store;
    QList<MergeColumn*> list;
    explicit ColumnSet(const QStringList& entries)
    {
        for (const QString& entry : entries) {
            const int eq = entry.lastIndexOf(QLatin1Char('='));
            list.append(&store.emplace_back(entry.left(eq), entry.mid(eq + 1).split(QLatin1Char('|'))));
            store.back().nextLine();
        }
    }
};

QStringList numbered(const QString& prefix, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(prefix + QString::number(i));
    return lines;
}

QStringList records(const QString& text)
{
    return text.split(QLatin1Char('\n'));
}
void queue(const std::function<void()>& work)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), work, Qt::QueuedConnection);
}
// Random lines differ from run to run, so they are compared without their numbers.
QString digitless(const QString& text)
{
    return QString(text).remove(QRegularExpression(QStringLiteral("\\d+")));
}

// Queues work while the run is about to build record `record`, so it runs before record + 1.
void queueAt(TestCallback& callback, int record, const std::function<void()>& work)
{
    callback.onAsk = [record, work](int asked) { return asked == record + 1 && (queue(work), false); };
}

enum Mode { LF, Replace, Random3 };

// Keeps the pieces a streamed run gives, refusing the piece after the first `accepted` ones.
struct PieceSink : RecordSink
{
    int accepted = std::numeric_limits<int>::max();
    QStringList pieces;
    bool write(const QString& piece) override
    {
        if (pieces.size() >= accepted)
            return false;
        pieces.append(piece);
        return true;
    }
};

} // namespace

class TestMergeEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void tokens_data()
    {
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QString>("expected"); // C and the column index, or the literal quoted
        QTest::addRow("adjacent") << "a#1##1#b" << QStringList{"#1#"} << "'a' C0 C0 'b'";
        QTest::addRow("no overlaps, case-sensitive") << "aaaA" << QStringList{"aa", "A"} << "C0 'a' C1";
        QTest::addRow("empty snippet") << "ab" << QStringList{"", "b"} << "'a' C1";
        QTest::addRow("longer first, listed second") << "aba" << QStringList{"a", "ab"} << "C1 C0";
        QTest::addRow("reference not searched") << "1#1#1" << QStringList{"1", "#1#"} << "C0 C1 C0";
        QTest::addRow("same snippet") << "x#1#y#1#" << QStringList{"#1#", "#1#"} << "'x' C0 'y' C0";
    }
    void tokens()
    {
        QFETCH(QString, templateText);
        QFETCH(QStringList, columns);
        QFETCH(QString, expected);
        const ColumnSet set(columns);
        QStringList tokens;
        for (const TemplateToken& t : MergeEngine::tokenize(templateText, set.list))
            tokens << (t.isColumn() ? QStringLiteral("C%1").arg(t.column) : QStringLiteral("'%1'").arg(t.text));
        QCOMPARE(tokens.join(QLatin1Char(' ')), expected);
    }

    void merge_data()
    {
        QTest::addColumn<int>("lineEnd"); // an EolFormat, or -1 for multi-line off
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QString>("expected");
        QTest::addRow("CR LF") << int(EolWindows) << "a#1#b" << QStringList{"#1#=x|y"} << "axb\r\nayb";
        QTest::addRow("CR, last line empty") << int(EolMac) << "a#1#b" << QStringList{"#1#=x|y|"} << "axb\rayb\rab";
        QTest::addRow("own break, multi-line off") << -1 << "#1#\n" << QStringList{"#1#=x|y"} << "x\ny\n";
        QTest::addRow("shorter column") << int(EolUnix) << "#1#-#2#" << QStringList{"#1#=a|b|c", "#2#=x"}
                                        << "a-x\nb-\nc-";
        QTest::addRow("no snippet in template") << int(EolUnix) << "plain" << QStringList{"#1#=x"} << "";
        QTest::addRow("empty column") << int(EolUnix) << "[#1#]" << QStringList{"#1#="} << "[]";
    }
    void merge()
    {
        QFETCH(int, lineEnd);
        QFETCH(QString, templateText);
        QFETCH(QStringList, columns);
        QFETCH(QString, expected);
        const ColumnSet set(columns);
        MergeEngine engine;
        engine.setMultiLine(lineEnd >= 0);
        engine.setup(set.list, templateText, eolString(lineEnd >= 0 ? EolFormat(lineEnd) : EolWindows));
        QCOMPARE(engine.merge(), expected);
        QCOMPARE(engine.resultTruncated(), false);
        // Streamed, the same text, whatever the stored result.
        PieceSink sink;
        QVERIFY(engine.mergeInto(sink));
        QCOMPARE(sink.pieces.join(QString()), expected);
    }

    void streamed()
    {
        PlainColumn names(QStringLiteral("#1#"), numbered(QStringLiteral("name"), 100000));
        MergeEngine engine;
        engine.setup({&names}, QStringLiteral("<#1#>"), QStringLiteral("\r\n"));
        const QString whole = engine.merge();
        PieceSink sink;
        TestCallback callback;
        QVERIFY(engine.mergeInto(sink, &callback, 30000));
        QVERIFY(sink.pieces.size() > 1); // in pieces, not one string
        QCOMPARE(sink.pieces.join(QString()), whole);
        QCOMPARE(callback.progress, (QVector<int>{30000, 60000, 90000}));
        // A sink that refuses a piece ends the run.
        PieceSink refusing;
        refusing.accepted = 1;
        QVERIFY(!engine.mergeInto(refusing));
        QCOMPARE(refusing.pieces.size(), 1);
        QVERIFY(whole.startsWith(refusing.pieces.first()));
        // A stop is not a failure: the records built so far.
        PieceSink stopped;
        TestCallback stopping;
        stopping.onAsk = [](int asked) { return asked > 3; };
        QVERIFY(engine.mergeInto(stopped, &stopping));
        QCOMPARE(stopped.pieces.join(QString()), QStringLiteral("<name0>\r\n<name1>\r\n<name2>"));
        // Random records: as many as asked for, from the column's lines.
        PieceSink random;
        engine.setMultiLine(false);
        QVERIFY(engine.generateRandomInto(70000, random));
        const QString text = random.pieces.join(QString());
        QCOMPARE(text.count(QLatin1Char('<')), 70000);
        QCOMPARE(digitless(text), QStringLiteral("<name>").repeated(70000));
    }

    void replaceMatches_data()
    {
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("tooComplex"); // the pattern on which the matcher gave up
        const auto row = [](const char* name, const QString& templateText, const QStringList& columns,
                            const QString& expected, const QString& tooComplex = QString()) {
            QTest::addRow("%s", name) << templateText << columns << expected << tooComplex;
        };
        row("successive lines, then empty", "1 2 3", {"\\d+=A|B"}, "A B ");
        row("group only", "id=7", {"id=(\\d+)=X"}, "id=X");
        row("invalid pattern", "a(b", {"(=X"}, "a(b");
        row("empty snippet", "ab", {"=X"}, "ab");
        row("last group taking part", "a b y", {"(a)|(b)|(x)?y=X|Y|Z"}, "X Y Z");
        row("running offset", "a-a-a", {"a=XX||YYY"}, "XX--YYY");
        row("empty matches insert", "ab", {"x*=1|2|3"}, "1a2b3");
        row("empty match at the end", "ab", {"$=1|2"}, "ab1");
        row("lazy empty matches", "aa", {"a*?=<|>|[|]|{"}, "<>[]{");
        row("line starts", "p\nq", {"^=<|>"}, "<p\n>q");
        row("inserted text matched", "cat", {"cat=dog", "dog=bird"}, "bird");
        row("list order, not length", "cat", {"dog=bird", "cat=dog"}, "dog");
        row("group reaching back left alone", "aaa", {"(?=(aa))a=X|Y"}, "Xa");
        row("start verb, not checked", "ab", {"(*UCP)b=X"}, "aX");
        // Too much backtracking before the fourth match: the matcher gives up and says no match.
        const QString blocks = QStringLiteral("e e e ") + QString(40, QLatin1Char('a')) + QStringLiteral(" e");
        row("matcher gives up, later columns skipped", blocks, {"(?:(a|aa)+d|e)=X|X|X|X", "a=b"},
            QStringLiteral("X X X ") + QString(40, QLatin1Char('a')) + QStringLiteral(" e"), "(?:(a|aa)+d|e)");
        // A possessive repeat over a long run: beyond the compiled matcher's stack.
        row("matcher stack exhausted", QString(200000, QLatin1Char('x')), {"(.)\\1++=y"},
            QString(200000, QLatin1Char('x')), "(.)\\1++");
    }

    void replaceMatches()
    {
        QFETCH(QString, templateText);
        QFETCH(QStringList, columns);
        QFETCH(QString, expected);
        QFETCH(QString, tooComplex);
        const ColumnSet set(columns);
        MergeEngine engine;
        engine.setup(set.list, templateText);
        QCOMPARE(engine.replaceMatches(), expected);
        QCOMPARE(engine.tooComplexPattern(), tooComplex);
        QCOMPARE(engine.resultTruncated(), false);
    }

    void randomRecords_data()
    {
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QString>("expected"); // three records, joined by CR LF
        QTest::addRow("empty template") << "" << QStringList{"#1#=v"} << "\r\n\r\n";
        QTest::addRow("one line") << "<#1#>" << QStringList{"#1#=v"} << "<v>\r\n<v>\r\n<v>";
    }
    void randomRecords()
    {
        QFETCH(QString, templateText);
        QFETCH(QStringList, columns);
        QFETCH(QString, expected);
        const ColumnSet set(columns);
        MergeEngine engine;
        engine.setup(set.list, templateText, eolString(EolWindows));
        QCOMPARE(engine.generateRandom(3), expected);
        QCOMPARE(engine.resultTruncated(), false);
    }

    void generateRandom()
    {
        // Each reference draws afresh, every pair of lines about equally often; an empty column adds nothing.
        const QStringList lines = numbered(QStringLiteral("L"), 5);
        PlainColumn column(QStringLiteral("#1#"), lines);
        PlainColumn none(QStringLiteral("#2#"), QStringList());
        MergeEngine engine;
        engine.setup({&column, &none}, QStringLiteral("#1#,#1##2#"));
        TestCallback callback;
        const QStringList out = records(engine.generateRandom(5000, &callback));
        QCOMPARE(out.size(), 5000);
        QCOMPARE(callback.progress.size(), 100);
        QCOMPARE(callback.progress.last(), 5000);
        QHash<QString, int> seen;
        for (const QString& record : out)
            ++seen[record];
        QCOMPARE(seen.size(), 25); // no other records than these:
        for (int p = 0; p < 25; ++p)
            QVERIFY2(qAbs(seen.value(lines[p / 5] + ',' + lines[p % 5]) - 200) < 80, qPrintable(QString::number(p)));
        QCOMPARE(engine.generateRandom(0), QString());
        QCOMPARE(engine.generateRandom(-3), QString());
    }

    void stopAndLimit()
    {
        // A stop keeps what came before it, asked before every record or match; Replace Match skips later passes.
        const ColumnSet plain({"#1#=" + numbered("v", 100).join('|')});
        const ColumnSet digits({"\\d=" + numbered("n", 40).join('|'), "[a-z]=L"});
        const QString text = QStringLiteral("0123456789").repeated(4) + QStringLiteral("z");
        MergeEngine engine;
        for (int k : {0, 1, 37}) {
            for (Mode mode : {LF, Random3, Replace}) {
                const bool replace = mode == Replace, random = mode == Random3;
                TestCallback callback;
                callback.onAsk = [k](int asked) { return asked > k; };
                engine.setup(replace ? digits.list : plain.list, replace ? text : "#1#");
                const QString out = replace  ? engine.replaceMatches(&callback)
                                    : random ? engine.generateRandom(100, &callback)
                                             : engine.merge(&callback);
                const QString want = replace ? numbered("n", k).join("") + text.mid(k) : numbered("v", k).join('\n');
                QCOMPARE(callback.asked, k + 1);
                QCOMPARE(random ? digitless(out) : out, random ? digitless(want) : want);
            }
        }
        // The size limit keeps the whole records (or passes) that fitted; each run says whether it was cut.
        const ColumnSet set({"#1#=aaaaaaaaa|bbbbbbbbb|ccccccccc"}), passes({"x=yy", "y=" + QString(30, 'z')});
        engine.setResultLimit(25);
        engine.setup(set.list, QStringLiteral("#1#"));
        QCOMPARE(engine.merge(), QStringLiteral("aaaaaaaaa\nbbbbbbbbb"));
        QCOMPARE(engine.resultTruncated(), true);
        QCOMPARE(engine.generateRandom(5).size(), 19);
        QCOMPARE(engine.resultTruncated(), true);
        engine.setup(passes.list, QStringLiteral("x-x"));
        QCOMPARE(engine.replaceMatches(), QStringLiteral("yy-"));
        QCOMPARE(engine.resultTruncated(), true);
        // A new setup forgets the cut, even when its run returns early.
        engine.setup(set.list, QString());
        QCOMPARE(engine.merge(), QString());
        QCOMPARE(engine.resultTruncated(), false);
        engine.setup(passes.list, QStringLiteral("x-x"));
        QCOMPARE(engine.replaceMatches(), QStringLiteral("yy-"));
        QCOMPARE(engine.resultTruncated(), true);
        engine.setMultiLine(false);
        QCOMPARE(engine.generateRandom(2), QStringLiteral("yy-yyyy-yy")); // nothing between records
        QCOMPARE(engine.resultTruncated(), false);
    }

    void eventsPaced()
    {
        struct SlowColumn : PlainColumn // lines past 5000 take 100 us or more
        {
            using PlainColumn::PlainColumn;
            QString lineText(int i) const override
            {
                if (i >= 5000)
                    QThread::usleep(100);
                return PlainColumn::lineText(i);
            }
        } column(QStringLiteral("#1#"), numbered(QStringLiteral("v"), 5800));
        TestCallback callback;
        QVector<int> rounds; // the record under way at each round of events, noted by a job queueing itself again
        std::function<void()> note = [&] {
            rounds.append(callback.asked);
            if (callback.asked < 5800)
                queue(note);
        };
        queue(note);
        MergeEngine engine;
        engine.setup({&column}, QStringLiteral("#1#"));
        QCOMPARE(records(engine.merge(&callback)).size(), 5800);
        QCoreApplication::processEvents();
        // Before the first record, then every 10 ms: few among the quick records, soon enough among the slow ones.
        QCOMPARE(rounds.first(), 0);
        QVERIFY2(std::count_if(rounds.cbegin(), rounds.cend(), [](int r) { return r < 5000; }) < 100, "too many");
        for (int i = 1; i < rounds.size(); ++i)
            QVERIFY2(rounds.at(i) - qMax(rounds.at(i - 1), 5000) < 400, qPrintable(QString::number(rounds.at(i))));
    }

    void columnRemoved()
    {
        // Removed before the run or while it lets events through: the records after it leave it empty.
        PlainColumn kept(QStringLiteral("#1#"), numbered(QStringLiteral("a"), 50));
        const PlainColumn original(QStringLiteral("#2#"), numbered(QStringLiteral("b"), 50));
        MergeEngine engine;
        engine.setEventInterval(0);
        for (int k : {-1, 6}) {
            for (bool random : {false, true}) {
                auto* removed = new PlainColumn(original); // a copy, with a life of its own
                TestCallback callback;
                engine.setup({&kept, removed}, QStringLiteral("#1#,#2#"));
                if (k < 0)
                    delete std::exchange(removed, nullptr);
                else
                    queueAt(callback, k, [&] { delete std::exchange(removed, nullptr); });
                const auto out = records(random ? engine.generateRandom(50, &callback) : engine.merge(&callback));
                QCOMPARE(removed, nullptr);
                QCOMPARE(original.lifeToken().expired(), false);
                QCOMPARE(out.size(), 50);
                for (int i = 0; i < out.size(); ++i) {
                    const QString want = QString("a%1,%2").arg(i).arg(i > k ? QString() : QString("b%1").arg(i));
                    QCOMPARE(random ? digitless(out.at(i)) : out.at(i), random ? digitless(want) : want);
                }
            }
        }
        // While Replace Match runs: both go at the fourth match; the rest get nothing, the letter pass is skipped.
        auto* digits = new PlainColumn(QStringLiteral("\\d"), numbered(QStringLiteral("n"), 10));
        auto* letters = new PlainColumn(QStringLiteral("[a-z]"), {QStringLiteral("L")});
        TestCallback callback;
        queueAt(callback, 3, [&] { delete digits, delete letters, digits = letters = nullptr; });
        engine.setup({digits, letters}, QStringLiteral("0123456789z"));
        QCOMPARE(engine.replaceMatches(&callback), QStringLiteral("n0n1n2n3z"));
    }
};

QTEST_GUILESS_MAIN(TestMergeEngine)
#include "tst_mergeengine.moc"
