#pragma once
// An editable combo box holding a most-recent-first history of the texts the user has run;
// every commit reports the whole history so that its owner can store it.

#include <QComboBox>
#include <QStringList>

class QComboBoxEx : public QComboBox
{
    Q_OBJECT

public:
    explicit QComboBoxEx(QWidget* parent = nullptr);

    // Fills the history read back from the settings and shows current in the edit field.
    void setItems(const QStringList& items, const QString& current);
    QStringList items() const;

public slots:
    // Puts the current text into the history (new texts on top) and emits itemsChanged.
    void addCurrentText();

signals:
    // items is the history as committed, before the combo box cuts it to its maximum count.
    void itemsChanged(const QStringList& items, const QString& text);
};
