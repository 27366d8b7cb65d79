// Drives a real main window offscreen: two columns of a million lines set through the column
// manager, a SQL template, "Merge" triggered and timed until the result editor holds the whole
// text; reports the peak memory of the process after it. Then times the start-up of the executable
// to a shown window.

#include "TestSupport.h"
#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "mainwindow/MainWindow.h"
#include "settings/Preferences.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include <cstdio>

namespace {

constexpr int Records = 1000000;

// Peak resident memory of this process in MB, from the kernel's high-water mark.
double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
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

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TestSupport::useTemporaryConfigHome();
    QApplication app(argc, argv);
    Preferences::instance();

    QString names;
    QString ids;
    names.reserve(Records * 11);
    ids.reserve(Records * 8);
    for (int i = 0; i < Records; ++i) {
        names += QStringLiteral("user%1").arg(i);
        ids += QString::number(100000 + i);
        if (i + 1 < Records) {
            names += QLatin1Char('\n');
            ids += QLatin1Char('\n');
        }
    }
    const QString tpl = QStringLiteral("INSERT INTO users (name, email, id) VALUES ('#1#', '#1#@example.org', #2#);");
    // Each record is the template with its three snippets (nine characters) replaced.
    qint64 expectedLength = 0;
    for (int i = 0; i < Records; ++i) {
        const int name = 4 + QString::number(i).size();
        const int id = QString::number(100000 + i).size();
        expectedLength += tpl.size() - 9 + 2 * name + id + (i + 1 < Records ? 1 : 0);
    }

    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "window not shown\n");
        return 1;
    }
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

    std::printf("peak memory before the first merge: %.0f MB\n", peakMegabytes());
    double best = 1e18;
    for (int run = 0; run < 3; ++run) {
        result->loadText(QString());
        QElapsedTimer timer;
        timer.start();
        start->trigger();
        const double ms = timer.nsecsElapsed() / 1e6;
        if (result->lineCount() != Records || result->textLength() != expectedLength) {
            std::fprintf(stderr, "incomplete result: %d lines\n", result->lineCount());
            return 1;
        }
        std::printf("merge through the window, run %d: %.0f ms\n", run + 1, ms);
        best = qMin(best, ms);
    }
    std::printf("merge through the window, best: %.0f ms (target 1500 ms)\n", best);
    std::printf("peak memory: %.0f MB (target 400 MB)\n", peakMegabytes());

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
    std::printf("start-up to a shown window, best of 5: %.0f ms (target 500 ms)\n", startup);
    return 0;
}
