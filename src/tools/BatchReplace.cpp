#include "tools/BatchReplace.h"
#include "ui_BatchReplace.h"

#include "editor/Editor.h"
#include "editor/TextFile.h"
#include "engine/MergeEngine.h"
#include "mainwindow/MainWindow.h"
#include "tools/BatchRules.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <QStatusBar>

ScriptDialog::ScriptDialog(QWidget* parent) : QMainWindow(parent), m_ui(new Ui::ScriptDialog)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    m_ui->sourceEdit->setName(tr("Source"));
    m_ui->resultEdit->setName(tr("Result"));
    m_ui->ruleEdit->setName(tr("Rules"));
}

ScriptDialog::~ScriptDialog() = default;

int ScriptDialog::resultLimit() const
{
    if (auto* window = qobject_cast<MainWindow*>(parentWidget()))
        return window->mergeEngine().resultLimit();
    return MergeEngine().resultLimit();
}

void ScriptDialog::on_btnRun_clicked()
{
    if (m_running) {
        m_stopRequested = true;
        return;
    }
    const QString source = m_ui->sourceEdit->text();
    const QString rulesText = m_ui->ruleEdit->text();
    if (source.isEmpty() || rulesText.isEmpty())
        return;
    const int firstVisibleLine = m_ui->resultEdit->firstVisibleLine();

    setRunning(true);
    const QPointer<ScriptDialog> alive(this);
    const BatchRules::Outcome outcome = BatchRules::apply(source, BatchRules::parse(rulesText), resultLimit(),
                                                          [alive] { return !alive || alive->m_stopRequested; });
    if (!alive)
        return;
    setRunning(false);

    switch (outcome.status) {
    case BatchRules::Status::Done:
        showOutcome(outcome.text, firstVisibleLine);
        statusBar()->clearMessage();
        break;
    case BatchRules::Status::Failed:
        showOutcome(BatchRules::errorText(outcome), firstVisibleLine);
        statusBar()->clearMessage();
        break;
    case BatchRules::Status::Stopped:
        // Half the rules applied is no outcome anyone asked for; the last one stays.
        statusBar()->showMessage(tr("Stopped; the result is as it was."), 3000);
        break;
    }
}

void ScriptDialog::setRunning(bool running)
{
    m_running = running;
    m_stopRequested = false;
    m_ui->btnRun->setIcon(
        QIcon(running ? QStringLiteral(":/toolbar/images/stop.png") : QStringLiteral(":/toolbar/images/start.png")));
    m_ui->btnRun->setToolTip(running ? tr("Stop") : tr("Run"));
    if (running)
        m_ui->resultEdit->startBusy();
    else
        m_ui->resultEdit->stopBusy();
}

void ScriptDialog::showOutcome(const QString& text, int firstVisibleLine)
{
    // As the main window's result: over an untouched earlier outcome there is nothing to keep and the
    // fast load without undo serves; once the user has edited, the new text is one undo step away.
    Editor* result = m_ui->resultEdit;
    if (result->canUndo() || result->canRedo())
        result->setWholeTextKeepView(text);
    else
        result->loadText(text);
    result->setFirstVisibleLine(firstVisibleLine);
}

void ScriptDialog::on_btnCopy_clicked()
{
    Editor* result = m_ui->resultEdit;
    result->selectAll();
    result->copy();
    result->setEmptySelection(result->currentPos());
}

void ScriptDialog::on_btnOpen_clicked()
{
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open File"), QDir::currentPath(), tr("Any Files (*.*)"));
    if (path.isEmpty())
        return;
    bool loaded = false;
    const QString text = loadTextFile(path, this, &loaded);
    // A file that could not be read leaves both the rules and the file they are saved to.
    if (!loaded)
        return;
    m_rulesPath = path;
    m_ui->ruleEdit->setWholeTextKeepView(text);
}

void ScriptDialog::on_btnSave_clicked()
{
    QString path = m_rulesPath;
    if (path.isEmpty()) {
        path = QFileDialog::getSaveFileName(this, tr("Save As"), QDir::currentPath() + QStringLiteral("/untitled.s"),
                                            tr("Text Files (*.txt);;All Files (*)"));
        if (path.isEmpty())
            return;
    }
    // A path is kept only once the rules are in it, so a failed first save asks again next time.
    if (saveTextFile(path, m_ui->ruleEdit->text(), m_ui->ruleEdit->isUnicode(), this))
        m_rulesPath = path;
}

void ScriptDialog::on_btnMultiline_clicked() {}

void ScriptDialog::closeEvent(QCloseEvent* event)
{
    // Closing hides the window; a run under way ends at its next look at the stop flag.
    if (m_running)
        m_stopRequested = true;
    QMainWindow::closeEvent(event);
}
