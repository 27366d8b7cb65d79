#pragma once
// The split tool: cuts a pasted or dropped text into a grid of cells at separator characters (or at
// every character), previews it in an editable grid and loads its columns into the row of columns.

#include <QDialog>
#include <QScopedPointer>

#include <memory>

class CellTable;
class MetaManager;
class Preferences;
class QProgressIndicator;

namespace Ui {
class SplitDialog;
}

class SplitDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SplitDialog(MetaManager* manager, QWidget* parent = nullptr);
    ~SplitDialog() override;

    // The table of the last complete "Go", as the grid has left it; null before the first one.
    std::shared_ptr<CellTable> table() const { return m_table; }
    bool isSplitting() const { return m_splitting; }
    QProgressIndicator* busyIndicator() const { return m_busy; }

public slots:
    void on_ckbRemove_toggled(bool checked);
    void on_btnStart_clicked();
    void on_btnAppend_clicked();
    void on_ckbMatchWhole_toggled(bool checked);
    void on_textEdit_textChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setStatus(const QString& text);

    QScopedPointer<Ui::SplitDialog> m_ui;
    MetaManager* m_manager;
    Preferences* m_preferences;
    QProgressIndicator* m_busy;
    std::shared_ptr<CellTable> m_table;
    bool m_splitting = false;
    bool m_stopRequested = false;
};
