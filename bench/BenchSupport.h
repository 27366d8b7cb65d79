#pragma once
// What the bench programs share: the processor time of the calling thread, a watch on how long the
// event loop goes without a turn, and the columns the merge benches merge.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QtGlobal>

#include <ctime>

namespace BenchSupport {

inline qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Two columns of records lines for the merge benches: "user0", "user1", ... and 100000, 100001, ...
inline void userColumns(int records, QString* names, QString* ids)
{
    names->reserve(records * 11);
    ids->reserve(records * 8);
    for (int i = 0; i < records; ++i) {
        *names += QStringLiteral("user%1").arg(i);
        *ids += QString::number(100000 + i);
        if (i + 1 < records) {
            *names += QLatin1Char('\n');
            *ids += QLatin1Char('\n');
        }
    }
}

// The longest wait between two turns of the event loop from start() to stop(): a timer that should
// fire every intervalMs notes when it gets to run. On a busy machine the wall-clock wait includes time
// the process was not running at all, so this thread's processor time is noted too: the most it used
// in any one wait, and what it used in the longest wait.
class LoopWatch
{
public:
    explicit LoopWatch(int intervalMs = 5)
    {
        m_ticker.setInterval(intervalMs);
        QObject::connect(&m_ticker, &QTimer::timeout, [this] { note(); });
    }

    void start()
    {
        m_longest = 0;
        m_longestCpu = 0;
        m_cpuOfLongest = 0;
        m_clock.start();
        m_last = 0;
        m_lastCpu = threadCpuNs();
        m_ticker.start();
    }
    // The time since the last tick is a wait too.
    void stop()
    {
        m_ticker.stop();
        note();
    }

    double longestMs() const { return m_longest / 1e6; }
    double longestCpuMs() const { return m_longestCpu / 1e6; }
    double cpuOfLongestMs() const { return m_cpuOfLongest / 1e6; }

private:
    void note()
    {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        if (now - m_last > m_longest) {
            m_longest = now - m_last;
            m_cpuOfLongest = cpu - m_lastCpu;
        }
        m_longestCpu = qMax(m_longestCpu, cpu - m_lastCpu);
        m_last = now;
        m_lastCpu = cpu;
    }

    QTimer m_ticker;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_lastCpu = 0;
    qint64 m_longest = 0;
    qint64 m_longestCpu = 0;
    qint64 m_cpuOfLongest = 0;
};

} // namespace BenchSupport
