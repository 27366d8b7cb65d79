#pragma once
// The resize tool: re-flows the non-blank lines of one editor into rows of N items joined by
// spaces, as one undo step; each further "OK" regroups the rows it made.

#include <QDialog>
#include <QPointer>
#include <QScopedPointer>
#include <QString>

#include <memory>

class CellTable;
class Editor;
class Preferences;
class QProgressIndicator;

namespace Ui {
class ResizeDialog;
}

class ResizeDialog : public QDialog
{
    Q_OBJECT
public:
    // The target's text is copied now; the dialog changes the target only through "OK".
    explicit ResizeDialog(Editor* target, QWidget* parent = nullptr);
    ~ResizeDialog() override;

    // Null until load() has built it.
    const CellTable* table() const { return m_table.get(); }
    QProgressIndicator* busyIndicator() const { return m_busy; }

public slots:
    void load();
    void on_btnClose_clicked();
    void on_btnOK_clicked();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setWorking(bool working);

    QScopedPointer<Ui::ResizeDialog> m_ui;
    QPointer<Editor> m_target;
    QString m_text;
    // False when the copy does not give back the document byte for byte, so a rewrite would lose
    // part of it.
    bool m_textComplete = false;
    std::unique_ptr<CellTable> m_table;
    Preferences* m_preferences;
    QProgressIndicator* m_busy;
    bool m_stopRequested = false;
};
