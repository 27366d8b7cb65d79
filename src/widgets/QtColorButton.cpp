#include "widgets/QtColorButton.h"

#include <QApplication>
#include <QColorDialog>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace {

QPixmap checkerTile()
{
    QPixmap tile(20, 20);
    QPainter painter(&tile);
    painter.fillRect(0, 0, 10, 10, Qt::white);
    painter.fillRect(10, 10, 10, 10, Qt::white);
    painter.fillRect(10, 0, 10, 10, Qt::black);
    painter.fillRect(0, 10, 10, 10, Qt::black);
    return tile;
}

QColor colorOf(const QMimeData* data)
{
    if (!data || !data->hasColor())
        return QColor();
    return qvariant_cast<QColor>(data->colorData());
}

} // namespace

QtColorButton::QtColorButton(QWidget* parent) : QToolButton(parent)
{
    setAcceptDrops(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(this, &QToolButton::clicked, this, &QtColorButton::slotEditColor);
}

void QtColorButton::setBackgroundCheckered(bool checkered)
{
    if (m_backgroundCheckered == checkered)
        return;
    m_backgroundCheckered = checkered;
    update();
}

void QtColorButton::setColor(const QColor& color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
}

void QtColorButton::applyUserColor(const QColor& color)
{
    if (!color.isValid() || color == m_color)
        return;
    setColor(color);
    emit colorChanged(m_color);
}

void QtColorButton::slotEditColor()
{
    applyUserColor(QColorDialog::getColor(m_color, this, QString(), QColorDialog::ShowAlphaChannel));
}

void QtColorButton::paintEvent(QPaintEvent* event)
{
    QToolButton::paintEvent(event);
    if (!isEnabled())
        return;

    const QRect swatch = rect().adjusted(4, 4, -4, -4);
    if (swatch.isEmpty())
        return;
    const QColor shown = m_dragColor.isValid() ? m_dragColor : m_color;

    QPainter painter(this);
    if (m_backgroundCheckered) {
        painter.setBrushOrigin(swatch.topLeft());
        painter.fillRect(swatch, QBrush(checkerTile()));
    }
    // No colour yet: leave the swatch empty rather than paint a black that nobody chose.
    if (shown.isValid())
        painter.fillRect(swatch, shown);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}

void QtColorButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragStart = event->pos();
    QToolButton::mousePressEvent(event);
}

void QtColorButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging && m_color.isValid() && (event->buttons() & Qt::LeftButton) &&
        (event->pos() - m_dragStart).manhattanLength() > QApplication::startDragDistance()) {
        // Released first, so that the end of the drag is not taken for a click.
        setDown(false);

        auto* data = new QMimeData;
        data->setColorData(m_color);
        QPixmap swatch(24, 24);
        swatch.fill(m_color);

        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        drag->setPixmap(swatch);
        m_dragging = true;
        drag->exec(Qt::CopyAction);
        m_dragging = false;
        return;
    }
    QToolButton::mouseMoveEvent(event);
}

void QtColorButton::dragEnterEvent(QDragEnterEvent* event)
{
    const QColor color = colorOf(event->mimeData());
    if (!color.isValid()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    m_dragColor = color;
    update();
}

void QtColorButton::dragLeaveEvent(QDragLeaveEvent* event)
{
    event->accept();
    m_dragColor = QColor();
    update();
}

void QtColorButton::dropEvent(QDropEvent* event)
{
    m_dragColor = QColor();
    update();
    const QColor color = colorOf(event->mimeData());
    if (!color.isValid()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    applyUserColor(color);
}
