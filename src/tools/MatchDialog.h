#pragma once
// The Match window: runs a regular expression over a pasted or dropped text, previews every match
// as a row of cells (the whole match, then each group) and loads the grid into the columns.

#include <QDialog>
#include <QScopedPointer>

#include <memory>

class CellTable;
class MetaManager;
class Preferences;
class QProgressIndicator;

namespace Ui {
class MatchDialog;
}

class MatchDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MatchDialog(MetaManager* manager, QWidget* parent = nullptr);
    ~MatchDialog() override;

    // The table of the last Find with a valid expression; null before the first.
    std::shared_ptr<CellTable> table() const { return m_table; }
    bool isRunning() const { return m_running; }

public slots:
    void on_btnStart_clicked();
    void on_btnAppend_clicked();
    void on_btnHelp_toggled(bool checked);
    void on_ckbRemove_toggled(bool checked);
    void on_ckbMacthCase_toggled(bool checked);
    void on_ckbUnicode_toggled(bool checked);
    void on_ckbMultiLine_toggled(bool checked);
    void on_ckbDotAll_toggled(bool checked);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showError(const QString& message);
    void setRunning(bool running);

    QScopedPointer<Ui::MatchDialog> m_ui;
    MetaManager* m_manager;
    Preferences& m_preferences;
    QProgressIndicator* m_busy;
    std::shared_ptr<CellTable> m_table;
    bool m_running = false;
    bool m_stopRequested = false;
};
