// Drives a real main window offscreen, each part in a process of its own so that one part's peak memory
// does not count for the next:
// - open: a template file of four columns of a million lines, written by the program's own writer,
//   opened three times; the time, the longest wait of the event loop and the memory after each open.
// - merge: two columns of a million lines set through the column manager, a SQL template, "Merge"
//   triggered and timed until the result editor holds the whole text, with the longest wait of the
//   event loop and the peak memory; then the same merge the string way (the engine's merge() into a
//   string, loaded into the result editor) as the reference, and the ratio of the two.
// - start-up: the executable from launch to a shown window.

#include "BenchSupport.h"
#include "TestSupport.h"
#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "editor/TextBytes.h"
#include "engine/MergeEngine.h"
#include "engine/QTemplate.h"
#include "mainwindow/MainWindow.h"
#include "settings/Preferences.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>

namespace {

constexpr int Records = 1000000;

// A line of /proc/self/status in MB ("VmHWM:" the peak resident memory, "VmRSS:" the current one).
double statusMegabytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}
double peakMegabytes()
{
    return statusMegabytes("VmHWM:");
}
double currentMegabytes()
{
    return statusMegabytes("VmRSS:");
}

// What body took and the longest wait between two turns of the event loop meanwhile, with the
// processor time this thread spent in that wait.
struct Timed
{
    double ms = 0;
    double cpuMs = 0; // processor time of this thread
    double gapMs = 0;
    double gapCpuMs = 0;
};
Timed timed(const std::function<void()>& body)
{
    BenchSupport::LoopWatch watch;
    QElapsedTimer clock;
    const qint64 startCpu = BenchSupport::threadCpuNs();
    clock.start();
    watch.start();
    body();
    const double ms = clock.nsecsElapsed() / 1e6;
    const double cpuMs = (BenchSupport::threadCpuNs() - startCpu) / 1e6;
    watch.stop();
    return {ms, cpuMs, watch.longestMs(), watch.cpuOfLongestMs()};
}

bool showWindow(MainWindow& window)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "window not shown\n");
        return false;
    }
    return true;
}

// Four columns of a million lines: names, numbers, e-mail addresses and words outside ASCII (which the
// file holds as escapes).
QList<QTemplate::Column> benchColumns()
{
    QList<QTemplate::Column> columns;
    for (int c = 0; c < 4; ++c) {
        QString text;
        text.reserve(Records * 24);
        for (int i = 0; i < Records; ++i) {
            if (i > 0)
                text += QLatin1Char('\n');
            switch (c) {
            case 0:
                text += QStringLiteral("user%1").arg(i);
                break;
            case 1:
                text += QString::number(100000 + i);
                break;
            case 2:
                text += QStringLiteral("user%1@example.org").arg(i);
                break;
            default:
                text += QStringLiteral("Grüße %1 café").arg(i % 1000);
                break;
            }
        }
        columns.append({text, QStringLiteral("#%1#").arg(c + 1)});
    }
    return columns;
}

// Writes the file that the open part reads, through the program's own writer, and gives the size of each
// column's text in the editors' bytes, UTF-8 and Latin-1, as arguments of the open part.
bool writeBenchFile(const QString& path, QStringList* sizes)
{
    const QList<QTemplate::Column> columns = benchColumns();
    for (const bool unicode : {true, false}) {
        QStringList list;
        for (const QTemplate::Column& column : columns)
            list.append(QString::number(encodeEditorText(column.first, unicode).size()));
        sizes->append(list.join(QLatin1Char(',')));
    }
    QTemplate file(path);
    file.setTemplate(QStringLiteral("INSERT INTO t VALUES ('#1#', #2#, '#3#', '#4#');"));
    file.setColumns(columns);
    return file.sync();
}

// Opens the file three times in editors of the given encoding; sizes are the columns' sizes in it.
int benchOpen(const QString& path, bool unicode, const QString& sizes)
{
    Preferences::instance()->setEditorUnicode(unicode);
    QList<int> expected;
    for (const QString& size : sizes.split(QLatin1Char(',')))
        expected.append(size.toInt());
    std::printf("open: a template file of 4 columns x %d lines, %.0f MB, into %s editors\n", Records,
                QFileInfo(path).size() / 1048576.0, unicode ? "UTF-8" : "Latin-1");

    MainWindow window;
    if (!showWindow(window))
        return 1;
    MetaManager* manager = window.metaManager();
    std::printf("  memory before the first open: peak %.0f MB, current %.0f MB\n", peakMegabytes(), currentMegabytes());
    double best = 1e18;
    double bestCpu = 1e18;
    double longestGap = 0;
    for (int run = 0; run < 3; ++run) {
        const Timed t = timed([&] { window.openFile(path); });
        if (manager->count() != 4) {
            std::fprintf(stderr, "open: %d columns\n", manager->count());
            return 1;
        }
        int undoable = 0;
        for (int c = 0; c < 4; ++c) {
            Editor* editor = manager->metaAt(c)->editor();
            if (editor->lineCount() != Records || editor->textLength() != expected.value(c)) {
                std::fprintf(stderr, "open: column %d holds %d lines, %d bytes\n", c + 1, editor->lineCount(),
                             editor->textLength());
                return 1;
            }
            undoable += editor->canUndo();
        }
        std::printf("  open %d: %.0f ms (%.0f ms processor; target 500 ms, %.2fx of it), longest wait of the event "
                    "loop %.0f ms (%.0f ms processor; target 250 ms); memory after it: peak %.0f MB, current %.0f MB; "
                    "%d of 4 columns with an undo history (target 0)\n",
                    run + 1, t.ms, t.cpuMs, t.ms / 500.0, t.gapMs, t.gapCpuMs, peakMegabytes(), currentMegabytes(),
                    undoable);
        bestCpu = qMin(bestCpu, t.cpuMs);
        best = qMin(best, t.ms);
        longestGap = qMax(longestGap, t.gapMs);
    }
    std::printf("  open, best of 3: %.0f ms (target 500 ms, %.2fx of it; best processor time %.0f ms, %.2fx); longest "
                "wait %.0f ms (target 250 ms, %.2fx of it)\n",
                best, best / 500.0, bestCpu, bestCpu / 500.0, longestGap, longestGap / 250.0);
    return 0;
}

int benchMerge()
{
    QString names;
    QString ids;
    BenchSupport::userColumns(Records, &names, &ids);
    const QString tpl = QStringLiteral("INSERT INTO users (name, email, id) VALUES ('#1#', '#1#@example.org', #2#);");
    // Each record is the template with its three snippets (nine characters) replaced.
    qint64 expectedLength = 0;
    for (int i = 0; i < Records; ++i) {
        const int name = 4 + QString::number(i).size();
        const int id = QString::number(100000 + i).size();
        expectedLength += tpl.size() - 9 + 2 * name + id + (i + 1 < Records ? 1 : 0);
    }

    MainWindow window;
    if (!showWindow(window))
        return 1;
    MetaManager* manager = window.metaManager();
    while (manager->count() > 2)
        manager->removeMeta(-1, false);
    manager->setMeta(0, names, QStringLiteral("#1#"));
    manager->setMeta(1, ids, QStringLiteral("#2#"));
    names.clear();
    ids.clear();
    Editor* tplEditor = window.findChild<Editor*>(QStringLiteral("tpl"));
    Editor* result = window.findChild<Editor*>(QStringLiteral("result"));
    tplEditor->setTextKeepView(tpl, false);
    auto* start = window.findChild<QAction*>(QStringLiteral("actionStart"));
    const auto complete = [&](const char* what) {
        if (result->lineCount() == Records && result->textLength() == expectedLength)
            return true;
        std::fprintf(stderr, "%s: incomplete result, %d lines\n", what, result->lineCount());
        return false;
    };

    std::printf("merge: 2 columns x %d lines, 3 snippets a record\n", Records);
    std::printf("  peak memory before the first merge: %.0f MB\n", peakMegabytes());
    double best = 1e18;
    double bestCpu = 1e18;
    double longestGap = 0;
    for (int run = 0; run < 3; ++run) {
        result->loadText(QString());
        const Timed t = timed([&] { start->trigger(); });
        if (!complete("merge through the window"))
            return 1;
        std::printf("  merge through the window, run %d: %.0f ms (%.0f ms processor), longest wait of the event loop "
                    "%.0f ms (%.0f ms processor)\n",
                    run + 1, t.ms, t.cpuMs, t.gapMs, t.gapCpuMs);
        best = qMin(best, t.ms);
        bestCpu = qMin(bestCpu, t.cpuMs);
        longestGap = qMax(longestGap, t.gapMs);
    }
    // Before the reference run, so that only the window's merge counts.
    const double peak = peakMegabytes();

    // Today's way, as the reference: the engine's merge into a string, loaded into the result editor.
    double reference = 1e18;
    double referenceCpu = 1e18;
    for (int run = 0; run < 3; ++run) {
        result->loadText(QString());
        std::vector<std::unique_ptr<MergeColumn>> wrappers;
        MergeEngine engine;
        engine.setup(Meta::asRead(manager->checkedMetas(), wrappers), tplEditor->text(),
                     Preferences::instance()->eolString());
        const Timed t = timed([&] { result->loadText(engine.merge()); });
        if (!complete("reference merge"))
            return 1;
        std::printf("  reference merge (merge() into a string, then loadText), run %d: %.0f ms (%.0f ms processor)\n",
                    run + 1, t.ms, t.cpuMs);
        reference = qMin(reference, t.ms);
        referenceCpu = qMin(referenceCpu, t.cpuMs);
    }

    std::printf("  merge through the window, best of 3: %.0f ms (target 400 ms, %.2fx of it); best processor time "
                "%.0f ms\n",
                best, best / 400.0, bestCpu);
    // On a machine shared with other work the processor times compare more fairly than the wall times.
    std::printf("  reference merge, best of 3: %.0f ms (processor %.0f ms); window / reference: %.2fx (processor "
                "%.2fx; target 0.60x)\n",
                reference, referenceCpu, best / reference, bestCpu / referenceCpu);
    std::printf("  longest wait of the event loop during the window's merges: %.0f ms (target 250 ms, %.2fx of it)\n",
                longestGap, longestGap / 250.0);
    std::printf("  peak memory of the window's merges: %.0f MB (target 250 MB, %.2fx of it)\n", peak, peak / 250.0);
    return 0;
}

// Wall time of the executable from launch until its first window has been shown and it quit.
double startupMilliseconds(const QString& program)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LINEWELD_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), TestSupport::useTemporaryConfigHome());
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

int benchStartup()
{
    const QString program = QStringLiteral(LINEWELD_EXECUTABLE);
    double startup = 1e18;
    for (int run = 0; run < 5; ++run) {
        const double ms = startupMilliseconds(program);
        if (ms < 0) {
            std::fprintf(stderr, "the executable did not start and quit\n");
            return 1;
        }
        startup = qMin(startup, ms);
    }
    std::printf("start-up to a shown window, best of 5: %.0f ms (target 500 ms, %.2fx of it)\n", startup,
                startup / 500.0);
    return 0;
}

// Runs this program again for one part, its output passed through.
int runPart(const QString& program, const QStringList& arguments)
{
    std::fflush(stdout);
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return 1;
    return process.exitCode();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TestSupport::useTemporaryConfigHome();
    QApplication app(argc, argv);
    Preferences::instance();

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString part = arguments.value(0);
    if (part == QLatin1String("open"))
        return benchOpen(arguments.value(1), arguments.value(2) == QLatin1String("utf8"), arguments.value(3));
    if (part == QLatin1String("merge"))
        return benchMerge();
    if (part == QLatin1String("write")) {
        QStringList sizes;
        if (!writeBenchFile(arguments.value(1), &sizes))
            return 1;
        std::printf("%s %s\n", qPrintable(sizes.at(0)), qPrintable(sizes.at(1)));
        return 0;
    }
    if (!part.isEmpty()) {
        std::fprintf(stderr, "usage: bench_mainwindow [write FILE | open FILE utf8|latin1 SIZES | merge]\n");
        return 2;
    }
    const QString self = QCoreApplication::applicationFilePath();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.s"));
    QStringList sizes;
    if (!writeBenchFile(path, &sizes)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    int failed = runPart(self, {QStringLiteral("open"), path, QStringLiteral("latin1"), sizes.at(1)});
    failed |= runPart(self, {QStringLiteral("open"), path, QStringLiteral("utf8"), sizes.at(0)});
    failed |= runPart(self, {QStringLiteral("merge")});
    failed |= benchStartup();
    return failed;
}
