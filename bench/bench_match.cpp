// Times the column tools on a million lines against shell tools doing the same job in the same run:
// the intersection and union of two columns of random ids, from their texts to the result texts,
// against sort -u and comm -12 from files to files, and a match
// with two groups against grep -oE. Checks that both sides agree and prints the ratios last.

#include "TestSupport.h"
#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "engine/MergeEngine.h"
#include "mainwindow/MainWindow.h"
#include "tools/DiffDialog.h"
#include "tools/MatchRows.h"
#include "tools/SetEngine.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int Lines = 1000000;
constexpr int Rounds = 3;

bool writeText(const QString& path, const QString& text)
{
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Best of a few rounds, in ms.
double best(const std::function<bool()>& run)
{
    double fastest = -1;
    for (int i = 0; i < Rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!run())
            return -1;
        const double ms = timer.nsecsElapsed() / 1e6;
        fastest = fastest < 0 ? ms : std::min(fastest, ms);
    }
    return fastest;
}

bool shell(const QString& script)
{
    QProcess process;
    process.start(QStringLiteral("sh"), {QStringLiteral("-c"), script});
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(script), process.readAllStandardError().constData());
        return false;
    }
    return true;
}

QSet<QString> setOf(const QStringList& lines)
{
    return QSet<QString>(lines.begin(), lines.end());
}

QStringList linesOfFile(const QString& path)
{
    QStringList lines = QString::fromUtf8(readFile(path)).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TestSupport::useTemporaryConfigHome();
    QApplication app(argc, argv);

    QRandomGenerator random(17);
    QStringList first;
    QStringList second;
    QStringList records;
    first.reserve(Lines);
    second.reserve(Lines);
    records.reserve(Lines);
    for (int i = 0; i < Lines; ++i) {
        first.append(QString::number(random.bounded(100000, 2100000)));
        second.append(QString::number(random.bounded(100000, 2100000)));
        records.append(QStringLiteral("user%1,%2,mail%1@example.com,viewer").arg(i).arg(random.bounded(10000)));
    }
    const QString text = records.join(QLatin1Char('\n')) + QLatin1Char('\n');

    QTemporaryDir dir;
    const auto path = [&](const char* name) { return dir.filePath(QLatin1String(name)); };
    if (!dir.isValid() || !writeText(path("a"), first.join(QLatin1Char('\n')) + QLatin1Char('\n')) ||
        !writeText(path("b"), second.join(QLatin1Char('\n')) + QLatin1Char('\n')) || !writeText(path("text"), text)) {
        std::fprintf(stderr, "cannot write the input files\n");
        return 2;
    }

    // Sets: from the two columns' texts to the two result texts, as the dialog does on a load and
    // two clicks; sort and comm read and write files the same way.
    const QVector<QByteArray> columns{first.join(QLatin1Char('\n')).toUtf8(), second.join(QLatin1Char('\n')).toUtf8()};
    QByteArray intersectionText;
    QByteArray unionText;
    const double setMs = best([&] {
        SetEngine engine;
        if (!engine.build(columns))
            return false;
        ByteBuffer intersectionSink;
        ByteBuffer unionSink;
        if (!engine.write(engine.intersection(), intersectionSink, "\n", true) ||
            !engine.write(engine.lineUnion(), unionSink, "\n", true))
            return false;
        intersectionText = intersectionSink.bytes();
        unionText = unionSink.bytes();
        return true;
    });
    // The same through the Set window of a main window: the columns read, the sets built, and both
    // results loaded into the result editor, one click each.
    MainWindow window;
    window.show();
    const QList<Meta*> metas = window.metaManager()->metas();
    if (!QTest::qWaitForWindowExposed(&window) || metas.size() < 2) {
        std::fprintf(stderr, "window not shown\n");
        return 2;
    }
    for (int c = 2; c < metas.size(); ++c)
        metas.at(c)->clear();
    metas.at(0)->editor()->loadBytes(columns.at(0));
    metas.at(1)->editor()->loadBytes(columns.at(1));
    window.findChild<QAction*>(QStringLiteral("actionDiff"))->trigger();
    auto* dialog = window.findChild<DiffDialog*>();
    auto* intersectionButton = dialog->findChild<QToolButton*>(QStringLiteral("tb211"));
    auto* unionButton = dialog->findChild<QToolButton*>(QStringLiteral("tb212"));
    Editor* result = window.findChild<Editor*>(QStringLiteral("result"));
    bool dialogAgrees = true;
    const double dialogMs = best([&] {
        dialog->load();
        intersectionButton->click();
        dialogAgrees = dialogAgrees && result->getText() == intersectionText;
        unionButton->click();
        dialogAgrees = dialogAgrees && result->getText() == unionText;
        return dialog->engineColumns() == 2;
    });

    const QStringList intersection = QString::fromUtf8(intersectionText).split(QLatin1Char('\n'));
    const QStringList lineUnion = QString::fromUtf8(unionText).split(QLatin1Char('\n'));
    const QString sortScript = QStringLiteral("cd '%1' && LC_ALL=C sort -u a > as && LC_ALL=C sort -u b > bs && "
                                              "LC_ALL=C comm -12 as bs > common")
                                   .arg(dir.path());
    const double sortMs = best([&] { return shell(sortScript); });
    const QStringList common = linesOfFile(path("common"));
    // Same lines, and in first-appearance order: the intersection is column 1's distinct lines
    // that column 2 has, in column 1's order.
    const QSet<QString> inSecond = setOf(second);
    QStringList expectedIntersection;
    QSet<QString> taken;
    for (const QString& line : first)
        if (inSecond.contains(line) && !taken.contains(line)) {
            taken.insert(line);
            expectedIntersection.append(line);
        }
    const bool setsAgree = setOf(intersection) == setOf(common) && intersection == expectedIntersection &&
                           setOf(lineUnion) == (setOf(first) + inSecond) && lineUnion.size() == setOf(lineUnion).size();

    // Match: one row of three cells per line.
    const QRegularExpression expression =
        MatchRows::expression(QStringLiteral("(\\w+),(\\d+)"), {true, false, false, false});
    int rows = 0;
    const double matchMs = best([&] {
        CellTable table;
        if (MatchRows::build(text, expression, table) != MatchRows::Outcome::Rows)
            return false;
        rows = table.rowCount();
        return table.columnCount() == 3;
    });
    const QString grepScript =
        QStringLiteral("cd '%1' && LC_ALL=C grep -oE '\\w+,[0-9]+' text > found").arg(dir.path());
    const double grepMs = best([&] { return shell(grepScript); });
    const int found = linesOfFile(path("found")).size();
    const bool matchesAgree = rows == found && rows == Lines;

    std::printf("lines: %d per column; %d distinct in the union, %d common\n", Lines, int(lineUnion.size()),
                int(intersection.size()));
    std::printf("sets agree with comm, order kept: %s\n", setsAgree ? "yes" : "NO");
    std::printf("intersection + union: %.1f ms\n", setMs);
    std::printf("sort -u, sort -u, comm -12: %.1f ms\n", sortMs);
    std::printf("through the Set window into the result editor: %.1f ms (same results: %s)\n", dialogMs,
                dialogAgrees ? "yes" : "NO");
    std::printf("match rows: %d, grep -oE lines: %d, agree: %s\n", rows, found, matchesAgree ? "yes" : "NO");
    std::printf("match (\\w+),(\\d+): %.1f ms\n", matchMs);
    std::printf("grep -oE: %.1f ms\n", grepMs);
    std::printf("ratio sets/sort: %.2f (target at most 0.50)\n", setMs / sortMs);
    std::printf("ratio Set window/sort: %.2f\n", dialogMs / sortMs);
    std::printf("ratio match/grep: %.2f (target at most 1.50)\n", matchMs / grepMs);
    return setsAgree && dialogAgrees && matchesAgree ? 0 : 1;
}
