#include "engine/EventPacer.h"

#include <QCoreApplication>

#include <utility>

EventPacer::EventPacer(std::function<bool()> stopRequested, int intervalMs, Clock clock)
    : m_stopRequested(std::move(stopRequested)), m_intervalNs(qint64(qMax(0, intervalMs)) * 1000000),
      m_clockStepNs(m_intervalNs / 10), m_adaptive(clock == Clock::Adaptive)
{
    m_clock.start();
}

bool EventPacer::poll()
{
    if (!due())
        return false;
    runEvents();
    return true;
}

bool EventPacer::pollStop()
{
    return poll() && m_stopRequested && m_stopRequested();
}

// Reading the clock costs about as much as building a short record, so the adaptive clock is read
// every m_stride polls, the stride chosen so that a read comes about every tenth of the interval
// whether an item takes 50 ns or 5 ms.
bool EventPacer::due()
{
    if (m_first)
        return true;
    if (m_adaptive && --m_countdown > 0)
        return false;
    const qint64 now = m_clock.nsecsElapsed();
    if (m_adaptive) {
        const qint64 spent = now - m_lastRead;
        const qint64 wanted = m_clockStepNs == 0 ? 1
                              : spent > 0        ? qint64(m_stride) * m_clockStepNs / spent
                                                 : qint64(m_stride) * 8;
        m_stride = int(qBound<qint64>(1, wanted, qMin(qint64(m_stride) * 8, qint64(MaxStride))));
        m_countdown = m_stride;
        m_lastRead = now;
    }
    return now - m_lastEvents >= m_intervalNs;
}

void EventPacer::runEvents()
{
    m_first = false;
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    m_lastEvents = m_clock.nsecsElapsed();
    m_lastRead = m_lastEvents;
}
