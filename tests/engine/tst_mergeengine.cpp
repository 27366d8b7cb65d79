// The merge engine: cutting templates, the merge, Replace Match and random records, stopping, progress,
// and columns removed while a run lets events through.

#include "TestSupport.h"
#include "engine/MergeEngine.h"
#include "engine/PlainColumn.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <QSet>
#include <QtTest>

#include <functional>

namespace {

// A callback that stops once it has been asked more than limit times (or when stop is set), keeps
// the progress it is given, and runs onAsk at each question: asked n times, the run is about to
// build its record (or match) n - 1, so work queued there is handled before the next one.
class TestCallback : public Callback
{
public:
    explicit TestCallback(int limit = -1) : m_limit(limit) {}
    bool isStopRequested() override
    {
        ++asked;
        if (onAsk)
            onAsk(asked);
        return stop || (m_limit >= 0 && asked > m_limit);
    }
    bool setProgress(int records) override
    {
        progress.append(records);
        return true;
    }
    bool stop = false;
    int asked = 0;
    QVector<int> progress;
    std::function<void(int)> onAsk;

private:
    int m_limit;
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

QString describe(const QList<TemplateToken>& tokens)
{
    QStringList parts;
    for (const TemplateToken& token : tokens)
        parts.append(token.isColumn() ? QStringLiteral("C%1").arg(token.column)
                                      : QStringLiteral("'%1'").arg(token.text));
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestMergeEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void tokenize_data();
    void tokenize();
    void merge_data();
    void merge();
    void mergeStoresResultUntilSetup();
    void stopAfterRecords_data();
    void stopAfterRecords();
    void stopSeenAtRecordAfterEvent();
    void eventsRunBeforeFirstRecord();
    void eventsKeepComingWhenRecordsSlowDown();
    void setupDuringRunKeepsRunAndNewSetup();
    void resultLimit();

    void replaceMatches_data();
    void replaceMatches();
    void replaceStopsAndLaterPassesStop();
    void replaceRestartsLineCursor();

    void randomRecords_data();
    void randomRecords();
    void randomProgress_data();
    void randomProgress();
    void randomDrawsEveryLineAndNoOther();
    void randomLeavesStoredResult();

    void copiedColumnHasOwnLife();
    void columnRemovedBeforeRun();
    void columnRemovedDuringMerge();
    void columnRemovedDuringReplace();
    void columnRemovedDuringRandom();
};

void TestMergeEngine::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
}

void TestMergeEngine::init()
{
    Preferences::instance()->setEditorEolFormat(EolUnix);
}

void TestMergeEngine::tokenize_data()
{
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QStringList>("snippets");
    QTest::addColumn<QString>("tokens");

    const QStringList one{QStringLiteral("#1#")};
    QTest::newRow("empty template") << QString() << one << "''";
    QTest::newRow("no columns") << "a#1#" << QStringList() << "'a#1#'";
    QTest::newRow("whole template") << "#1#" << one << "C0";
    QTest::newRow("inside") << "a#1#b" << one << "'a' C0 'b'";
    QTest::newRow("adjacent, no empty literals") << "#1##1#" << one << "C0 C0";
    QTest::newRow("not overlapping") << "aaa" << QStringList{"aa"} << "C0 'a'";
    QTest::newRow("case-sensitive") << "#A#" << QStringList{"#a#"} << "'#A#'";
    QTest::newRow("empty snippet") << "ab" << QStringList{"", "b"} << "'a' C1";
    QTest::newRow("longer first") << "aba" << QStringList{"ab", "a"} << "C0 C1";
    QTest::newRow("longer first, listed second") << "aba" << QStringList{"a", "ab"} << "C1 C0";
    QTest::newRow("reference not searched again") << "1#1#1" << QStringList{"1", "#1#"} << "C0 C1 C0";
    QTest::newRow("same snippet, first listed") << "x#1#y#1#" << QStringList{"#1#", "#1#"} << "'x' C0 'y' C0";
}

void TestMergeEngine::tokenize()
{
    QFETCH(QString, templateText);
    QFETCH(QStringList, snippets);
    QFETCH(QString, tokens);
    std::vector<PlainColumn> columns;
    columns.reserve(snippets.size());
    QList<MergeColumn*> list;
    for (const QString& snippet : qAsConst(snippets)) {
        columns.emplace_back(snippet, QStringList{QStringLiteral("v")});
        list.append(&columns.back());
    }
    QCOMPARE(describe(MergeEngine::tokenize(templateText, list)), tokens);
}

void TestMergeEngine::merge_data()
{
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QStringList>("columns"); // "snippet=text" each
    QTest::addColumn<bool>("multiLine");
    QTest::addColumn<int>("eol");
    QTest::addColumn<QString>("expected");

    QTest::newRow("multi-line") << "a#1#b" << QStringList{"#1#=x\ny"} << true << int(EolUnix) << "axb\nayb";
    QTest::newRow("single line") << "a#1#b" << QStringList{"#1#=x\ny"} << false << int(EolUnix) << "axbayb";
    QTest::newRow("windows") << "a#1#b" << QStringList{"#1#=x\ny"} << true << int(EolWindows) << "axb\r\nayb";
    QTest::newRow("mac") << "a#1#b" << QStringList{"#1#=x\ny"} << true << int(EolMac) << "axb\rayb";
    QTest::newRow("final line break") << "a#1#b" << QStringList{"#1#=x\ny\n"} << true << int(EolUnix)
                                      << "axb\nayb\nab";
    QTest::newRow("shorter column") << "#1#-#2#" << QStringList{"#1#=a\nb\nc", "#2#=x"} << true << int(EolUnix)
                                    << "a-x\nb-\nc-";
    QTest::newRow("unnamed column counts nothing")
        << "<#1#>" << QStringList{"#1#=x\ny", "#2#=p\nq\nr"} << true << int(EolUnix) << "<x>\n<y>";
    QTest::newRow("no snippet in template") << "plain" << QStringList{"#1#=x"} << true << int(EolUnix) << "";
    QTest::newRow("no columns") << "plain #1#" << QStringList() << true << int(EolUnix) << "plain #1#";
    QTest::newRow("empty template") << "" << QStringList{"#1#=x"} << true << int(EolUnix) << "";
    QTest::newRow("ab before a") << "aba" << QStringList{"ab=1\n2", "a=p\nq"} << true << int(EolUnix) << "1p\n2q";
    QTest::newRow("named twice") << "#1#=#1#" << QStringList{"#1#=x\ny"} << true << int(EolUnix) << "x=x\ny=y";
    QTest::newRow("own line break, single line") << "#1#\n" << QStringList{"#1#=x\ny"} << false << int(EolUnix)
                                                 << "x\ny\n";
    QTest::newRow("empty column") << "[#1#]" << QStringList{"#1#="} << true << int(EolUnix) << "[]";
}

void TestMergeEngine::merge()
{
    QFETCH(QString, templateText);
    QFETCH(QStringList, columns);
    QFETCH(bool, multiLine);
    QFETCH(int, eol);
    QFETCH(QString, expected);
    Preferences::instance()->setEditorEolFormat(EolFormat(eol));

    std::vector<PlainColumn> store;
    store.reserve(columns.size());
    QList<MergeColumn*> list;
    for (const QString& entry : qAsConst(columns)) {
        const int eq = entry.indexOf(QLatin1Char('='));
        store.push_back(PlainColumn::fromText(entry.left(eq), entry.mid(eq + 1)));
        list.append(&store.back());
    }
    MergeEngine engine;
    engine.setMultiLine(multiLine);
    engine.setup(list, templateText);
    TestCallback callback;
    QCOMPARE(engine.merge(&callback), expected);
    QVERIFY(!engine.resultTruncated());
}

void TestMergeEngine::mergeStoresResultUntilSetup()
{
    PlainColumn column(QStringLiteral("#1#"), {QStringLiteral("x")});
    MergeEngine engine;
    engine.setup({&column}, QStringLiteral("<#1#>"));
    QCOMPARE(engine.merge(), QStringLiteral("<x>"));
    column.setLines({QStringLiteral("y")});
    QCOMPARE(engine.merge(), QStringLiteral("<x>"));
    QCOMPARE(engine.replaceMatches(), QStringLiteral("<x>"));
    engine.setup({&column}, QStringLiteral("<#1#>"));
    QVERIFY(engine.result().isEmpty());
    QCOMPARE(engine.merge(), QStringLiteral("<y>"));
    QCOMPARE(engine.result(), QStringLiteral("<y>"));
}

void TestMergeEngine::stopAfterRecords_data()
{
    QTest::addColumn<int>("k");
    QTest::newRow("at once") << 0;
    QTest::newRow("one") << 1;
    QTest::newRow("some") << 37;
}

void TestMergeEngine::stopAfterRecords()
{
    QFETCH(int, k);
    PlainColumn column(QStringLiteral("#1#"), numbered(QStringLiteral("v"), 100000));
    MergeEngine engine;
    engine.setup({&column}, QStringLiteral("(#1#)"));
    const QStringList all = records(engine.merge());
    QCOMPARE(all.size(), 100000);

    engine.setup({&column}, QStringLiteral("(#1#)"));
    TestCallback callback(k);
    const QString part = engine.merge(&callback);
    QCOMPARE(part, QStringList(all.mid(0, k)).join(QLatin1Char('\n')));
    QCOMPARE(callback.asked, k + 1);
    QCOMPARE(engine.result(), part);
}

void TestMergeEngine::stopSeenAtRecordAfterEvent()
{
    // Events before every record: a stop posted while record 4 is under way is handled before
    // record 5 and seen right after, so five records come back.
    PlainColumn column(QStringLiteral("#1#"), numbered(QStringLiteral("v"), 1000));
    TestCallback callback;
    callback.onAsk = [&](int asked) {
        if (asked == 5)
            queue([&] { callback.stop = true; });
    };
    MergeEngine engine;
    engine.setEventInterval(0);
    engine.setup({&column}, QStringLiteral("#1#"));
    QCOMPARE(engine.merge(&callback), QStringLiteral("v0\nv1\nv2\nv3\nv4"));
}

void TestMergeEngine::eventsRunBeforeFirstRecord()
{
    // A stop posted before the run is handled before the first record (or match) of each run.
    PlainColumn column(QStringLiteral("#1#"), numbered(QStringLiteral("v"), 10));
    PlainColumn digits(QStringLiteral("\\d"), {QStringLiteral("N"), QStringLiteral("M")});
    MergeEngine engine;
    for (int run = 0; run < 3; ++run) {
        TestCallback callback;
        queue([&] { callback.stop = true; });
        QString out;
        if (run == 0) {
            engine.setup({&column}, QStringLiteral("#1#"));
            out = engine.merge(&callback);
        } else if (run == 1) {
            engine.setup({&column}, QStringLiteral("#1#"));
            out = engine.generateRandom(10, &callback);
        } else {
            engine.setup({&digits}, QStringLiteral("1 2"));
            out = engine.replaceMatches(&callback);
        }
        QCOMPARE(out, run == 2 ? QStringLiteral("1 2") : QString());
        QCOMPARE(callback.asked, 1);
    }
}

void TestMergeEngine::eventsKeepComingWhenRecordsSlowDown()
{
    // Fast records first, then records of 100 us each: an event queued among the slow ones must be
    // handled within about the interval (10 ms, about 100 records), however few clock reads the fast
    // part needed.
    class SlowColumn : public PlainColumn
    {
    public:
        using PlainColumn::PlainColumn;
        QString lineText(int i) const override
        {
            if (i >= 5000) {
                QElapsedTimer busy;
                busy.start();
                while (busy.nsecsElapsed() < 100000) {
                }
            }
            return PlainColumn::lineText(i);
        }
    } column(QStringLiteral("#1#"), numbered(QStringLiteral("v"), 5800));
    TestCallback callback;
    int handledAt = -1;
    callback.onAsk = [&](int asked) {
        if (asked == 5100)
            queue([&] { handledAt = callback.asked; });
    };
    MergeEngine engine;
    engine.setup({&column}, QStringLiteral("#1#"));
    QCOMPARE(records(engine.merge(&callback)).size(), 5800);
    QVERIFY2(handledAt > 5100 && handledAt < 5100 + 400, qPrintable(QString::number(handledAt)));
}

void TestMergeEngine::setupDuringRunKeepsRunAndNewSetup()
{
    PlainColumn column(QStringLiteral("#1#"), numbered(QStringLiteral("v"), 20));
    PlainColumn other(QStringLiteral("#2#"), {QStringLiteral("o")});
    MergeEngine engine;
    engine.setEventInterval(0);
    TestCallback callback;
    callback.onAsk = [&](int asked) {
        if (asked == 3)
            queue([&] { engine.setup({&other}, QStringLiteral("[#2#]")); });
    };
    engine.setup({&column}, QStringLiteral("#1#"));
    QCOMPARE(records(engine.merge(&callback)), numbered(QStringLiteral("v"), 20));
    QVERIFY(engine.result().isEmpty());
    QCOMPARE(engine.merge(), QStringLiteral("[o]"));
}

void TestMergeEngine::resultLimit()
{
    PlainColumn column(QStringLiteral("#1#"), {QStringLiteral("aaaaaaaaa"), QStringLiteral("bbbbbbbbb"),
                                               QStringLiteral("ccccccccc")});
    MergeEngine engine;
    engine.setResultLimit(25);
    engine.setup({&column}, QStringLiteral("#1#"));
    QCOMPARE(engine.merge(), QStringLiteral("aaaaaaaaa\nbbbbbbbbb"));
    QVERIFY(engine.resultTruncated());
    QCOMPARE(records(engine.generateRandom(5)).size(), 2);
    QVERIFY(engine.resultTruncated());

    // Replace Match keeps the text of the passes that fitted.
    PlainColumn first(QStringLiteral("x"), {QStringLiteral("yy")});
    PlainColumn second(QStringLiteral("y"), {QStringLiteral("zzzzzzzzzzzzzzzzzzzzzzzzzzzzzz")});
    engine.setup({&first, &second}, QStringLiteral("x-x"));
    QCOMPARE(engine.replaceMatches(), QStringLiteral("yy-"));
    QVERIFY(engine.resultTruncated());
    engine.setResultLimit(1000);
    engine.setup({&column}, QStringLiteral("#1#"));
    engine.merge();
    QVERIFY(!engine.resultTruncated());
}

void TestMergeEngine::replaceMatches_data()
{
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QStringList>("columns"); // "pattern=line|line|..." each
    QTest::addColumn<QString>("expected");

    QTest::newRow("more matches than lines") << "1 2 3" << QStringList{"\\d+=A|B"} << "A B ";
    QTest::newRow("group only") << "id=7" << QStringList{"id=(\\d+)=X"} << "id=X";
    QTest::newRow("invalid pattern") << "a(b" << QStringList{"(=X"} << "a(b";
    QTest::newRow("empty snippet") << "ab" << QStringList{"=X"} << "ab";
    QTest::newRow("last group that took part") << "a b" << QStringList{"(a)|(b)=X|Y"} << "X Y";
    QTest::newRow("optional group missing") << "y" << QStringList{"(x)?y=V"} << "V";
    QTest::newRow("nested group") << "ab" << QStringList{"((a)b)=V"} << "Vb";
    QTest::newRow("running offset") << "a-a-a" << QStringList{"a=XX||YYY"} << "XX--YYY";
    QTest::newRow("empty matches insert") << "ab" << QStringList{"x*=1|2|3"} << "1a2b3";
    QTest::newRow("line starts") << "p\nq" << QStringList{"^=<|>"} << "<p\n>q";
    QTest::newRow("line ends") << "p\nq" << QStringList{"$=1|2"} << "p1\nq2";
    QTest::newRow("inserted text matched later") << "cat" << QStringList{"cat=dog", "dog=bird"} << "bird";
    QTest::newRow("list order, not snippet length") << "cat" << QStringList{"dog=bird", "cat=dog"} << "dog";
    QTest::newRow("capture reaching into replaced text") << "aaa" << QStringList{"(?=(aa))a=X|Y"} << "Xa";
    QTest::newRow("no columns") << "1 2" << QStringList() << "1 2";
    QTest::newRow("empty template") << "" << QStringList{"x*=1"} << "";
}

void TestMergeEngine::replaceMatches()
{
    QFETCH(QString, templateText);
    QFETCH(QStringList, columns);
    QFETCH(QString, expected);
    std::vector<PlainColumn> store;
    store.reserve(columns.size());
    QList<MergeColumn*> list;
    for (const QString& entry : qAsConst(columns)) {
        const int eq = entry.lastIndexOf(QLatin1Char('='));
        store.emplace_back(entry.left(eq), entry.mid(eq + 1).split(QLatin1Char('|')));
        list.append(&store.back());
    }
    MergeEngine engine;
    engine.setMultiLine(false);
    engine.setup(list, templateText);
    QCOMPARE(engine.replaceMatches(), expected);
}

void TestMergeEngine::replaceStopsAndLaterPassesStop()
{
    PlainColumn digits(QStringLiteral("\\d"), numbered(QStringLiteral("n"), 10));
    PlainColumn letters(QStringLiteral("[a-z]"), {QStringLiteral("L")});
    MergeEngine engine;
    engine.setup({&digits, &letters}, QStringLiteral("0123z"));
    TestCallback callback(2);
    QCOMPARE(engine.replaceMatches(&callback), QStringLiteral("n0n123z"));
}

void TestMergeEngine::replaceRestartsLineCursor()
{
    PlainColumn column(QStringLiteral("\\d"), {QStringLiteral("A"), QStringLiteral("B")});
    column.nextLine();
    MergeEngine engine;
    engine.setup({&column}, QStringLiteral("1 2"));
    QCOMPARE(engine.replaceMatches(), QStringLiteral("A B"));
    QCOMPARE(column.cursor(), 2);
}

void TestMergeEngine::randomRecords_data()
{
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<bool>("withColumn");
    QTest::addColumn<bool>("multiLine");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << "#1#" << true << true << 0 << "";
    QTest::newRow("negative") << "#1#" << true << true << -3 << "";
    QTest::newRow("no columns") << "t#1#" << false << true << 3 << "t#1#\nt#1#\nt#1#";
    QTest::newRow("empty template") << "" << true << true << 3 << "\n\n";
    QTest::newRow("single line") << "<#1#>" << true << false << 3 << "<v><v><v>";
}

void TestMergeEngine::randomRecords()
{
    QFETCH(QString, templateText);
    QFETCH(bool, withColumn);
    QFETCH(bool, multiLine);
    QFETCH(int, count);
    QFETCH(QString, expected);
    PlainColumn column(QStringLiteral("#1#"), {QStringLiteral("v")});
    MergeEngine engine;
    engine.setMultiLine(multiLine);
    engine.setup(withColumn ? QList<MergeColumn*>{&column} : QList<MergeColumn*>(), templateText);
    QCOMPARE(engine.generateRandom(count), expected);
}

void TestMergeEngine::randomProgress_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("step");
    QTest::newRow("50: none") << 50 << 0;
    QTest::newRow("150: every record") << 150 << 1;
    QTest::newRow("1000: every 10") << 1000 << 10;
    QTest::newRow("1050: every 10") << 1050 << 10;
}

void TestMergeEngine::randomProgress()
{
    QFETCH(int, count);
    QFETCH(int, step);
    PlainColumn column(QStringLiteral("#1#"), numbered(QStringLiteral("v"), 3));
    MergeEngine engine;
    engine.setup({&column}, QStringLiteral("#1#"));
    TestCallback callback;
    QCOMPARE(records(engine.generateRandom(count, &callback)).size(), count);
    QVector<int> expected;
    for (int k = step; step > 0 && k <= count; k += step)
        expected.append(k);
    QCOMPARE(callback.progress, expected);

    TestCallback stopping(7);
    QCOMPARE(records(engine.generateRandom(count, &stopping)).size(), 7);
}

void TestMergeEngine::randomDrawsEveryLineAndNoOther()
{
    const QStringList lines = numbered(QStringLiteral("L"), 5);
    PlainColumn column(QStringLiteral("#1#"), lines);
    PlainColumn none(QStringLiteral("#2#"), QStringList());
    MergeEngine engine;
    engine.setup({&column, &none}, QStringLiteral("#1#,#1##2#"));
    const QStringList out = records(engine.generateRandom(5000));
    QCOMPARE(out.size(), 5000);
    QHash<QString, int> seen;
    bool differ = false;
    for (const QString& record : out) {
        const QStringList pair = record.split(QLatin1Char(','));
        QCOMPARE(pair.size(), 2);
        ++seen[pair.at(0)];
        ++seen[pair.at(1)];
        differ = differ || pair.at(0) != pair.at(1);
    }
    QCOMPARE(QSet<QString>(seen.keyBegin(), seen.keyEnd()), QSet<QString>(lines.cbegin(), lines.cend()));
    for (auto it = seen.cbegin(); it != seen.cend(); ++it)
        QVERIFY2(it.value() > 1500 && it.value() < 2500, qPrintable(it.key())); // 2000 expected
    QVERIFY(differ); // each reference draws afresh
}

void TestMergeEngine::randomLeavesStoredResult()
{
    PlainColumn column(QStringLiteral("#1#"), {QStringLiteral("x"), QStringLiteral("y")});
    MergeEngine engine;
    engine.setup({&column}, QStringLiteral("#1#"));
    QCOMPARE(engine.merge(), QStringLiteral("x\ny"));
    QCOMPARE(records(engine.generateRandom(30)).size(), 30);
    QCOMPARE(engine.result(), QStringLiteral("x\ny"));
}

void TestMergeEngine::copiedColumnHasOwnLife()
{
    auto* original = new PlainColumn(QStringLiteral("#1#"), {QStringLiteral("x")});
    const std::weak_ptr<const void> life = original->lifeToken();
    PlainColumn copy(*original);
    PlainColumn assigned(QStringLiteral("#2#"), {});
    assigned = *original;
    delete original;
    QVERIFY(life.expired());
    QVERIFY(!copy.lifeToken().expired());
    QVERIFY(!assigned.lifeToken().expired());
}

void TestMergeEngine::columnRemovedBeforeRun()
{
    PlainColumn kept(QStringLiteral("#1#"), {QStringLiteral("a"), QStringLiteral("b")});
    auto* removed = new PlainColumn(QStringLiteral("#2#"), numbered(QStringLiteral("r"), 5));
    MergeEngine merger;
    MergeEngine replacer;
    merger.setup({&kept, removed}, QStringLiteral("#1#/#2#"));
    replacer.setup({removed}, QStringLiteral("#2# r0"));
    delete removed;
    QCOMPARE(merger.merge(), QStringLiteral("a/\nb/"));
    const QRegularExpression record(QStringLiteral("^[ab]/$"));
    for (const QString& r : records(merger.generateRandom(20)))
        QVERIFY2(record.match(r).hasMatch(), qPrintable(r));
    QCOMPARE(replacer.replaceMatches(), QStringLiteral("#2# r0"));
}

void TestMergeEngine::columnRemovedDuringMerge()
{
    const int k = 6;
    PlainColumn kept(QStringLiteral("#1#"), numbered(QStringLiteral("a"), 50));
    auto* removed = new PlainColumn(QStringLiteral("#2#"), numbered(QStringLiteral("b"), 50));
    TestCallback callback;
    callback.onAsk = [&](int asked) {
        if (asked == k + 1)
            queue([&] { delete removed; removed = nullptr; });
    };
    MergeEngine engine;
    engine.setEventInterval(0);
    engine.setup({&kept, removed}, QStringLiteral("#1#,#2#"));
    const QStringList out = records(engine.merge(&callback));
    QVERIFY(!removed);
    QCOMPARE(out.size(), 50);
    for (int i = 0; i < out.size(); ++i)
        QCOMPARE(out.at(i), QStringLiteral("a%1,").arg(i) + (i <= k ? QStringLiteral("b%1").arg(i) : QString()));
}

void TestMergeEngine::columnRemovedDuringReplace()
{
    // Both columns go while the digit column's fourth match is replaced: the remaining digits get
    // empty values and the letter pass is skipped.
    auto* digits = new PlainColumn(QStringLiteral("\\d"), numbered(QStringLiteral("n"), 10));
    auto* letters = new PlainColumn(QStringLiteral("[a-z]"), {QStringLiteral("L")});
    TestCallback callback;
    callback.onAsk = [&](int asked) {
        if (asked == 4)
            queue([&] {
                delete digits;
                digits = nullptr;
                delete letters;
                letters = nullptr;
            });
    };
    MergeEngine engine;
    engine.setEventInterval(0);
    engine.setup({digits, letters}, QStringLiteral("0123456789z"));
    QCOMPARE(engine.replaceMatches(&callback), QStringLiteral("n0n1n2n3z"));
    QVERIFY(!digits && !letters);
}

void TestMergeEngine::columnRemovedDuringRandom()
{
    const int k = 100;
    PlainColumn kept(QStringLiteral("#1#"), numbered(QStringLiteral("a"), 7));
    auto* removed = new PlainColumn(QStringLiteral("#2#"), numbered(QStringLiteral("b"), 7));
    TestCallback callback;
    callback.onAsk = [&](int asked) {
        if (asked == k + 1)
            queue([&] { delete removed; removed = nullptr; });
    };
    MergeEngine engine;
    engine.setEventInterval(0);
    engine.setup({&kept, removed}, QStringLiteral("#1#,#2#"));
    const QStringList out = records(engine.generateRandom(5000, &callback));
    QVERIFY(!removed);
    QCOMPARE(out.size(), 5000);
    const QRegularExpression full(QStringLiteral("^a[0-6],b[0-6]$"));
    const QRegularExpression cut(QStringLiteral("^a[0-6],$"));
    for (int i = 0; i < out.size(); ++i)
        QVERIFY2((i <= k ? full : cut).match(out.at(i)).hasMatch(), qPrintable(QString::number(i) + out.at(i)));
}

QTEST_GUILESS_MAIN(TestMergeEngine)
#include "tst_mergeengine.moc"
