// Times the editor's line operations on a million numeric lines, each including the write-back into
// the editor, against `LC_ALL=C sort -n` on the same lines, and checks that both sorts agree.

#include "TestSupport.h"
#include "editor/Editor.h"
#include "editor/LineList.h"
#include "settings/Preferences.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Lines = 1000000;

// Values of a text's lines, in order; false when a line is not a number.
bool parseValues(const QByteArray& text, std::vector<long long>* values)
{
    values->clear();
    values->reserve(Lines);
    for (const QByteArray& line : text.split('\n')) {
        if (line.isEmpty())
            continue;
        bool ok = false;
        values->push_back(line.toLongLong(&ok));
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TestSupport::useTemporaryConfigHome();
    QApplication app(argc, argv);
    Preferences::instance();

    QRandomGenerator random(20261207);
    QByteArray numbers;
    QByteArray withBlanks;
    for (int i = 0; i < Lines; ++i) {
        const QByteArray value = QByteArray::number(int(random.bounded(-1000000, 1000000)));
        numbers += value;
        withBlanks += value;
        if (i + 1 < Lines) {
            numbers += '\n';
            withBlanks += '\n';
            if (i % 10 == 0)
                withBlanks += i % 20 == 0 ? "\n" : "   \n";
        }
    }

    Editor editor;
    editor.setUnicode(true);
    editor.setEolFormat(EolUnix);
    editor.resize(800, 600);
    editor.show();

    auto timeOp = [&](const char* name, const QByteArray& start, const std::function<void()>& op) {
        editor.setText(start.constData());
        editor.emptyUndoBuffer();
        editor.gotoPos(0);
        QElapsedTimer timer;
        timer.start();
        op();
        const qint64 ms = timer.elapsed();
        std::printf("%-22s %6lld ms\n", name, static_cast<long long>(ms));
        return ms;
    };

    timeOp("(warm-up sort)", numbers, [&] { editor.sortAscendAsNumber(); });
    const qint64 sortMs = timeOp("Numberic Ascending", numbers, [&] { editor.sortAscendAsNumber(); });
    const QByteArray sortedByEditor(editor.characterPointer(), editor.textLength());
    const qint64 upperMs = timeOp("&Upper", numbers, [&] { editor.upper(); });
    const qint64 padMs = timeOp("Pad Space", numbers, [&] { editor.pad(); });
    const qint64 removeMs = timeOp("Remove Empty Lines", withBlanks, [&] { editor.actionRemoveEmptyLines(); });
    const bool removedRight = QByteArray(editor.characterPointer(), editor.textLength()) == numbers;

    // Where the numeric sort spends its time: reading the lines, the step, joining, writing back.
    {
        editor.setText(numbers.constData());
        editor.emptyUndoBuffer();
        QElapsedTimer phase;
        phase.start();
        LineList list(editor.selectedLines(), editor.eolFormat(), editor.isUnicode());
        const qint64 readMs = phase.restart();
        list.sort(LineList::SortNumber, Qt::AscendingOrder);
        const qint64 stepMs = phase.restart();
        const QString text = list.joined();
        const qint64 joinMs = phase.restart();
        editor.setTextKeepView(text, true);
        const qint64 writeMs = phase.elapsed();
        std::printf("  sort phases: read %lld, sort %lld, join %lld, write back %lld ms\n",
                    static_cast<long long>(readMs), static_cast<long long>(stepMs), static_cast<long long>(joinMs),
                    static_cast<long long>(writeMs));
    }

    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("numbers.txt"));
    const QString output = dir.filePath(QStringLiteral("sorted.txt"));
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly) || file.write(numbers + '\n') != numbers.size() + 1) {
        std::printf("cannot write %s\n", qPrintable(input));
        return 1;
    }
    file.close();
    QProcess sort;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    sort.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    sort.start(QStringLiteral("sort"), {QStringLiteral("-n"), QStringLiteral("-o"), output, input});
    if (!sort.waitForFinished(-1) || sort.exitCode() != 0) {
        std::printf("sort -n failed\n");
        return 1;
    }
    const qint64 sortNMs = timer.elapsed();
    std::printf("%-22s %6lld ms\n", "LC_ALL=C sort -n", static_cast<long long>(sortNMs));

    QFile sortedFile(output);
    if (!sortedFile.open(QIODevice::ReadOnly)) {
        std::printf("cannot read %s\n", qPrintable(output));
        return 1;
    }
    std::vector<long long> expected;
    std::vector<long long> actual;
    const bool parsed = parseValues(sortedFile.readAll(), &expected) && parseValues(sortedByEditor, &actual);
    const bool same = parsed && expected.size() == size_t(Lines) && actual == expected;
    std::printf("sorted values equal sort -n: %s\n", same ? "yes" : "NO");
    std::printf("remove empty lines result right: %s\n", removedRight ? "yes" : "NO");
    const double ratio = sortNMs > 0 ? double(sortMs) / double(sortNMs) : 0.0;
    std::printf("ratio numeric sort / sort -n: %.2f\n", ratio);
    const bool inTime = sortMs <= 1500 && upperMs <= 1500 && padMs <= 1500 && removeMs <= 1500;
    return same && removedRight && inTime && ratio <= 2.0 ? 0 : 1;
}
