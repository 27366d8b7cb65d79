#include "engine/EventPacer.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimer>

// Counts how often pending events ran: a zero-delay timer fires once per event-processing round.
class EventCounter : public QObject
{
public:
    EventCounter()
    {
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, [this] { ++rounds; });
        m_timer.start();
    }
    int rounds = 0;

private:
    QTimer m_timer;
};

class TestEventPacer : public QObject
{
    Q_OBJECT
private slots:
    void pacing_data()
    {
        QTest::addColumn<int>("intervalMs");
        QTest::addColumn<bool>("adaptive");
        QTest::addColumn<bool>("everyPoll");

        // An hour never passes in a test: only the first poll runs events.
        QTest::addRow("long interval, fixed clock") << 3600 * 1000 << false << false;
        QTest::addRow("long interval, adaptive clock") << 3600 * 1000 << true << false;
        QTest::addRow("no interval, fixed clock") << 0 << false << true;
        QTest::addRow("no interval, adaptive clock") << 0 << true << true;
    }

    void pacing()
    {
        QFETCH(int, intervalMs);
        QFETCH(bool, adaptive);
        QFETCH(bool, everyPoll);

        EventCounter counter;
        EventPacer pacer({}, intervalMs, adaptive ? EventPacer::Clock::Adaptive : EventPacer::Clock::Fixed);
        QCOMPARE(pacer.poll(), true);
        QCOMPARE(counter.rounds, 1);
        int ran = 0;
        constexpr int Polls = 500;
        for (int i = 0; i < Polls; ++i)
            ran += pacer.poll() ? 1 : 0;
        QCOMPARE(ran, everyPoll ? Polls : 0);
        QCOMPARE(counter.rounds, 1 + ran);
    }

    void stopIsAskedOnlyAfterEvents()
    {
        int asked = 0;
        bool stop = false;
        EventPacer pacer(
            [&] {
                ++asked;
                return stop;
            },
            3600 * 1000);
        // The stop arrives through an event, as a click on a stop button would.
        QTimer::singleShot(0, [&] { stop = true; });
        QCOMPARE(pacer.pollStop(), true);
        QCOMPARE(asked, 1);
        // Events are not due again, so the predicate is not asked, however often the loop polls.
        QCOMPARE(pacer.pollStop(), false);
        QCOMPARE(asked, 1);

        EventPacer silent;
        QCOMPARE(silent.pollStop(), false);
    }
};

QTEST_GUILESS_MAIN(TestEventPacer)
#include "tst_eventpacer.moc"
