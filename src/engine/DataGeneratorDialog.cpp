#include "engine/DataGeneratorDialog.h"
#include "ui_DataGeneratorDialog.h"

#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "engine/MergeEngine.h"
#include "mainwindow/MainWindow.h"
#include "settings/Preferences.h"
#include "widgets/QProgressIndicator.h"

#include <QCloseEvent>
#include <QPointer>

namespace {

// Counts up to this finish too soon for a progress bar to say anything.
constexpr int ProgressShownAbove = 10000;

} // namespace

DataGeneratorDialog::DataGeneratorDialog(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::DataGenDialog), m_mainWindow(qobject_cast<MainWindow*>(parent)),
      m_preferences(Preferences::instance())
{
    m_ui->setupUi(this);
    setWindowFlags((windowFlags() | Qt::WindowCloseButtonHint) & ~Qt::WindowContextHelpButtonHint);
    m_ui->progressBar->hide();
    m_busy = new QProgressIndicator(this);
    // Closing the main window must end a run going on inside its event processing.
    if (m_mainWindow)
        m_mainWindow->installEventFilter(this);
}

DataGeneratorDialog::~DataGeneratorDialog() = default;

bool DataGeneratorDialog::setProgress(int records)
{
    m_ui->progressBar->setValue(records);
    return true;
}

void DataGeneratorDialog::on_btnStart_clicked()
{
    if (m_running) {
        m_stopRequested = true;
        return;
    }
    if (m_mainWindow)
        run();
}

void DataGeneratorDialog::run()
{
    const int count = m_ui->sbCount->value();
    // Every column takes part, formatted as in a merge; the wrappers live until the next run.
    m_formattedColumns.clear();
    const QList<MergeColumn*> columns = Meta::asRead(m_mainWindow->metaManager()->metas(), m_formattedColumns);
    MergeEngine& engine = m_mainWindow->mergeEngine();
    engine.setup(columns, m_mainWindow->templateText(), m_preferences->eolString());

    m_ui->progressBar->setMaximum(count);
    if (count > ProgressShownAbove) {
        m_ui->progressBar->setValue(0);
        m_ui->progressBar->show();
    }
    m_ui->btnStart->setText(tr("Stop"));
    m_running = true;
    m_busy->start();
    const QPointer<DataGeneratorDialog> alive(this);
    // Into the result as the records come, also when the dialog is deleted meanwhile.
    m_mainWindow->fillResult(
        [&](ByteSink& sink, bool unicode) { engine.generateRandomBytes(count, sink, unicode, this, count / 100); });
    if (!alive)
        return;
    m_running = false;
    m_busy->stop();
    m_ui->progressBar->hide();

    m_mainWindow->reportTruncation();
    m_stopRequested = false;
    m_ui->btnStart->setText(tr("Start"));
    if (m_preferences->miscCloseAfterDataGenerated())
        close();
}

void DataGeneratorDialog::on_btnClose_clicked()
{
    close();
}

void DataGeneratorDialog::reject()
{
    // A run is stopped, not left behind by a hidden dialog; the dialog closes once it is idle.
    if (m_running) {
        m_stopRequested = true;
        return;
    }
    QDialog::reject();
}

void DataGeneratorDialog::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        m_stopRequested = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool DataGeneratorDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_mainWindow && event->type() == QEvent::Close && m_running)
        m_stopRequested = true;
    return QDialog::eventFilter(watched, event);
}
