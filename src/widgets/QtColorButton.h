#pragma once
// A tool button showing a colour swatch; the colour is picked in the colour dialog or dragged in
// and out as colour data.

#include <QColor>
#include <QPoint>
#include <QToolButton>

class QtColorButton : public QToolButton
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(bool backgroundCheckered READ isBackgroundCheckered WRITE setBackgroundCheckered)

public:
    explicit QtColorButton(QWidget* parent = nullptr);

    QColor color() const { return m_color; }

    bool isBackgroundCheckered() const { return m_backgroundCheckered; }
    void setBackgroundCheckered(bool checkered);

public slots:
    // Does not emit colorChanged: that signal reports the user's choices only.
    void setColor(const QColor& color);
    void slotEditColor();

signals:
    void colorChanged(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Stores a colour the user chose and tells the owner, unless nothing changes.
    void applyUserColor(const QColor& color);

    QColor m_color;
    QColor m_dragColor;
    QPoint m_dragStart;
    bool m_dragging = false;
    bool m_backgroundCheckered = true;
};
