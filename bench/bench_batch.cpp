// Times the batch-replace window and the data generator on a real main window, offscreen.
// Batch replace: ten rules over 50 MB, through the rules alone and through the window's Run button,
// against sed -f with the same rules on the same text written as a file; the outputs are compared.
// Data generator: a million random records through the dialog, against the engine's merge of a
// million records over the same columns (and the window's own F5 merge). For both, the longest time
// the event loop went without a turn during the run, and how long a stop took to be honoured.

#include "BenchSupport.h"
#include "TestSupport.h"
#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "engine/DataGeneratorDialog.h"
#include "mainwindow/MainWindow.h"
#include "settings/Preferences.h"
#include "tools/BatchReplace.h"
#include "tools/BatchRules.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <functional>

namespace {

constexpr int Rounds = 3;
constexpr qint64 SourceBytes = 50LL << 20;
constexpr int Records = 1000000;

// The rules: frequent and rare texts, a deletion, growth, shrinking, and rules that feed each other.
const char* const Rules[] = {
    "alpha <> ALPHA", "beta <> b",           " ok <> ",       "user <> member-",
    "ALPHA b <> AB",  "2026 <> year2026",    "zzzq <> never", "gamma <> g-a-m-m-a",
    "member-1 <> M1", "delta epsilon <> de",
};

// Sums the wall time of each call and keeps the best of the rounds.
double bestOf(const std::function<void()>& body)
{
    double best = 1e18;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        body();
        best = qMin(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

// The longest wait between two turns of the event loop while body runs, in ms, watched by a 1 ms
// timer, and the most processor time this thread spent in one wait.
struct Gap
{
    double wallMs;
    double cpuMs;
};
Gap longestGap(const std::function<void()>& body)
{
    BenchSupport::LoopWatch watch(1);
    watch.start();
    body();
    watch.stop();
    return {watch.longestMs(), watch.longestCpuMs()};
}

// How long after a stop request 50 ms into the run the run returned.
double stopLatency(const std::function<void()>& requestStop, const std::function<void()>& run)
{
    QElapsedTimer clock;
    qint64 asked = -1;
    QTimer::singleShot(50, [&] {
        asked = clock.nsecsElapsed();
        requestStop();
    });
    clock.start();
    run();
    return asked < 0 ? -1 : (clock.nsecsElapsed() - asked) / 1e6;
}

QString shellQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QStringLiteral("'"), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    return TestSupport::writeBytes(path, bytes);
}

int benchBatch(MainWindow& window, const QTemporaryDir& dir)
{
    QString source;
    source.reserve(int(SourceBytes) + 200);
    for (int i = 0; source.size() < SourceBytes; ++i)
        source += QStringLiteral("user%1 alpha beta gamma delta epsilon 2026-12-%2 ok\n").arg(i).arg(i % 28 + 1);
    QString rulesText;
    QString sedScript;
    for (const char* rule : Rules) {
        const QStringList parts = QString::fromLatin1(rule).split(QStringLiteral(" <> "));
        rulesText += QLatin1String(rule) + QLatin1Char('\n');
        sedScript += QStringLiteral("s/%1/%2/g\n").arg(parts.at(0), parts.value(1));
    }
    const QVector<BatchRules::Rule> rules = BatchRules::parse(rulesText);
    const QString sourcePath = dir.filePath(QStringLiteral("source.txt"));
    const QString scriptPath = dir.filePath(QStringLiteral("rules.sed"));
    const QString outPath = dir.filePath(QStringLiteral("sed.out"));
    if (rules.size() != 10 || !writeFile(sourcePath, source.toUtf8()) || !writeFile(scriptPath, sedScript.toUtf8())) {
        std::fprintf(stderr, "cannot prepare the batch data\n");
        return 2;
    }

    QString applied;
    const double coreMs = bestOf([&] { applied = BatchRules::apply(source, rules, 1 << 29).text; });

    bool sedOk = true;
    const double sedMs = bestOf([&] {
        QProcess shell;
        shell.start(
            QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("LC_ALL=C sed -f %1 %2 > %3")
                                       .arg(shellQuote(scriptPath), shellQuote(sourcePath), shellQuote(outPath))});
        sedOk = sedOk && shell.waitForFinished(-1) && shell.exitCode() == 0;
    });
    QFile sedFile(outPath);
    const bool equal = sedOk && sedFile.open(QIODevice::ReadOnly) && sedFile.readAll() == applied.toUtf8();

    window.findChild<QAction*>(QStringLiteral("actionScript"))->trigger();
    auto* dialog = window.findChild<ScriptDialog*>();
    auto* sourceEdit = dialog->findChild<Editor*>(QStringLiteral("sourceEdit"));
    auto* resultEdit = dialog->findChild<Editor*>(QStringLiteral("resultEdit"));
    auto* run = dialog->findChild<QToolButton*>(QStringLiteral("btnRun"));
    sourceEdit->loadText(source);
    dialog->findChild<Editor*>(QStringLiteral("ruleEdit"))->loadText(rulesText);
    const Gap coreGap = longestGap([&] { BatchRules::apply(source, rules, 1 << 29, [] { return false; }); });
    const double windowMs = bestOf([&] { run->click(); });
    const bool windowEqual = resultEdit->textLength() == applied.toUtf8().size() && resultEdit->text() == applied;
    const Gap gap = longestGap([&] { run->click(); });
    resultEdit->loadText(QString());
    const double stopMs = stopLatency([&] { run->click(); }, [&] { run->click(); });
    const bool stopKeptResult = resultEdit->textLength() == 0;

    std::printf("batch replace: %d rules over %.1f MB (%lld characters out)\n", int(rules.size()),
                source.size() / 1048576.0, static_cast<long long>(applied.size()));
    std::printf("  outputs equal to sed: %s; window result equal: %s\n", equal ? "yes" : "NO",
                windowEqual ? "yes" : "NO");
    std::printf("  rules alone: %.0f ms\n", coreMs);
    std::printf("  window Run (source editor to result editor): %.0f ms\n", windowMs);
    std::printf("  sed -f: %.0f ms\n", sedMs);
    std::printf("  ratio window/sed: %.2f, rules alone/sed: %.2f (target at most 2)\n", windowMs / sedMs,
                coreMs / sedMs);
    std::printf("  longest wait of the event loop during a Run: %.1f ms wall, %.1f ms processor (the rules alone: "
                "%.1f ms wall, %.1f ms processor)\n",
                gap.wallMs, gap.cpuMs, coreGap.wallMs, coreGap.cpuMs);
    std::printf("  stop honoured after %.1f ms; result left as it was: %s\n", stopMs, stopKeptResult ? "yes" : "NO");
    dialog->close();
    sourceEdit->loadText(QString());
    resultEdit->loadText(QString());
    return equal && windowEqual && stopKeptResult ? 0 : 1;
}

int benchGenerator(MainWindow& window)
{
    QString names;
    QString ids;
    BenchSupport::userColumns(Records, &names, &ids);
    MetaManager* manager = window.metaManager();
    while (manager->count() > 2)
        manager->removeMeta(-1, MetaManager::KeepNumbers);
    while (manager->count() < 2)
        manager->insertMeta(QString(), QString(), -1);
    manager->setMeta(0, names, QStringLiteral("#1#"));
    manager->setMeta(1, ids, QStringLiteral("#2#"));
    const QString tpl = QStringLiteral("INSERT INTO users (name, email, id) VALUES ('#1#', '#1#@example.org', #2#);");
    auto* tplEditor = window.findChild<Editor*>(QStringLiteral("tpl"));
    auto* result = window.findChild<Editor*>(QStringLiteral("result"));
    tplEditor->setWholeTextKeepView(tpl);

    QList<MergeColumn*> columns;
    for (Meta* meta : manager->metas())
        columns.append(meta);
    MergeEngine& engine = window.mergeEngine();
    qint64 mergedLength = 0;
    const double mergeMs = bestOf([&] {
        engine.setup(columns, tpl, QStringLiteral("\n"));
        mergedLength = engine.merge().size();
    });
    qint64 randomLength = 0;
    const double randomMs = bestOf([&] {
        engine.setup(columns, tpl, QStringLiteral("\n"));
        randomLength = engine.generateRandom(Records).size();
    });
    qint64 byteMergeLength = 0;
    const double byteMergeMs = bestOf([&] {
        engine.setup(columns, tpl, QStringLiteral("\n"));
        ByteBuffer bytes;
        engine.mergeBytes(bytes, true);
        byteMergeLength = bytes.bytes().size();
    });
    const double byteRandomMs = bestOf([&] {
        engine.setup(columns, tpl, QStringLiteral("\n"));
        ByteBuffer bytes;
        engine.generateRandomBytes(Records, bytes, true);
    });
    const Gap engineGap = longestGap([&] {
        engine.setup(columns, tpl, QStringLiteral("\n"));
        engine.generateRandom(Records);
    });
    auto* start = window.findChild<QAction*>(QStringLiteral("actionStart"));
    const double windowMergeMs = bestOf([&] {
        result->loadText(QString());
        start->trigger();
    });

    window.findChild<QAction*>(QStringLiteral("actionDataGeneral"))->trigger();
    auto* dialog = window.findChild<DataGeneratorDialog*>();
    dialog->findChild<QSpinBox*>(QStringLiteral("sbCount"))->setValue(Records);
    auto* button = dialog->findChild<QPushButton*>(QStringLiteral("btnStart"));
    const double dialogMs = bestOf([&] {
        result->loadText(QString());
        button->click();
    });
    const bool complete = result->lineCount() == Records;
    const Gap gap = longestGap([&] { button->click(); });
    const double stopMs = stopLatency([&] { dialog->close(); }, [&] { button->click(); });
    const int stoppedLines = result->lineCount();

    std::printf("data generator: %d records (merge %lld, random %lld characters)\n", Records,
                static_cast<long long>(mergedLength), static_cast<long long>(randomLength));
    std::printf("  dialog run (into the result editor): %.0f ms, all records: %s\n", dialogMs, complete ? "yes" : "NO");
    std::printf("  engine merge: %.0f ms; engine random records alone: %.0f ms; window merge (F5): %.0f ms\n", mergeMs,
                randomMs, windowMergeMs);
    std::printf("  engine as bytes: merge %.0f ms (%lld bytes), random records %.0f ms\n", byteMergeMs,
                static_cast<long long>(byteMergeLength), byteRandomMs);
    std::printf("  ratio dialog/engine merge: %.2f (target at most 1.5); dialog/engine merge as bytes: %.2f; "
                "dialog/window merge: %.2f\n",
                dialogMs / mergeMs, dialogMs / byteMergeMs, dialogMs / windowMergeMs);
    std::printf("  longest wait of the event loop during a run: %.1f ms wall, %.1f ms processor (the engine's random "
                "records alone: %.1f ms wall, %.1f ms processor)\n",
                gap.wallMs, gap.cpuMs, engineGap.wallMs, engineGap.cpuMs);
    std::printf("  stop by closing honoured after %.1f ms, %d records shown, dialog still open: %s\n", stopMs,
                stoppedLines, dialog->isVisible() ? "yes" : "NO");
    return complete && stoppedLines < Records ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TestSupport::useTemporaryConfigHome();
    QApplication app(argc, argv);
    Preferences::instance()->setEditorEolFormat(EolUnix);
    QTemporaryDir dir;
    MainWindow window;
    window.show();
    if (!dir.isValid() || !QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "no window or no temporary folder\n");
        return 2;
    }
    const int batch = benchBatch(window, dir);
    const int generator = benchGenerator(window);
    return qMax(batch, generator);
}
