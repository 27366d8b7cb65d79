// Times the editor's line operations on a million lines, each including the write-back into the
// editor, against `LC_ALL=C sort -n` and `LC_ALL=C sort` on the same lines, checks that the sorts
// give the same bytes, and measures the longest time without events during every operation (a 5 ms
// timer records the largest gap between its ticks while the operation runs).

#include "BenchSupport.h"
#include "TestSupport.h"
#include "editor/ByteLineOps.h"
#include "editor/Editor.h"
#include "settings/Preferences.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int Lines = 1000000;
// The longest the window may go without events.
constexpr qint64 MaxGapMs = 250;
// The sorts are compared by the best of this many runs each, ours and sort's: the machine may be busy.
constexpr int Rounds = 3;

struct Timing
{
    qint64 ms = 0;
    qint64 maxGapMs = 0;
};

// Runs `LC_ALL=C sort args` on input; returns the time taken and fills *sorted, or -1.
qint64 runSortOnce(const QStringList& args, const QString& input, const QString& output, QByteArray* sorted)
{
    QProcess sort;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    sort.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    sort.start(QStringLiteral("sort"), args + QStringList{QStringLiteral("-o"), output, input});
    if (!sort.waitForFinished(-1) || sort.exitCode() != 0)
        return -1;
    const qint64 ms = timer.elapsed();
    *sorted = TestSupport::readBytes(output);
    return ms;
}

// The best time of Rounds runs of sort, or -1.
qint64 runSort(const QStringList& args, const QString& input, const QString& output, QByteArray* sorted)
{
    qint64 best = -1;
    for (int round = 0; round < Rounds; ++round) {
        const qint64 ms = runSortOnce(args, input, output, sorted);
        if (ms < 0)
            return -1;
        best = best < 0 ? ms : std::min(best, ms);
    }
    return best;
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
    QByteArray words;
    // Lines that agree in their first 26 bytes: the prefixes cannot tell them apart.
    QByteArray urls;
    static const char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 _-";
    for (int i = 0; i < Lines; ++i) {
        const QByteArray value = QByteArray::number(int(random.bounded(-1000000, 1000000)));
        numbers += value;
        withBlanks += value;
        const int length = 4 + int(random.bounded(13));
        for (int k = 0; k < length; ++k)
            words += Letters[random.bounded(int(sizeof(Letters) - 1))];
        urls.append("https://example.com/items/").append(QByteArray::number(random.bounded(100000000))).append("/view");
        if (i + 1 < Lines) {
            urls += '\n';
            numbers += '\n';
            withBlanks += '\n';
            words += '\n';
            if (i % 10 == 0)
                withBlanks += i % 20 == 0 ? "\n" : "   \n";
        }
    }

    Editor editor;
    editor.setUnicode(true);
    editor.setEolFormat(EolUnix);
    editor.resize(800, 600);
    editor.show();

    auto timeOp = [&](const char* name, const QByteArray& start, const std::function<void()>& op, bool print = true) {
        editor.setText(start.constData());
        editor.emptyUndoBuffer();
        editor.gotoPos(0);
        QCoreApplication::processEvents();
        BenchSupport::LoopWatch watch;
        QElapsedTimer timer;
        watch.start();
        timer.start();
        op();
        Timing timing;
        timing.ms = timer.elapsed();
        watch.stop();
        timing.maxGapMs = qint64(watch.longestMs());
        if (print)
            std::printf("%-24s %6lld ms   longest without events %5lld ms\n", name, static_cast<long long>(timing.ms),
                        static_cast<long long>(timing.maxGapMs));
        return timing;
    };
    auto editorBytes = [&] { return QByteArray(editor.characterPointer(), editor.textLength()); };
    // The best time of Rounds runs, the first one given.
    auto bestOf = [&](const Timing& first, const QByteArray& start, const std::function<void()>& op) {
        qint64 best = first.ms;
        for (int round = 1; round < Rounds; ++round)
            best = std::min(best, timeOp("", start, op, false).ms);
        return best;
    };

    timeOp("(warm-up sort)", numbers, [&] { editor.sortAscendAsNumber(); });
    std::vector<Timing> all;
    const Timing numberUp = timeOp("Numberic Ascending", numbers, [&] { editor.sortAscendAsNumber(); });
    const QByteArray numberSorted = editorBytes();
    const qint64 numberUpBest = bestOf(numberUp, numbers, [&] { editor.sortAscendAsNumber(); });
    all.push_back(numberUp);
    all.push_back(timeOp("Numberic Descending", numbers, [&] { editor.sortDescendAsNumber(); }));
    const Timing textUp = timeOp("Alphabetic Ascending", words, [&] { editor.sortAscendAsAlpha(); });
    const QByteArray textSorted = editorBytes();
    const qint64 textUpBest = bestOf(textUp, words, [&] { editor.sortAscendAsAlpha(); });
    all.push_back(textUp);
    all.push_back(timeOp("Alphabetic Descending", words, [&] { editor.sortDescendAsAlpha(); }));
    all.push_back(timeOp("Alphabetic, shared prefix", urls, [&] { editor.sortAscendAsAlpha(); }));
    all.push_back(timeOp("Numberic, no numbers", urls, [&] { editor.sortDescendAsNumber(); }));
    all.push_back(timeOp("&Upper", words, [&] { editor.upper(); }));
    all.push_back(timeOp("&Lower", words, [&] { editor.lower(); }));
    all.push_back(timeOp("Pad Space", words, [&] { editor.pad(); }));
    all.push_back(timeOp("Align &Right", words, [&] { editor.alignRight(); }));
    all.push_back(timeOp("Align &Center", words, [&] { editor.alignCenter(); }));
    all.push_back(timeOp("Remove Empty Lines", withBlanks, [&] { editor.actionRemoveEmptyLines(); }));
    const bool removedRight = editorBytes() == numbers;
    all.push_back(timeOp("Re&verse", words, [&] { editor.reverse(); }));
    all.push_back(timeOp("Random", words, [&] { editor.sortRandom(); }));
    all.push_back(timeOp("Upper First Character", words, [&] { editor.upperFirstChar(); }));
    all.push_back(timeOp("Lower First Character", words, [&] { editor.lowerFirstChar(); }));
    all.push_back(timeOp("&Swap Case", words, [&] { editor.swapCase(); }));
    all.push_back(timeOp("Truncate &Left", words, [&] { editor.truncateLeft(); }));
    all.push_back(timeOp("Truncate &Right", words, [&] { editor.truncateRight(); }));
    all.push_back(timeOp("Strip Left", words, [&] { editor.lstrip(); }));
    all.push_back(timeOp("Strip Right", words, [&] { editor.rstrip(); }));
    all.push_back(timeOp("Strip Left and Right", words, [&] { editor.strip(); }));

    // The core step alone, without reading from and writing into the editor.
    for (const auto& entry : {std::make_pair("  core: numeric sort", ByteLineOps::Operation::SortNumberAscending),
                              std::make_pair("  core: alphabetic sort", ByteLineOps::Operation::SortTextAscending)}) {
        const QByteArray& input = entry.second == ByteLineOps::Operation::SortTextAscending ? words : numbers;
        QElapsedTimer timer;
        timer.start();
        const ByteLineOps::Result result = ByteLineOps::run(entry.second, input, "\n", true);
        std::printf("%-24s %6lld ms (%d bytes)\n", entry.first, static_cast<long long>(timer.elapsed()),
                    int(result.bytes.size()));
    }

    // Reading the document's bytes and writing a result back as one undo step.
    {
        editor.setText(words.constData());
        editor.emptyUndoBuffer();
        QElapsedTimer timer;
        timer.start();
        const QByteArray copy(editor.characterPointer(), editor.textLength());
        const qint64 readMs = timer.restart();
        editor.setBytesKeepView(textSorted, true);
        const qint64 writeMs = timer.elapsed();
        std::printf("  editor: read %lld ms, write back %lld ms (%d bytes)\n", static_cast<long long>(readMs),
                    static_cast<long long>(writeMs), int(copy.size()));
    }

    QTemporaryDir dir;
    const QString numberFile = dir.filePath(QStringLiteral("numbers.txt"));
    const QString wordFile = dir.filePath(QStringLiteral("words.txt"));
    const QString output = dir.filePath(QStringLiteral("sorted.txt"));
    if (!TestSupport::writeBytes(numberFile, numbers + '\n') || !TestSupport::writeBytes(wordFile, words + '\n')) {
        std::printf("cannot write the input files\n");
        return 1;
    }
    QByteArray bySortN;
    QByteArray bySort;
    const qint64 sortNMs = runSort({QStringLiteral("-n")}, numberFile, output, &bySortN);
    const qint64 sortMs = runSort({}, wordFile, output, &bySort);
    if (sortNMs < 0 || sortMs < 0) {
        std::printf("sort failed\n");
        return 1;
    }
    std::printf("best of %d runs:\n", Rounds);
    std::printf("%-24s %6lld ms\n", "Numberic Ascending", static_cast<long long>(numberUpBest));
    std::printf("%-24s %6lld ms\n", "LC_ALL=C sort -n", static_cast<long long>(sortNMs));
    std::printf("%-24s %6lld ms\n", "Alphabetic Ascending", static_cast<long long>(textUpBest));
    std::printf("%-24s %6lld ms\n", "LC_ALL=C sort", static_cast<long long>(sortMs));
    const bool numberSame = numberSorted + '\n' == bySortN;
    const bool textSame = textSorted + '\n' == bySort;
    std::printf("numeric sort bytes equal sort -n: %s\n", numberSame ? "yes" : "NO");
    std::printf("alphabetic sort bytes equal sort: %s\n", textSame ? "yes" : "NO");
    std::printf("remove empty lines result right: %s\n", removedRight ? "yes" : "NO");
    const double numberRatio = double(numberUpBest) / double(std::max<qint64>(1, sortNMs));
    const double textRatio = double(textUpBest) / double(std::max<qint64>(1, sortMs));
    qint64 maxGap = 0;
    for (const Timing& t : all)
        maxGap = std::max(maxGap, t.maxGapMs);
    std::printf("ratio numeric sort / sort -n: %.2f (target <= 0.5)\n", numberRatio);
    std::printf("ratio alphabetic sort / sort: %.2f (target <= 1.0)\n", textRatio);
    std::printf("longest time without events: %lld ms (target <= %lld)\n", static_cast<long long>(maxGap),
                static_cast<long long>(MaxGapMs));
    const bool ok =
        numberSame && textSame && removedRight && numberRatio <= 0.5 && textRatio <= 1.0 && maxGap <= MaxGapMs;
    return ok ? 0 : 1;
}
