#include "widgets/QProgressIndicator.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QTimerEvent>

#include <algorithm>

QProgressIndicator::QProgressIndicator(QWidget* parent) : QDialog(parent), m_delayTimer(new QTimer(this))
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    setWindowOpacity(1.0);
    setAttribute(Qt::WA_TranslucentBackground);
    // The spinner turns while the user keeps typing elsewhere; it must never take the focus.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setMinimumSize(48, 48);
    setMaximumSize(48, 48);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    // One delay timer rather than a fresh single shot per start(): a second start() while the
    // first delay runs must not end up with two animation timers.
    m_delayTimer->setSingleShot(true);
    connect(m_delayTimer, &QTimer::timeout, this, &QProgressIndicator::delayStart);

    centreOverParent();
}

QProgressIndicator* QProgressIndicator::create(QWidget* parent, int delayMs)
{
    auto* indicator = new QProgressIndicator(parent);
    indicator->start(delayMs);
    return indicator;
}

bool QProgressIndicator::isAnimated() const
{
    return m_timerId != -1;
}

void QProgressIndicator::setColor(const QColor& color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
}

void QProgressIndicator::setDisplayedWhenStopped(bool state)
{
    if (m_displayedWhenStopped == state)
        return;
    m_displayedWhenStopped = state;
    update();
}

void QProgressIndicator::start(int delayMs)
{
    m_angle = 0;
    // A stop still waiting for its tick belongs to the previous operation: finish it now so that
    // the new operation gets its own delay instead of losing the spinner at the next tick.
    if (m_timerId != -1 && m_stopRequested)
        stopNow();
    if (m_timerId == -1) {
        m_stopRequested = false;
        m_delayTimer->start(std::max(0, delayMs));
    }
    m_startDelay = delayMs;
}

void QProgressIndicator::stop()
{
    m_stopRequested = true;
}

void QProgressIndicator::stopNow()
{
    m_delayTimer->stop();
    if (m_timerId != -1) {
        killTimer(m_timerId);
        m_timerId = -1;
        update();
    }
    m_stopRequested = true;
    hide();
}

void QProgressIndicator::delayStart()
{
    if (m_stopRequested || m_timerId != -1)
        return;
    m_timerId = startTimer(m_animationDelay, Qt::CoarseTimer);
}

void QProgressIndicator::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timerId) {
        QDialog::timerEvent(event);
        return;
    }
    if (m_stopRequested) {
        stopNow();
        return;
    }
    QWidget* parent = parentWidget();
    if (parent && !parent->isVisible()) {
        hide();
        return;
    }
    centreOverParent();
    if (isHidden())
        show();
    m_angle = (m_angle + 30) % 360;
    update();
}

void QProgressIndicator::centreOverParent()
{
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    // The spinner is a window of its own, so it is placed in screen coordinates. Mapping the
    // parent's origin covers both a nested widget (an editor inside a column) and a window, whose
    // pos() would include the frame that size() leaves out.
    const QPoint origin = parent->mapToGlobal(QPoint(0, 0));
    move(origin.x() + (parent->width() - width()) / 2, origin.y() + (parent->height() - height()) / 2);
}

void QProgressIndicator::paintEvent(QPaintEvent*)
{
    if (!m_displayedWhenStopped && !isAnimated())
        return;

    const int side = std::min(width(), height());
    const double outerRadius = (side - 1) * 0.5;
    const int innerRadius = static_cast<int>(outerRadius * 0.4);
    const int capsuleHeight = static_cast<int>(outerRadius - innerRadius);
    const int capsuleWidth = static_cast<int>(capsuleHeight * 0.3);
    const int capsuleRadius = capsuleWidth / 2;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    const QColor base = m_color.isValid() ? m_color : QColor(Qt::black);
    for (int i = 0; i < 12; ++i) {
        QColor spoke = base;
        spoke.setAlphaF(base.alphaF() * (1.0 - i / 12.0));
        painter.setBrush(spoke);
        painter.save();
        painter.translate((width() - 1) / 2, (height() - 1) / 2);
        painter.rotate(m_angle - 30.0 * i);
        painter.drawRoundedRect(-static_cast<int>(capsuleWidth * 0.5), -(innerRadius + capsuleHeight), capsuleWidth,
                                capsuleHeight, capsuleRadius, capsuleRadius, Qt::AbsoluteSize);
        painter.restore();
    }
}
