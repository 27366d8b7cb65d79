#pragma once
// A tool button showing a font family name in that font; a click opens the font dialog and its
// menu goes back to the default font.

#include <QFont>
#include <QToolButton>

class QtFontButton : public QToolButton
{
    Q_OBJECT
    Q_PROPERTY(QFont font READ font WRITE setFont)

public:
    explicit QtFontButton(QWidget* parent = nullptr);

    QFont font() const { return m_font; }
    // Does not emit fontChanged: that signal reports the user's choices only.
    void setFont(const QFont& font);

public slots:
    void slotEditFont();
    void slotClearFont();

signals:
    void fontChanged(const QFont& font);

private:
    void showFont();

    QFont m_font;
};
