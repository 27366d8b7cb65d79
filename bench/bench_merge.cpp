// Times a merge of a million records against paste and awk building the same bytes from the same
// two columns written as files, and the same merge built as bytes against a tight loop that copies
// the same bytes into fresh memory; checks that the outputs are equal and prints the ratios last.

#include "TestSupport.h"
#include "engine/ByteColumn.h"
#include "engine/MergeEngine.h"
#include "engine/PlainColumn.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int Records = 1000000;

class NoStop : public Callback
{
public:
    bool isStopRequested() override { return false; }
    bool setProgress(int) override { return false; }
};

bool writeLines(const QString& path, const QStringList& lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += '\n';
    }
    return file.write(bytes) == bytes.size();
}

QString shellQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QStringLiteral("'"), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestSupport::useTemporaryConfigHome();
    Preferences::instance()->setEditorEolFormat(EolUnix);

    QStringList names;
    QStringList numbers;
    names.reserve(Records);
    numbers.reserve(Records);
    for (int i = 0; i < Records; ++i) {
        names.append(QStringLiteral("user%1").arg(100000 + i));
        numbers.append(QString::number((i * 7919LL) % 10000000));
    }
    PlainColumn first(QStringLiteral("#1#"), names);
    PlainColumn second(QStringLiteral("#2#"), numbers);

    QTemporaryDir dir;
    const QString c1 = dir.filePath(QStringLiteral("c1"));
    const QString c2 = dir.filePath(QStringLiteral("c2"));
    const QString out = dir.filePath(QStringLiteral("out"));
    if (!dir.isValid() || !writeLines(c1, names) || !writeLines(c2, numbers)) {
        std::fprintf(stderr, "cannot write the column files\n");
        return 2;
    }

    MergeEngine engine;
    engine.setMultiLine(true);
    engine.setup({&first, &second}, QStringLiteral("INSERT INTO users VALUES ('#1#', #2#);"));
    NoStop callback;
    QElapsedTimer timer;
    timer.start();
    const QString merged = engine.merge(&callback);
    const double mergeMs = timer.nsecsElapsed() / 1e6;

    // The other two runs over the same columns: as many random records, and Replace Match putting a
    // line into each of a million numbered places.
    timer.start();
    const QString random = engine.generateRandom(Records, &callback);
    const double randomMs = timer.nsecsElapsed() / 1e6;
    PlainColumn places(QStringLiteral("\\d+"), names);
    engine.setup({&places}, QStringLiteral("(0) ").repeated(Records));
    timer.start();
    const QString replaced = engine.replaceMatches(&callback);
    const double replaceMs = timer.nsecsElapsed() / 1e6;

    // Records separated by LF with none after the last, as the merge does.
    const QString awkProgram = QStringLiteral("BEGIN { ORS = \"\" } NR > 1 { print \"\\n\" } "
                                              "{ print \"INSERT INTO users VALUES (\" q $1 q \", \" $2 \");\" }");
    const QString script = QStringLiteral("paste -d '\\t' %1 %2 | awk -F '\\t' -v q=\"'\" %3 > %4")
                               .arg(shellQuote(c1), shellQuote(c2), shellQuote(awkProgram), shellQuote(out));
    QProcess shell;
    timer.start();
    shell.start(QStringLiteral("sh"), {QStringLiteral("-c"), script});
    const bool finished = shell.waitForFinished(-1);
    const double awkMs = timer.nsecsElapsed() / 1e6;
    if (!finished || shell.exitStatus() != QProcess::NormalExit || shell.exitCode() != 0) {
        std::fprintf(stderr, "paste | awk failed: %s\n", shell.readAllStandardError().constData());
        return 2;
    }

    QFile awkFile(out);
    if (!awkFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read the awk output\n");
        return 2;
    }
    const QByteArray awkBytes = awkFile.readAll();
    const QByteArray mergedBytes = merged.toUtf8();
    const bool equal = awkBytes == mergedBytes;

    // The merge as bytes, from columns that hold bytes as the column widgets do.
    ByteColumn firstBytes(QStringLiteral("#1#"), names.join(QLatin1Char('\n')).toUtf8(), true);
    ByteColumn secondBytes(QStringLiteral("#2#"), numbers.join(QLatin1Char('\n')).toUtf8(), true);
    engine.setup({&firstBytes, &secondBytes}, QStringLiteral("INSERT INTO users VALUES ('#1#', #2#);"));
    // Best of five for both, since the two are short enough for a busy machine to blur them.
    constexpr int Rounds = 5;
    std::unique_ptr<ByteBuffer> byteResult;
    double bytesMs = 1e18;
    for (int round = 0; round < Rounds; ++round) {
        auto buffer = std::make_unique<ByteBuffer>();
        timer.start();
        engine.mergeBytes(*buffer, true, &callback);
        bytesMs = qMin(bytesMs, timer.nsecsElapsed() / 1e6);
        byteResult = std::move(buffer);
    }

    double randomBytesMs = 1e18;
    for (int round = 0; round < Rounds; ++round) {
        ByteBuffer buffer;
        timer.start();
        engine.generateRandomBytes(Records, buffer, true, &callback);
        randomBytesMs = qMin(randomBytesMs, timer.nsecsElapsed() / 1e6);
    }

    // The least any merge can do: copy the same pieces into fresh memory of the known size.
    const QByteArray head("INSERT INTO users VALUES ('");
    const QByteArray middle("', ");
    const QByteArray tail(");");
    const LineSpans* a = firstBytes.lineSpans();
    const LineSpans* b = secondBytes.lineSpans();
    const qsizetype loopSize = byteResult->bytes().size();
    std::unique_ptr<char[]> loop;
    char* to = nullptr;
    double loopMs = 1e18;
    for (int round = 0; round < Rounds; ++round) {
        loop.reset();
        timer.start();
        loop.reset(new char[size_t(loopSize)]);
        to = loop.get();
        auto put = [&to](const char* from, int length) {
            std::memcpy(to, from, size_t(length));
            to += length;
        };
        for (int i = 0; i < Records; ++i) {
            if (i > 0)
                *to++ = '\n';
            put(head.constData(), head.size());
            put(a->bytes() + a->span(i).start, a->span(i).end - a->span(i).start);
            put(middle.constData(), middle.size());
            put(b->bytes() + b->span(i).start, b->span(i).end - b->span(i).start);
            put(tail.constData(), tail.size());
        }
        loopMs = qMin(loopMs, timer.nsecsElapsed() / 1e6);
    }
    const bool loopEqual =
        to - loop.get() == loopSize && std::memcmp(loop.get(), byteResult->bytes().constData(), size_t(loopSize)) == 0;
    const bool bytesEqual = byteResult->bytes() == mergedBytes;

    std::printf("records: %d\n", Records);
    std::printf("merge output: %lld bytes\n", static_cast<long long>(mergedBytes.size()));
    std::printf("outputs equal: %s\n", equal ? "yes" : "NO");
    std::printf("merge: %.1f ms\n", mergeMs);
    std::printf("random records: %.1f ms (%lld characters)\n", randomMs, static_cast<long long>(random.size()));
    std::printf("Replace Match: %.1f ms (%lld characters)\n", replaceMs, static_cast<long long>(replaced.size()));
    std::printf("awk: %.1f ms\n", awkMs);
    std::printf("merge as bytes, best of %d: %.1f ms (equal to the string merge: %s)\n", Rounds, bytesMs,
                bytesEqual ? "yes" : "NO");
    std::printf("random records as bytes, best of %d: %.1f ms\n", Rounds, randomBytesMs);
    std::printf("tight copying loop, best of %d: %.1f ms (equal: %s)\n", Rounds, loopMs, loopEqual ? "yes" : "NO");
    std::printf("ratio merge/awk: %.2f\n", mergeMs / awkMs);
    std::printf("ratio merge as bytes/awk: %.2f\n", bytesMs / awkMs);
    std::printf("ratio merge as bytes/tight loop: %.2f (target 2.0)\n", bytesMs / loopMs);
    return equal && bytesEqual && loopEqual ? 0 : 1;
}
