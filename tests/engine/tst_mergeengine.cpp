// The merge engine: templates cut up, merge, Replace Match, random records, stops, limits, removed columns.

#include "TestSupport.h"
#include "engine/MergeEngine.h"
#include "engine/PlainColumn.h"
#include "settings/Preferences.h"

#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

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

// Columns given as "snippet=line|line", split at the last '='.
struct ColumnSet
{
    std::vector<std::unique_ptr<PlainColumn>> store;
    QList<MergeColumn*> list;
    explicit ColumnSet(const QStringList& entries)
    {
        for (const QString& entry : entries) {
            const int eq = entry.lastIndexOf(QLatin1Char('='));
            store.push_back(std::make_unique<PlainColumn>(entry.left(eq), entry.mid(eq + 1).split(QLatin1Char('|'))));
            list.append(store.back().get());
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

// Queues work while the run is about to build record `record`, so it runs before record + 1.
void queueAt(TestCallback& callback, int record, const std::function<void()>& work)
{
    callback.onAsk = [record, work](int asked) { return asked == record + 1 && (queue(work), false); };
}

} // namespace

class TestMergeEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }
    void init() { Preferences::instance()->setEditorEolFormat(EolUnix); }

    void tokenize_data()
    {
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<QStringList>("snippets");
        QTest::addColumn<QString>("tokens");
        QTest::newRow("empty template") << QString() << QStringList{"#1#"} << "''";
        QTest::newRow("no columns") << "a#1#" << QStringList() << "'a#1#'";
        QTest::newRow("inside, adjacent, no empty literals") << "a#1##1#b" << QStringList{"#1#"} << "'a' C0 C0 'b'";
        QTest::newRow("not overlapping, case-sensitive") << "aaaA" << QStringList{"aa", "A"} << "C0 'a' C1";
        QTest::newRow("empty snippet") << "ab" << QStringList{"", "b"} << "'a' C1";
        QTest::newRow("longer first") << "aba" << QStringList{"ab", "a"} << "C0 C1";
        QTest::newRow("longer first, listed second") << "aba" << QStringList{"a", "ab"} << "C1 C0";
        QTest::newRow("reference not searched again") << "1#1#1" << QStringList{"1", "#1#"} << "C0 C1 C0";
        QTest::newRow("same snippet, first listed") << "x#1#y#1#" << QStringList{"#1#", "#1#"} << "'x' C0 'y' C0";
    }

    void tokenize()
    {
        QFETCH(QString, templateText);
        QFETCH(QStringList, snippets);
        QFETCH(QString, tokens);
        const ColumnSet set(QStringList(snippets).replaceInStrings(QRegularExpression(QStringLiteral("$")), "=v"));
        QStringList parts;
        for (const TemplateToken& t : MergeEngine::tokenize(templateText, set.list))
            parts << (t.isColumn() ? QStringLiteral("C%1").arg(t.column) : QStringLiteral("'%1'").arg(t.text));
        QCOMPARE(parts.join(QLatin1Char(' ')), tokens);
    }

    void merge_data()
    {
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<int>("eol"); // -1: multi-line off
        QTest::addColumn<QString>("expected");
        QTest::newRow("multi-line") << "a#1#b" << QStringList{"#1#=x|y"} << int(EolUnix) << "axb\nayb";
        QTest::newRow("multi-line off") << "a#1#b" << QStringList{"#1#=x|y"} << -1 << "axbayb";
        QTest::newRow("mac, last line empty") << "a#1#b" << QStringList{"#1#=x|y|"} << int(EolMac) << "axb\rayb\rab";
        QTest::newRow("shorter column") << "#1#-#2#" << QStringList{"#1#=a|b|c", "#2#=x"} << 1 << "a-x\nb-\nc-";
        QTest::newRow("unnamed column ignored") << "<#1#>" << QStringList{"#1#=x|y", "#2#=p|q|r"} << 1 << "<x>\n<y>";
        QTest::newRow("no snippet in template") << "plain" << QStringList{"#1#=x"} << int(EolUnix) << "";
        QTest::newRow("no columns") << "plain #1#" << QStringList() << int(EolUnix) << "plain #1#";
        QTest::newRow("empty template") << "" << QStringList{"#1#=x"} << int(EolUnix) << "";
        QTest::newRow("own line break, multi-line off") << "#1#\n" << QStringList{"#1#=x|y"} << -1 << "x\ny\n";
        QTest::newRow("empty column") << "[#1#]" << QStringList{"#1#="} << int(EolUnix) << "[]";
    }

    void merge()
    {
        QFETCH(QString, templateText);
        QFETCH(QStringList, columns);
        QFETCH(int, eol);
        QFETCH(QString, expected);
        Preferences::instance()->setEditorEolFormat(eol < 0 ? EolWindows : EolFormat(eol));
        const ColumnSet set(columns);
        MergeEngine engine;
        engine.setMultiLine(eol >= 0);
        engine.setup(set.list, templateText);
        QCOMPARE(engine.merge(), expected);
        QVERIFY(!engine.resultTruncated());
    }

    void resultStoredUntilSetup()
    {
        PlainColumn column(QStringLiteral("#1#"), {QStringLiteral("x")});
        MergeEngine engine;
        engine.setup({&column}, QStringLiteral("<#1#>"));
        QCOMPARE(engine.merge(), QStringLiteral("<x>"));
        column.setLines({QStringLiteral("y"), QStringLiteral("z")});
        QCOMPARE(engine.merge(), QStringLiteral("<x>"));
        QCOMPARE(engine.replaceMatches(), QStringLiteral("<x>"));
        QVERIFY(!engine.generateRandom(30).isEmpty() && engine.result() == QStringLiteral("<x>")); // random leaves it
        engine.setup({&column}, QStringLiteral("<#1#>"));
        QVERIFY(engine.result().isEmpty());
        QCOMPARE(engine.merge(), QStringLiteral("<y>\n<z>"));

        // A setup made while a run lets events through wins over the run's result.
        PlainColumn other(QStringLiteral("#2#"), {QStringLiteral("o")});
        engine.setEventInterval(0);
        TestCallback callback;
        queueAt(callback, 0, [&] { engine.setup({&other}, QStringLiteral("[#2#]")); });
        engine.setup({&column}, QStringLiteral("#1#"));
        QCOMPARE(engine.merge(&callback), QStringLiteral("y\nz"));
        QVERIFY(engine.result().isEmpty());
        QCOMPARE(engine.merge(), QStringLiteral("[o]"));
    }

    void stopAndLimit()
    {
        PlainColumn column(QStringLiteral("#1#"), numbered(QStringLiteral("v"), 100000));
        MergeEngine engine;
        engine.setup({&column}, QStringLiteral("(#1#)"));
        const QStringList all = records(engine.merge());
        TestCallback callback;
        for (int k : {0, 1, 37}) {
            engine.setup({&column}, QStringLiteral("(#1#)"));
            callback.asked = 0;
            callback.onAsk = [k](int asked) { return asked > k; };
            QCOMPARE(engine.merge(&callback), QStringList(all.mid(0, k)).join(QLatin1Char('\n')));
            QCOMPARE(callback.asked, k + 1);
            }
        // Replace Match stops between matches and skips the later passes.
        const ColumnSet digits({QStringLiteral("\\d=n0|n1|n2"), QStringLiteral("[a-z]=L")});
        engine.setup(digits.list, QStringLiteral("0123z"));
        callback.onAsk = [](int asked) { return asked > 2; };
        callback.asked = 0;
        QCOMPARE(engine.replaceMatches(&callback), QStringLiteral("n0n123z"));

        // The size limit keeps the whole records (or passes) that fitted.
        const ColumnSet set({QStringLiteral("#1#=aaaaaaaaa|bbbbbbbbb|ccccccccc")});
        engine.setResultLimit(25);
        engine.setup(set.list, QStringLiteral("#1#"));
        QCOMPARE(engine.merge(), QStringLiteral("aaaaaaaaa\nbbbbbbbbb"));
        QVERIFY(engine.resultTruncated());
        QCOMPARE(records(engine.generateRandom(5)).size(), 2);
        QVERIFY(engine.resultTruncated());
        const ColumnSet passes({QStringLiteral("x=yy"), QStringLiteral("y=") + QString(30, QLatin1Char('z'))});
        engine.setup(passes.list, QStringLiteral("x-x"));
        QCOMPARE(engine.replaceMatches(), QStringLiteral("yy-"));
        QVERIFY(engine.resultTruncated());
        engine.setResultLimit(1000);
        engine.setup(set.list, QStringLiteral("#1#"));
        QCOMPARE(records(engine.merge()).size(), 3);
        QVERIFY(!engine.resultTruncated());
    }

    void replaceMatches_data()
    {
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QString>("expected");
        QTest::newRow("successive lines, then empty") << "1 2 3" << QStringList{"\\d+=A|B"} << "A B ";
        QTest::newRow("group only") << "id=7" << QStringList{"id=(\\d+)=X"} << "id=X";
        QTest::newRow("invalid pattern") << "a(b" << QStringList{"(=X"} << "a(b";
        QTest::newRow("empty snippet") << "ab" << QStringList{"=X"} << "ab";
        QTest::newRow("last group that took part") << "a b y" << QStringList{"(a)|(b)|(x)?y=X|Y|Z"} << "X Y Z";
        QTest::newRow("running offset") << "a-a-a" << QStringList{"a=XX||YYY"} << "XX--YYY";
        QTest::newRow("empty matches insert") << "ab" << QStringList{"x*=1|2|3"} << "1a2b3";
        QTest::newRow("line starts") << "p\nq" << QStringList{"^=<|>"} << "<p\n>q";
        QTest::newRow("inserted text matched later") << "cat" << QStringList{"cat=dog", "dog=bird"} << "bird";
        QTest::newRow("list order, not snippet length") << "cat" << QStringList{"dog=bird", "cat=dog"} << "dog";
        QTest::newRow("capture reaching into replaced text") << "aaa" << QStringList{"(?=(aa))a=X|Y"} << "Xa";
    }

    void replaceMatches()
    {
        QFETCH(QString, templateText);
        QFETCH(QStringList, columns);
        QFETCH(QString, expected);
        const ColumnSet set(columns);
        if (!set.store.empty())
            set.store.front()->nextLine(); // a cursor left by an earlier run starts again
        MergeEngine engine;
        engine.setup(set.list, templateText);
        QCOMPARE(engine.replaceMatches(), expected);
    }

    void generateRandom()
    {
        PlainColumn one(QStringLiteral("#1#"), {QStringLiteral("v")});
        MergeEngine engine;
        engine.setup({&one}, QString());
        QVERIFY(engine.generateRandom(0).isEmpty() && engine.generateRandom(-3).isEmpty());
        QCOMPARE(engine.generateRandom(3), QStringLiteral("\n\n"));
        engine.setup({}, QStringLiteral("t#1#"));
        QCOMPARE(engine.generateRandom(3), QStringLiteral("t#1#\nt#1#\nt#1#"));

        // Every line comes about equally often, each reference draws afresh, an empty column adds nothing.
        const QStringList lines = numbered(QStringLiteral("L"), 5);
        PlainColumn column(QStringLiteral("#1#"), lines);
        PlainColumn none(QStringLiteral("#2#"), QStringList());
        engine.setup({&column, &none}, QStringLiteral("#1#,#1##2#"));
        TestCallback callback;
        const QStringList out = records(engine.generateRandom(5000, &callback));
        QCOMPARE(out.size(), 5000);
        QVERIFY(callback.progress.size() == 100 && callback.progress.last() == 5000); // every 50 records
        QHash<QString, int> seen;
        int differ = 0;
        for (const QString& record : out) {
            const QStringList pair = record.split(QLatin1Char(','));
            QCOMPARE(pair.size(), 2);
            ++seen[pair.at(0)], ++seen[pair.at(1)];
            differ += pair.at(0) != pair.at(1);
        }
        QCOMPARE(QSet<QString>(seen.keyBegin(), seen.keyEnd()), QSet<QString>(lines.cbegin(), lines.cend()));
        for (auto it = seen.cbegin(); it != seen.cend(); ++it)
            QVERIFY2(it.value() > 1500 && it.value() < 2500, qPrintable(it.key())); // 2000 expected
        QVERIFY2(differ > 3500 && differ < 4500, qPrintable(QString::number(differ))); // 4000 expected
        engine.setMultiLine(false);
        engine.setup({&one}, QStringLiteral("<#1#>"));
        QCOMPARE(engine.generateRandom(3), QStringLiteral("<v><v><v>"));
    }

    void columnRemoved()
    {
        // Before the run: its references become empty, its pattern matches nothing; its copy lives on.
        const QStringList as = numbered(QStringLiteral("a"), 50);
        PlainColumn kept(QStringLiteral("#1#"), as);
        auto* removed = new PlainColumn(QStringLiteral("#2#"), numbered(QStringLiteral("b"), 50));
        const PlainColumn copy(*removed);
        const std::weak_ptr<const void> life = removed->lifeToken();
        MergeEngine engine;
        MergeEngine replacer;
        engine.setup({&kept, removed}, QStringLiteral("#1#/#2#"));
        replacer.setup({removed}, QStringLiteral("#2# b0"));
        delete removed;
        QVERIFY(life.expired() && !copy.lifeToken().expired());
        QCOMPARE(records(engine.merge()), QStringList(as).replaceInStrings(QRegularExpression("$"), "/"));
        QCOMPARE(replacer.replaceMatches(), QStringLiteral("#2# b0"));

        // While the merge or random records run: records after the removal leave it empty.
        engine.setEventInterval(0);
        const int k = 6;
        for (bool random : {false, true}) {
            removed = new PlainColumn(copy);
            TestCallback callback;
            queueAt(callback, k, [&] { delete removed, removed = nullptr; });
            engine.setup({&kept, removed}, QStringLiteral("#1#,#2#"));
            const QStringList out = records(random ? engine.generateRandom(500, &callback) : engine.merge(&callback));
            QVERIFY(!removed);
            QCOMPARE(out.size(), random ? 500 : 50);
            for (int i = 0; i < out.size(); ++i) {
                const QString a = random ? QStringLiteral("\\d+") : QString::number(i);
                const QString b = i > k ? QString() : random ? QStringLiteral("b\\d+") : QStringLiteral("b%1").arg(i);
                QVERIFY2(QRegularExpression(QStringLiteral("^a%1,%2$").arg(a, b)).match(out.at(i)).hasMatch(),
                         qPrintable(out.at(i)));
            }
        }

        // While Replace Match runs: both go at the fourth match; the rest get nothing, the letter pass is skipped.
        auto* digits = new PlainColumn(QStringLiteral("\\d"), numbered(QStringLiteral("n"), 10));
        auto* letters = new PlainColumn(QStringLiteral("[a-z]"), {QStringLiteral("L")});
        TestCallback callback;
        queueAt(callback, 3, [&] { delete digits, delete letters, digits = letters = nullptr; });
        engine.setup({digits, letters}, QStringLiteral("0123456789z"));
        QCOMPARE(engine.replaceMatches(&callback), QStringLiteral("n0n1n2n3z"));
        QVERIFY(!digits && !letters);
    }
};

QTEST_GUILESS_MAIN(TestMergeEngine)
#include "tst_mergeengine.moc"
