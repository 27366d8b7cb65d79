#pragma once
// The data generator: a chosen number of records, each the template with every column reference
// taking a randomly chosen line of its column, written into the main window's result editor.

#include "engine/Callback.h"
#include "engine/MergeColumn.h"

#include <QDialog>
#include <QScopedPointer>

#include <memory>
#include <vector>

class MainWindow;
class Preferences;
class QCloseEvent;
class QProgressIndicator;

namespace Ui {
class DataGenDialog;
}

class DataGeneratorDialog : public QDialog, public Callback
{
    Q_OBJECT
public:
    // Runs only under a main window as parent: that is where its columns, template and result are.
    explicit DataGeneratorDialog(QWidget* parent = nullptr);
    ~DataGeneratorDialog() override;

    bool isRunning() const { return m_running; }

    bool isStopRequested() override { return m_stopRequested; }
    bool setProgress(int records) override;

public slots:
    // Starts a run, or asks the running one to stop.
    void on_btnStart_clicked();
    void on_btnClose_clicked();
    // Esc: as the close button.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void run();

    QScopedPointer<Ui::DataGenDialog> m_ui;
    MainWindow* m_mainWindow = nullptr;
    Preferences* m_preferences = nullptr;
    QProgressIndicator* m_busy = nullptr;
    bool m_running = false;
    std::vector<std::unique_ptr<MergeColumn>> m_formattedColumns;
    bool m_stopRequested = false;
};
