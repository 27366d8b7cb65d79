#include "widgets/QtFontButton.h"

#include <QFontDialog>
#include <QMenu>

QtFontButton::QtFontButton(QWidget* parent) : QToolButton(parent)
{
    setAcceptDrops(true);
    setPopupMode(QToolButton::MenuButtonPopup);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    auto* menu = new QMenu(this);
    QAction* clear = menu->addAction(tr("Default font"));
    connect(clear, &QAction::triggered, this, &QtFontButton::slotClearFont);
    setMenu(menu);

    connect(this, &QToolButton::clicked, this, &QtFontButton::slotEditFont);

    // Shown from the start: an owner that sets the default font would otherwise leave a blank button.
    showFont();
}

void QtFontButton::setFont(const QFont& font)
{
    if (m_font == font)
        return;
    m_font = font;
    showFont();
}

void QtFontButton::showFont()
{
    setText(m_font.family());
    QToolButton::setFont(m_font);
}

void QtFontButton::slotEditFont()
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, m_font, this);
    if (!ok || chosen == m_font)
        return;
    setFont(chosen);
    emit fontChanged(m_font);
}

void QtFontButton::slotClearFont()
{
    setFont(QFont());
    emit fontChanged(m_font);
}
