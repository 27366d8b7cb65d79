// Times lineweld-run on two column files of a million lines against paste | awk writing the same bytes,
// checks both outputs are equal and prints the ratio; then runs 20 million records (random ones from
// the template file, and a merge of two 20-million-line column files) and prints each run's peak memory.

#include "TestSupport.h"
#include "app/RunSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int Records = 1000000;
constexpr int BigRecords = 20000000;

// Names and numbers, as the merge benchmark uses.
bool writeColumns(const QString& names, const QString& numbers, int lines)
{
    QFile first(names);
    QFile second(numbers);
    if (!first.open(QIODevice::WriteOnly) || !second.open(QIODevice::WriteOnly))
        return false;
    QByteArray a;
    QByteArray b;
    for (int i = 0; i < lines; ++i) {
        a += "user" + QByteArray::number(100000 + i) + '\n';
        b += QByteArray::number((i * 7919LL) % 10000000) + '\n';
        if (a.size() > (1 << 20) || i + 1 == lines) {
            if (first.write(a) != a.size() || second.write(b) != b.size())
                return false;
            a.clear();
            b.clear();
        }
    }
    return true;
}

struct Outcome
{
    bool ok = false;
    double ms = 0;
    double cpuMs = 0; // user and system time of the program and the children it waited for
    long peakKb = 0;
};

// The high-water mark of resident memory of a running process, in KiB; 0 once it is gone.
long highWaterKb(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Runs a program and waits for it, looking at its memory meanwhile: the kernel's peak of a spawned
// child counts the spawning process's memory too, its own high-water mark does not.
Outcome timed(const QStringList& command)
{
    std::vector<QByteArray> bytes;
    for (const QString& part : command)
        bytes.push_back(part.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& part : bytes)
        argv.push_back(part.data());
    argv.push_back(nullptr);
    Outcome outcome;
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return outcome;
    int status = 0;
    struct rusage usage = {};
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid)
            break;
        if (done < 0)
            return outcome;
        outcome.peakKb = qMax(outcome.peakKb, highWaterKb(pid));
        usleep(2000);
    }
    outcome.ms = timer.nsecsElapsed() / 1e6;
    outcome.cpuMs =
        (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    outcome.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

QString shellQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QStringLiteral("'"), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestSupport::useTemporaryConfigHome();
    const QString run = QStringLiteral(LINEWELD_RUN_EXECUTABLE);

    QTemporaryDir dir;
    const QString c1 = dir.filePath(QStringLiteral("c1"));
    const QString c2 = dir.filePath(QStringLiteral("c2"));
    const QString tpl = dir.filePath(QStringLiteral("t.s"));
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString awkOut = dir.filePath(QStringLiteral("awk"));
    if (!dir.isValid() || !writeColumns(c1, c2, Records) ||
        !RunSupport::writeTemplate(
            tpl, QStringLiteral("INSERT INTO users VALUES ('#1#', #2#);"),
            {{QStringLiteral("a\nb\nc"), QStringLiteral("#1#")}, {QStringLiteral("1\n2\n3"), QStringLiteral("#2#")}})) {
        std::fprintf(stderr, "cannot write the input files\n");
        return 2;
    }

    // Records separated by LF with none after the last, as the merge does.
    const QString awkProgram = QStringLiteral("BEGIN { ORS = \"\" } NR > 1 { print \"\\n\" } "
                                              "{ print \"INSERT INTO users VALUES (\" q $1 q \", \" $2 \");\" }");
    const QString script = QStringLiteral("paste -d '\\t' %1 %2 | awk -F '\\t' -v q=\"'\" %3 > %4")
                               .arg(shellQuote(c1), shellQuote(c2), shellQuote(awkProgram), shellQuote(awkOut));
    // Best of five each, taken in turns, so that both meet the same machine.
    Outcome best;
    Outcome awkBest;
    for (int round = 0; round < 5; ++round) {
        const Outcome mine = timed({run, QStringLiteral("-c"), QStringLiteral("1=") + c1, QStringLiteral("-c"),
                                    QStringLiteral("2=") + c2, QStringLiteral("-o"), out, tpl});
        const Outcome awk = timed({QStringLiteral("sh"), QStringLiteral("-c"), script});
        if (!mine.ok || !awk.ok) {
            std::fprintf(stderr, "a run failed\n");
            return 2;
        }
        if (round == 0 || mine.ms < best.ms)
            best = mine;
        if (round == 0 || awk.ms < awkBest.ms)
            awkBest = awk;
    }
    const QByteArray mineBytes = readAll(out);
    const bool equal = mineBytes == readAll(awkOut);
    std::printf("records: %d\n", Records);
    std::printf("output: %lld bytes, equal to paste | awk: %s\n", static_cast<long long>(mineBytes.size()),
                equal ? "yes" : "NO");
    std::printf("lineweld-run: %.1f ms, %.1f ms of processor time, peak %ld KiB\n", best.ms, best.cpuMs, best.peakKb);
    std::printf("paste | awk: %.1f ms, %.1f ms of processor time\n", awkBest.ms, awkBest.cpuMs);
    std::printf("ratio lineweld-run/awk: %.2f (processor time %.2f)\n", best.ms / awkBest.ms,
                best.cpuMs / awkBest.cpuMs);

    const Outcome random =
        timed({run, QStringLiteral("-n"), QString::number(BigRecords), QStringLiteral("-o"), out, tpl});
    std::printf("%d random records: %s, %.1f ms, peak %.1f MiB, %lld bytes\n", BigRecords, random.ok ? "ok" : "FAILED",
                random.ms, random.peakKb / 1024.0, static_cast<long long>(QFile(out).size()));
    if (!writeColumns(c1, c2, BigRecords)) {
        std::fprintf(stderr, "cannot write the large column files\n");
        return 2;
    }
    const Outcome merge = timed({run, QStringLiteral("-c"), QStringLiteral("1=") + c1, QStringLiteral("-c"),
                                 QStringLiteral("2=") + c2, QStringLiteral("-o"), out, tpl});
    std::printf("%d merged records from column files of %lld and %lld bytes: %s, %.1f ms, peak %.1f MiB, %lld bytes\n",
                BigRecords, static_cast<long long>(QFile(c1).size()), static_cast<long long>(QFile(c2).size()),
                merge.ok ? "ok" : "FAILED", merge.ms, merge.peakKb / 1024.0, static_cast<long long>(QFile(out).size()));
    return equal && random.ok && merge.ok ? 0 : 1;
}
