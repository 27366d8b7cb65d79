#pragma once
// A small busy spinner that appears over a widget only when an operation outlasts a delay,
// and disappears at its next tick once the operation calls stop().

#include <QColor>
#include <QDialog>

class QTimer;

class QProgressIndicator : public QDialog
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(bool displayedWhenStopped READ isDisplayedWhenStopped WRITE setDisplayedWhenStopped)

public:
    // How long every long operation waits before its spinner shows.
    static constexpr int DefaultStartDelayMs = 1500;

    explicit QProgressIndicator(QWidget* parent = nullptr);

    // Builds a spinner over parent (which owns it) and starts it with the given delay.
    static QProgressIndicator* create(QWidget* parent, int delayMs = DefaultStartDelayMs);

    bool isAnimated() const;
    int angle() const { return m_angle; }
    int animationDelay() const { return m_animationDelay; }
    int startDelay() const { return m_startDelay; }

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    bool isDisplayedWhenStopped() const { return m_displayedWhenStopped; }
    void setDisplayedWhenStopped(bool state);

public slots:
    // Starts animating after delayMs unless stop() or stopNow() comes first.
    void start(int delayMs = DefaultStartDelayMs);
    // Asks the spinner to go away at its next tick; cheap enough to call from any long loop's end.
    void stop();
    // Stops and hides at once.
    void stopNow();

private slots:
    void delayStart();

protected:
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void centreOverParent();

    int m_angle = 0;
    int m_timerId = -1;
    int m_animationDelay = 64;
    QColor m_color;
    bool m_displayedWhenStopped = false;
    int m_startDelay = DefaultStartDelayMs;
    bool m_stopRequested = false;
    QTimer* m_delayTimer = nullptr;
};
