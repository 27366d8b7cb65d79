// The merge engine: templates cut up, merge, Replace Match, random records, stops, pacing, limits, removed columns.

#include "TestSupport.h"
#include "engine/MergeEngine.h"
#include "editor/TextUtils.h"
#include "engine/PlainColumn.h"

#include <QtTest>

#include <deque>
#include <functional>

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

QStringList records(const QString& text) { return text.split(QLatin1Char('\n')); }
void queue(const std::function<void()>& work) { QMetaObject::invokeMethod(qApp, work, Qt::QueuedConnection); }
// Random lines differ from run to run, so they are compared without their numbers.
QString digitless(const QString& text) { return QString(text).remove(QRegularExpression(QStringLiteral("\\d+"))); }

// Queues work while the run is about to build record `record`, so it runs before record + 1.
void queueAt(TestCallback& callback, int record, const std::function<void()>& work)
{
    callback.onAsk = [record, work](int asked) { return asked == record + 1 && (queue(work), false); };
}

enum Mode { CRLF = EolWindows, LF = EolUnix, CR = EolMac, MultiLineOff, Replace, Random3, Tokens };

} // namespace

Q_DECLARE_METATYPE(Mode) // what a table row runs: a merge with that line end, one with multi-line off, and so on

class TestMergeEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void runs_data()
    {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QString>("expected"); // for Tokens: C and the column index, or the literal quoted
        QTest::newRow("cut: adjacent") << Tokens << "a#1##1#b" << QStringList{"#1#"} << "'a' C0 C0 'b'";
        QTest::newRow("cut: no overlaps, case-sensitive") << Tokens << "aaaA" << QStringList{"aa", "A"} << "C0 'a' C1";
        QTest::newRow("cut: empty snippet") << Tokens << "ab" << QStringList{"", "b"} << "'a' C1";
        QTest::newRow("cut: longer first, listed second") << Tokens << "aba" << QStringList{"a", "ab"} << "C1 C0";
        QTest::newRow("cut: reference not searched") << Tokens << "1#1#1" << QStringList{"1", "#1#"} << "C0 C1 C0";
        QTest::newRow("cut: same snippet") << Tokens << "x#1#y#1#" << QStringList{"#1#", "#1#"} << "'x' C0 'y' C0";
        QTest::newRow("CR LF") << CRLF << "a#1#b" << QStringList{"#1#=x|y"} << "axb\r\nayb";
        QTest::newRow("CR, last line empty") << CR << "a#1#b" << QStringList{"#1#=x|y|"} << "axb\rayb\rab";
        QTest::newRow("own break, multi-line off") << MultiLineOff << "#1#\n" << QStringList{"#1#=x|y"} << "x\ny\n";
        QTest::newRow("shorter column") << LF << "#1#-#2#" << QStringList{"#1#=a|b|c", "#2#=x"} << "a-x\nb-\nc-";
        QTest::newRow("unnamed column ignored") << LF << "<#1#>" << QStringList{"#1#=x|y", "#2#=p|q|r"} << "<x>\n<y>";
        QTest::newRow("no snippet in template") << LF << "plain" << QStringList{"#1#=x"} << "";
        QTest::newRow("no columns") << LF << "plain #1#" << QStringList() << "plain #1#";
        QTest::newRow("empty template") << LF << "" << QStringList{"#1#=x"} << "";
        QTest::newRow("empty column") << LF << "[#1#]" << QStringList{"#1#="} << "[]";
        QTest::newRow("random, empty template") << Random3 << "" << QStringList{"#1#=v"} << "\r\n\r\n";
        QTest::newRow("random, no columns") << Random3 << "t#1#" << QStringList() << "t#1#\r\nt#1#\r\nt#1#";
        QTest::newRow("successive lines, then empty") << Replace << "1 2 3" << QStringList{"\\d+=A|B"} << "A B ";
        QTest::newRow("group only") << Replace << "id=7" << QStringList{"id=(\\d+)=X"} << "id=X";
        QTest::newRow("invalid pattern") << Replace << "a(b" << QStringList{"(=X"} << "a(b";
        QTest::newRow("empty snippet") << Replace << "ab" << QStringList{"=X"} << "ab";
        QTest::newRow("last group taking part") << Replace << "a b y" << QStringList{"(a)|(b)|(x)?y=X|Y|Z"} << "X Y Z";
        QTest::newRow("running offset") << Replace << "a-a-a" << QStringList{"a=XX||YYY"} << "XX--YYY";
        QTest::newRow("empty matches insert") << Replace << "ab" << QStringList{"x*=1|2|3"} << "1a2b3";
        QTest::newRow("line starts") << Replace << "p\nq" << QStringList{"^=<|>"} << "<p\n>q";
        QTest::newRow("inserted text matched") << Replace << "cat" << QStringList{"cat=dog", "dog=bird"} << "bird";
        QTest::newRow("list order, not length") << Replace << "cat" << QStringList{"dog=bird", "cat=dog"} << "dog";
        QTest::newRow("group reaching back left alone") << Replace << "aaa" << QStringList{"(?=(aa))a=X|Y"} << "Xa";
    }
    void runs()
    {
        QFETCH(Mode, mode);
        QFETCH(QString, templateText);
        QFETCH(QStringList, columns);
        QFETCH(QString, expected);
        const ColumnSet set(columns);
        MergeEngine engine;
        engine.setMultiLine(mode != MultiLineOff);
        engine.setup(set.list, templateText, eolString(mode <= CR ? EolFormat(mode) : EolWindows));
        QStringList tokens;
        for (const TemplateToken& t : MergeEngine::tokenize(templateText, set.list))
            tokens << (t.isColumn() ? QStringLiteral("C%1").arg(t.column) : QStringLiteral("'%1'").arg(t.text));
        QCOMPARE(mode == Tokens ? tokens.join(QLatin1Char(' ')) : mode == Replace ? engine.replaceMatches()
                 : mode == Random3 ? engine.generateRandom(3) : engine.merge(), expected);
        QVERIFY(!engine.resultTruncated());
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
        QVERIFY(out.size() == 5000 && callback.progress.size() == 100 && callback.progress.last() == 5000);
        QHash<QString, int> seen;
        for (const QString& record : out)
            ++seen[record];
        QCOMPARE(seen.size(), 25); // no other records than these:
        for (int p = 0; p < 25; ++p)
            QVERIFY2(qAbs(seen.value(lines[p / 5] + ',' + lines[p % 5]) - 200) < 80, qPrintable(QString::number(p)));
        QVERIFY(engine.generateRandom(0).isEmpty() && engine.generateRandom(-3).isEmpty());
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
                                    : random ? engine.generateRandom(100, &callback) : engine.merge(&callback);
                const QString want = replace ? numbered("n", k).join("") + text.mid(k) : numbered("v", k).join('\n');
                QCOMPARE(callback.asked, k + 1);
                QCOMPARE(random ? digitless(out) : out, random ? digitless(want) : want);
            }
        }
        // The size limit keeps the whole records (or passes) that fitted; each run says whether it was cut.
        const ColumnSet set({"#1#=aaaaaaaaa|bbbbbbbbb|ccccccccc"}), passes({"x=yy", "y=" + QString(30, 'z')});
        engine.setResultLimit(25);
        engine.setup(set.list, QStringLiteral("#1#"));
        QVERIFY(engine.merge() == "aaaaaaaaa\nbbbbbbbbb" && engine.resultTruncated());
        QVERIFY(engine.generateRandom(5).size() == 19 && engine.resultTruncated());
        engine.setup(passes.list, QStringLiteral("x-x"));
        QVERIFY(engine.replaceMatches() == "yy-" && engine.resultTruncated());
        // A new setup forgets the cut, even when its run returns early.
        engine.setup(set.list, QString());
        QVERIFY(engine.merge().isEmpty() && !engine.resultTruncated());
        engine.setup(passes.list, QStringLiteral("x-x"));
        QVERIFY(engine.replaceMatches() == "yy-" && engine.resultTruncated());
        engine.setMultiLine(false);
        QVERIFY(engine.generateRandom(2) == "yy-yyyy-yy" && !engine.resultTruncated()); // nothing between records
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
        std::function<void()> note = [&] { rounds.append(callback.asked); if (callback.asked < 5800) queue(note); };
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
                QVERIFY(!removed && !original.lifeToken().expired() && out.size() == 50);
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
