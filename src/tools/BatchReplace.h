#pragma once
// The batch-replace window: a source text, a list of plain-text rules ("find <> replacement", one a
// line, kept in a rules file of their own) and the outcome of applying them in order.

#include <QMainWindow>
#include <QScopedPointer>
#include <QString>

class QCloseEvent;

namespace Ui {
class ScriptDialog;
}

class ScriptDialog : public QMainWindow
{
    Q_OBJECT
public:
    explicit ScriptDialog(QWidget* parent = nullptr);
    ~ScriptDialog() override;

    // The rules file that Save writes to without asking; empty until one was opened or saved.
    QString rulesPath() const { return m_rulesPath; }
    bool isRunning() const { return m_running; }
    // Largest outcome a run builds, in UTF-16 units: the merge engine's limit under the main window.
    int resultLimit() const;

public slots:
    // Runs the rules, or asks the running run to stop.
    void on_btnRun_clicked();
    void on_btnCopy_clicked();
    void on_btnOpen_clicked();
    void on_btnSave_clicked();
    void on_btnMultiline_clicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showOutcome(const QString& text, int firstVisibleLine);
    void setRunning(bool running);

    QScopedPointer<Ui::ScriptDialog> m_ui;
    QString m_rulesPath;
    bool m_running = false;
    bool m_stopRequested = false;
};
