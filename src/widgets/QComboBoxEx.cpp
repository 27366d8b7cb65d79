#include "widgets/QComboBoxEx.h"

QComboBoxEx::QComboBoxEx(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setDuplicatesEnabled(false);
    setInsertPolicy(QComboBox::InsertAtTop);
    setMaxCount(20);
    setMaxVisibleItems(20);
}

void QComboBoxEx::setItems(const QStringList& items, const QString& current)
{
    addItems(items);
    setCurrentText(current);
}

QStringList QComboBoxEx::items() const
{
    QStringList result;
    result.reserve(count());
    for (int i = 0; i < count(); ++i)
        result.append(itemText(i));
    return result;
}

void QComboBoxEx::addCurrentText()
{
    const QString text = currentText();
    QStringList list = items();

    // Rebuilding the list would otherwise report index and text changes the owner did not make.
    const bool wasBlocked = blockSignals(true);
    if (!list.contains(text, Qt::CaseSensitive))
        list.insert(0, text);
    clear();
    insertItems(0, list);
    setCurrentText(text);
    blockSignals(wasBlocked);

    emit itemsChanged(list, text);
}
