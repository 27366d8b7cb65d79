#pragma once
// Keeps the window alive during a long loop: pending events run before the first item and then at
// most once an interval has passed, and a stop asked for through those events is reported. Every long
// loop of the program paces itself through this one class.

#include <QElapsedTimer>

#include <functional>

class EventPacer
{
public:
    // How often events run during a long loop, in ms.
    static constexpr int DefaultIntervalMs = 10;

    // Fixed reads the clock on every poll; Adaptive reads it every few polls, the stride following
    // the pace of the loop, for loops whose items cost about as little as reading the clock.
    enum class Clock { Fixed, Adaptive };

    explicit EventPacer(std::function<bool()> stopRequested = {}, int intervalMs = DefaultIntervalMs,
                        Clock clock = Clock::Fixed);

    // Runs pending events when they are due (always on the first call); returns true when they ran.
    bool poll();
    // Polls, then asks the stop predicate when events ran: a stop can only arrive through them.
    bool pollStop();

private:
    bool due();
    void runEvents();

    // Caps how many items pass unseen when they suddenly get slower.
    static constexpr int MaxStride = 256;

    std::function<bool()> m_stopRequested;
    QElapsedTimer m_clock;
    qint64 m_intervalNs;
    qint64 m_clockStepNs;
    qint64 m_lastRead = 0;
    qint64 m_lastEvents = 0;
    int m_stride = 1;
    int m_countdown = 1;
    bool m_adaptive;
    bool m_first = true;
};
