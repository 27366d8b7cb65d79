#include "mainwindow/MainWindow.h"

#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "editor/FindDialog.h"
#include "editor/GotoDialog.h"
#include "engine/DataGeneratorDialog.h"
#include "engine/EventPacer.h"
#include "engine/MergePreview.h"
#include "engine/QTemplate.h"
#include "mainwindow/AboutDialog.h"
#include "mainwindow/PreferencesDialog.h"
#include "settings/Preferences.h"
#include "tools/BatchReplace.h"
#include "tools/DiffDialog.h"
#include "tools/MatchDialog.h"
#include "tools/ResizeDialog.h"
#include "tools/SplitDialog.h"
#include "ui_MainWindow.h"
#include "widgets/QProgressIndicator.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScopedValueRollback>
#include <QTimer>

#include <QUrl>
#include <memory>

#include <utility>

namespace {

// What a template file that does not say takes, from the column preferences.
TemplateDefaults templateDefaults(const Preferences& preferences)
{
    return {preferences.columnsPrefix(), preferences.columnsSuffix(), preferences.columnsStartColumns()};
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), m_ui(new Ui::MainWindow), m_preferences(*Preferences::instance())
{
    m_ui->setupUi(this);
    connect(&m_preferences, &Preferences::toolbarIconSizeChanged, this, &MainWindow::onToolbarIconSizeChanged);
    connect(&m_preferences, &Preferences::hideMenuBarChanged, this, &MainWindow::onHideMenuBarChanged);
    connect(&m_preferences, &Preferences::hideStatusBarChanged, this, &MainWindow::onHideStatusBarChanged);
    connect(&m_preferences, &Preferences::focusEditorChanged, this, &MainWindow::onFocusEditorChanged);

    static constexpr int MinimumWidths[StatusLabelCount] = {80, 220, 120, 160, 80, 32};
    for (int i = 0; i < StatusLabelCount; ++i) {
        m_labels[i] = new QLabel(this);
        m_labels[i]->setMinimumSize(MinimumWidths[i], 20);
        statusBar()->addPermanentWidget(m_labels[i]);
    }
    // A text change comes as many notifications (a load in pieces, a conversion line by line); the
    // labels are read once they are over.
    m_textLabelsTimer = new QTimer(this);
    m_textLabelsTimer->setSingleShot(true);
    m_textLabelsTimer->setInterval(0);
    connect(m_textLabelsTimer, &QTimer::timeout, this, &MainWindow::refreshTextLabels);
    // The bar shown by Alt or F10 hides again when the menus lose the focus.
    m_ui->MainMenu->installEventFilter(this);

    // The tool dialogs (set operations, Data Setting, data generator, split, batch replace, match,
    // find) are created here, once, when they exist; each has its one slot below.
    m_diffDialog = new DiffDialog(this);
    m_fastMetaWnd = new FastMetaWnd(
        &m_preferences, m_ui->manager, [this]() { return focusEditor(); }, this);
    m_engine.setup({}, QString());
    m_ui->manager->setFastMetaWnd(m_fastMetaWnd);
    m_splitDialog = new SplitDialog(m_ui->manager, this);
    connect(m_ui->manager, &MetaManager::metaChanged, this, &MainWindow::metaChanged);
    m_aboutDialog = new AboutDialog(this);
    m_findDialog = new FindDialog(
        &m_preferences, [this]() { return focusEditor(); }, this);
    m_scriptDialog = new ScriptDialog(this);
    m_dataGeneratorDialog = new DataGeneratorDialog(this);
    m_matchDialog = new MatchDialog(m_ui->manager, this);

    showMaximized();
    m_busy = new QProgressIndicator(this);

    m_currentFile.clear();
    m_exportPath.clear();
    m_stopRequested = true;
    m_running = false;
    m_ui->tpl->setName(tr("Template"));
    m_ui->result->setName(tr("Result"));

    for (int i = 0; i < MaxRecentFiles; ++i) {
        auto* action = new QAction(this);
        action->setVisible(false);
        connect(action, &QAction::triggered, this, &MainWindow::openRecentFile);
        m_ui->menuRecentFiles->insertAction(m_ui->actionClearRecentFiles, action);
        m_recentFileActions.append(action);
    }
    m_ui->menuRecentFiles->insertSeparator(m_ui->actionClearRecentFiles);
    connect(m_ui->actionClearRecentFiles, &QAction::triggered, this, &MainWindow::clearRecentFiles);

    QByteArray geometry;
    QByteArray state;
    m_preferences.loadWindowState(geometry, state);
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    else
        showMaximized();
    if (!state.isEmpty())
        restoreState(state);
    if (m_preferences.columnsStartColumns() >= 4)
        m_ui->actionAddMeta->setEnabled(false);
    refreshRecentFileActions();

    m_trayMenu = new QMenu(this);
    m_trayMenu->addAction(m_ui->actionRestore);
    m_trayMenu->addAction(m_ui->actionMaximize);
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_ui->actionExit);
    m_trayIcon = new QSystemTrayIcon(QIcon(QStringLiteral(":/window/images/logo.png")), this);
    m_trayIcon->setToolTip(tr("Lineweld"));
    m_trayIcon->setContextMenu(m_trayMenu);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::trayIconActivated);

    m_ui->actionToolBars->setMenu(createPopupMenu());

    m_ui->actionShowSpace->setChecked(m_preferences.guiShowSpace());
    m_ui->actionShowEol->setChecked(m_preferences.guiShowEol());
    // The preview follows every edit once typing pauses for a moment; hidden, it costs nothing.
    m_previewTimer = new QTimer(this);
    m_previewTimer->setSingleShot(true);
    m_previewTimer->setInterval(PreviewDelayMs);
    connect(m_previewTimer, &QTimer::timeout, this, &MainWindow::updatePreview);
    connect(m_ui->tpl, &Editor::textChanged, this, &MainWindow::schedulePreview);
    m_ui->preview->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_ui->actionShowPreview->setChecked(m_preferences.guiShowPreview());
    m_ui->preview->setVisible(m_preferences.guiShowPreview());
    m_ui->MainMenu->setVisible(!m_preferences.guiHideMenuBar());
    statusBar()->setVisible(!m_preferences.guiHideStatusBar());
    onToolbarIconSizeChanged(m_preferences.guiToolbarIconSize());
    if (m_preferences.guiAlwaysOnTop())
        m_ui->actionAlwaysOnTop->trigger();

    metaChanged();
    m_ui->tpl->setFocus();
    onFocusEditorChanged(m_ui->tpl);
}

MainWindow::~MainWindow()
{
    qDeleteAll(m_templates);
}

Editor* MainWindow::focusEditor() const
{
    if (auto* editor = qobject_cast<Editor*>(QApplication::focusWidget()))
        return editor;
    return m_focusEditor;
}

void MainWindow::setResultText(const QString& text)
{
    fillResult([&](ByteSink& sink, bool unicode) { writeEditorText(sink, text, unicode); });
}

namespace {

// Hands each piece straight to a loader of the result editor.
class LoaderSink : public ByteSink
{
public:
    explicit LoaderSink(Editor* editor) : m_editor(editor) {}
    void expect(qint64 bytes) override
    {
        // An editor gone meanwhile takes nothing; the run's pieces are refused.
        if (!m_loader && m_editor)
            m_loader = std::make_unique<Editor::Loader>(m_editor, bytes);
    }
    bool write(const QByteArray& piece) override
    {
        expect(0);
        m_ok = m_loader && m_loader->add(piece);
        return m_ok;
    }
    bool finish()
    {
        expect(0);
        if (m_ok && m_loader)
            m_loader->finish();
        return m_ok && m_loader;
    }

private:
    QPointer<Editor> m_editor;
    std::unique_ptr<Editor::Loader> m_loader;
    bool m_ok = true;
};

} // namespace

bool MainWindow::fillResult(const std::function<void(ByteSink& sink, bool unicode)>& fill)
{
    // A run's result replaces the whole text, whatever part of the old one was selected. Over a
    // previous run's output, untouched, there is nothing to keep and a new document serves; once
    // the user has edited, the replacement is one undo step away from their text.
    Editor* result = m_ui->result;
    const bool unicode = result->isUnicode();
    bool filled = true;
    if (result->canUndo() || result->canRedo()) {
        ByteBuffer text;
        fill(text, unicode);
        result->setWholeBytesKeepView(text.bytes());
    } else {
        // What the user typed into the result while the run let events in would go with the old
        // document, unasked and beyond undo: it waits for the new one.
        const bool readOnly = result->readOnly();
        result->setReadOnly(true);
        LoaderSink sink(result);
        fill(sink, unicode);
        result->setReadOnly(readOnly);
        filled = sink.finish();
    }
    if (!filled)
        showStatusMessage(tr("The result did not fit into memory; the previous result is kept."), 10000);
    return filled;
}

void MainWindow::showStatusMessage(const QString& message, int milliseconds)
{
    statusBar()->showMessage(message, milliseconds);
}

QString MainWindow::templateText() const
{
    return m_ui->tpl->text();
}

// A run that stopped at the size limit must not pass for a complete one.
void MainWindow::reportTruncation()
{
    if (m_engine.resultTruncated())
        showStatusMessage(tr("The result reached its size limit of %L1 characters; it holds what fitted.")
                              .arg(m_engine.resultLimit()),
                          10000);
}

bool MainWindow::setProgress(int records)
{
    Q_UNUSED(records);
    return false;
}

// ---- file commands ----

void MainWindow::openFile(const QString& fileName)
{
    // The read lets events in; an open asked for meanwhile is not started inside this one.
    if (!QFileInfo::exists(fileName) || m_opening)
        return;
    {
        const QScopedValueRollback<bool> opening(m_opening, true);
        // F5 or F6 during the read, or closing the window, stops it as they stop a run; an open that
        // events of a run started leaves the run's stop to the run.
        const bool ownsRun = !m_running;
        if (ownsRun) {
            m_running = true;
            m_stopRequested = false;
        }
        m_busy->start(0);
        readTemplateFile(fileName);
        m_busy->stop();
        if (ownsRun)
            m_running = false;
    }
    // A close during the open saves once the working state is whole again.
    if (std::exchange(m_saveWhenOpened, false))
        saveBeforeExit();
}

void MainWindow::readTemplateFile(const QString& fileName)
{
    // The column texts come as the editors' bytes, without a string of them; nothing of the working
    // state changes before the whole file has been read.
    const bool unicode = m_preferences.editorUnicode();
    std::unique_ptr<QTemplate> file(
        new QTemplate(fileName, templateDefaults(m_preferences), {unicode, [this] { return m_stopRequested; }}));
    if (file->wasStopped()) {
        showStatusMessage(tr("Opening %1 stopped.").arg(fileName));
        return;
    }
    if (file->status() == QSettings::AccessError) {
        // A folder, an unreadable file or one that is no template file: the working state stays as it was.
        const QString why = file->notice().isEmpty() ? tr("Cannot read %1.").arg(fileName) : file->notice();
        m_busy->stop();
        QMessageBox::warning(this, tr("Error"), why);
        return;
    }
    m_ui->actionRepMultiLine->setChecked(file->isMultiLine());
    m_engine.setMultiLine(file->isMultiLine());
    // Every editor the file fills starts a fresh undo history, as opening a file does in any editor.
    m_ui->tpl->loadText(file->templateText());
    // The file's own count may be anything; the columns read from it are at most four.
    QList<QByteArray> texts = file->takeColumnBytes();
    const QList<QTemplate::Column> columns = file->columns();
    const QList<ValueFormat> formats = file->columnFormats();
    const int c = columns.size();
    MetaManager* manager = m_ui->manager;
    while (manager->count() > c && manager->count() > 0)
        manager->removeMeta(-1, MetaManager::KeepNumbers);
    EventPacer pacer;
    for (int i = 0; i < c; ++i) {
        // The events may remove columns or add them: the column is looked up again after them.
        pacer.poll();
        if (i >= manager->count())
            manager->setMeta(i, QString(), columns.at(i).second);
        Meta* meta = manager->metaAt(i);
        if (!meta)
            continue;
        // The preference may have changed during the read.
        if (meta->editor()->isUnicode() == unicode)
            meta->loadBytes(texts.at(i));
        else
            meta->editor()->loadText(unicode ? QString::fromUtf8(texts.at(i)) : QString::fromLatin1(texts.at(i)));
        texts[i].clear();
        meta->setSnippet(columns.at(i).second);
        meta->setValueFormat(formats.value(i));
    }
    // Kept for the next save to this path, which then writes only what changed; it holds no column text.
    delete m_templates.value(fileName);
    m_templates.insert(fileName, file.release());
    addRecentFile(fileName);
    setResultText(QString());
}

void MainWindow::saveBeforeExit()
{
    if (m_preferences.guiSaveBeforeExit() && !m_currentFile.isEmpty())
        saveFile(QString());
}

void MainWindow::openLastFile()
{
    const QStringList files = m_preferences.recentFiles();
    if (m_preferences.guiOpenLastFile() && !files.isEmpty())
        openFile(files.first());
}

bool MainWindow::saveFile(const QString& path)
{
    const QString target = path.isEmpty() ? m_currentFile : path;
    if (target.isEmpty())
        return false;
    m_busy->start();
    QTemplate*& file = m_templates[target];
    if (!file) {
        // Only to tell what changed: the texts it read are not needed.
        file = new QTemplate(target, templateDefaults(m_preferences), {m_preferences.editorUnicode(), {}});
        file->takeColumnBytes();
    }
    file->setMultiLine(m_ui->actionRepMultiLine->isChecked());
    file->setTemplate(m_ui->tpl->text());
    QList<QTemplate::Column> columns;
    QList<ValueFormat> formats;
    for (Meta* meta : m_ui->manager->metas()) {
        columns.append({meta->editor()->text(), meta->snippet()});
        formats.append(meta->valueFormat());
    }
    file->setColumns(columns);
    file->setColumnFormats(formats);
    if (!file->sync()) {
        // What is on disk stays as it was, and so does the current file.
        m_busy->stop();
        QMessageBox::warning(this, tr("Error"), tr("Cannot save to %1.").arg(target));
        return false;
    }
    addRecentFile(target);
    showStatusMessage(QStringList{tr("Save to %1").arg(target), file->notice()}.join(QLatin1Char(' ')).trimmed());
    m_busy->stop();
    return true;
}

void MainWindow::addRecentFile(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return;
    QStringList files = m_preferences.recentFiles();
    files.removeAll(canonical);
    files.prepend(canonical);
    while (files.size() > MaxRecentFiles)
        files.removeLast();
    m_preferences.setRecentFiles(files);
    refreshRecentFileActions();
    m_currentFile = path;
}

void MainWindow::refreshRecentFileActions()
{
    const QStringList files = m_preferences.recentFiles();
    const int n = qMin(int(MaxRecentFiles), files.size());
    for (int i = 0; i < MaxRecentFiles; ++i) {
        QAction* action = m_recentFileActions.at(i);
        if (i < n) {
            // An ampersand in a file name is shown, not taken for a mnemonic.
            QString name = QFileInfo(files.at(i)).fileName();
            name.replace(QLatin1Char('&'), QLatin1String("&&"));
            action->setText(QStringLiteral("%1: %2").arg(i + 1).arg(name));
            action->setData(files.at(i));
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
    m_ui->menuRecentFiles->setEnabled(n > 0);
    m_ui->actionClearRecentFiles->setEnabled(n > 0);
}

void MainWindow::openRecentFile()
{
    if (auto* action = qobject_cast<QAction*>(sender()))
        openFile(action->data().toString());
}

void MainWindow::clearRecentFiles()
{
    m_preferences.setRecentFiles({});
    refreshRecentFileActions();
}

QString MainWindow::askSavePath()
{
    return QFileDialog::getSaveFileName(this, tr("Save tpl"), QStringLiteral("untitled"),
                                        tr("Template Files (*.s);;All Files (*)"));
}

QString MainWindow::askExportPath()
{
    return QFileDialog::getSaveFileName(this, tr("Export result"), m_exportPath.isEmpty() ? tr("result") : m_exportPath,
                                        tr("Text Files (*.txt);;All Files (*)"));
}

void MainWindow::exportTo(const QString& path)
{
    if (path.isEmpty())
        return;
    if (!m_ui->result->saveToFile(path, this))
        return;
    m_exportPath = path;
    showStatusMessage(tr("Export to %1").arg(path));
}

void MainWindow::on_actionLoadMeta_triggered()
{
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open tpl"), QStringLiteral("tpl"), tr("Template (*.s)"));
    if (!path.isEmpty())
        openFile(path);
}

void MainWindow::on_actionSaveMeta_triggered()
{
    const QString path = m_currentFile.isEmpty() ? askSavePath() : m_currentFile;
    if (!path.isEmpty())
        saveFile(path);
}

void MainWindow::on_actionSaveAs_triggered()
{
    const QString path = askSavePath();
    if (!path.isEmpty())
        saveFile(path);
}

void MainWindow::on_actionExport_triggered()
{
    exportTo(m_exportPath.isEmpty() ? askExportPath() : m_exportPath);
}

void MainWindow::on_actionExportAs_triggered()
{
    exportTo(askExportPath());
}

// ---- runs ----

void MainWindow::on_actionStart_triggered()
{
    if (m_running) {
        m_stopRequested = true;
        return;
    }
    m_running = true;
    m_stopRequested = false;
    m_ui->actionStart->setToolTip(tr("Stop"));
    m_ui->actionStart->setIcon(QIcon(QStringLiteral(":/toolbar/images/stop.png")));
    m_ui->actionReplace->setEnabled(false);
    m_busy->start();

    m_engine.setup(checkedColumns(), m_ui->tpl->text(), m_preferences.eolString());
    // Built straight in the result editor's bytes: no string of the whole result on the way.
    fillResult([this](ByteSink& sink, bool unicode) { m_engine.mergeBytes(sink, unicode, this); });
    m_busy->stop();
    if (m_preferences.miscCopyToClipBoardAfterMerged())
        m_ui->actionCopyToClipboard->trigger();
    reportTruncation(); // after the copy, whose own message would hide it

    m_ui->actionReplace->setEnabled(true);
    m_ui->actionStart->setToolTip(tr("Start merge"));
    m_ui->actionStart->setIcon(QIcon(QStringLiteral(":/toolbar/images/start.png")));
    m_running = false;
}

void MainWindow::on_actionReplace_triggered()
{
    // F6 again during the run stops it, as F5 stops a merge.
    if (m_running) {
        m_stopRequested = true;
        return;
    }
    m_running = true;
    m_stopRequested = false;
    m_busy->start();
    m_ui->actionReplace->setToolTip(tr("Stop"));
    m_ui->actionStart->setEnabled(false);
    m_engine.setup(checkedColumns(), m_ui->tpl->text(), m_preferences.eolString());
    setResultText(m_engine.replaceMatches(this));
    if (m_preferences.miscCopyToClipBoardAfterMerged())
        m_ui->actionCopyToClipboard->trigger();
    reportTruncation();
    const QString tooComplex = m_engine.tooComplexPattern();
    if (!tooComplex.isEmpty())
        showStatusMessage(tr("Pattern too complex: %1. Replace Match ended there; the result holds the "
                             "replacements made before it.")
                              .arg(tooComplex),
                          10000);
    m_ui->actionStart->setEnabled(true);
    m_ui->actionReplace->setToolTip(tr("Replace Match"));
    m_running = false;
    m_busy->stop();
}

void MainWindow::on_actionRepMultiLine_toggled(bool checked)
{
    m_engine.setMultiLine(checked);
    schedulePreview();
}

void MainWindow::on_actionCopyToClipboard_triggered()
{
    Editor* result = m_ui->result;
    result->selectAll();
    result->copy();
    result->setEmptySelection(result->currentPos());
    showStatusMessage(tr("Copy Into Clipboard."));
}

// ---- columns ----

MetaManager* MainWindow::metaManager() const
{
    return m_ui->manager;
}

QList<MergeColumn*> MainWindow::checkedColumns()
{
    m_formattedColumns.clear();
    return readColumns(m_formattedColumns);
}

QList<MergeColumn*> MainWindow::readColumns(std::vector<std::unique_ptr<MergeColumn>>& wrappers) const
{
    return Meta::asRead(m_ui->manager->checkedMetas(), wrappers);
}

void MainWindow::schedulePreview()
{
    if (m_ui->actionShowPreview->isChecked())
        m_previewTimer->start();
}

void MainWindow::updatePreview()
{
    if (!m_ui->actionShowPreview->isChecked())
        return;
    // The preview lets events run once; an update that comes due meanwhile waits for this one.
    if (m_previewBuilding) {
        m_previewTimer->start();
        return;
    }
    const QScopedValueRollback<bool> building(m_previewBuilding, true);
    // Wrappers of its own: a run in progress reads through those of checkedColumns().
    std::vector<std::unique_ptr<MergeColumn>> wrappers;
    const QString text = MergePreview::build(readColumns(wrappers), m_ui->tpl->text(), m_preferences.eolString(),
                                             m_ui->actionRepMultiLine->isChecked());
    if (m_ui->preview->toPlainText() != text)
        m_ui->preview->setPlainText(text);
}

void MainWindow::on_actionShowPreview_toggled(bool checked)
{
    m_preferences.setGuiShowPreview(checked);
    m_ui->preview->setVisible(checked);
    if (checked)
        updatePreview();
    else
        m_ui->preview->clear();
}

void MainWindow::metaChanged()
{
    // Columns come and go; each one's edits reach the preview.
    for (Meta* meta : m_ui->manager->metas()) {
        connect(meta, &Meta::textChangedSignal, this, &MainWindow::schedulePreview, Qt::UniqueConnection);
        connect(meta, &Meta::optionsChangedSignal, this, &MainWindow::schedulePreview, Qt::UniqueConnection);
        connect(meta, &Meta::repTextChangedSignal, this, &MainWindow::schedulePreview, Qt::UniqueConnection);
    }
    schedulePreview();
    const int n = m_ui->manager->count();
    m_ui->actionPopMeta->setEnabled(n > 1);
    m_ui->actionAddMeta->setEnabled(n <= 3);
    if (m_diffDialog)
        m_diffDialog->columnsChanged();
}

void MainWindow::on_actionAddMeta_triggered()
{
    m_ui->manager->insertMeta(QString(), QString(), -1);
    if (m_ui->manager->count() > 1 && !m_ui->actionPopMeta->isEnabled())
        m_ui->actionPopMeta->setEnabled(true);
}

void MainWindow::on_actionPopMeta_triggered()
{
    // The row keeps at least one column, even when the disabled action is triggered from code.
    // A running merge holds guarded references to its columns, so removal is safe at any time.
    if (m_ui->manager->count() > 1)
        m_ui->manager->removeMeta(-1, MetaManager::KeepNumbers);
    if (m_ui->manager->count() < 2)
        m_ui->actionPopMeta->setEnabled(false);
}

void MainWindow::on_actionSelectAllMeta_triggered()
{
    m_ui->manager->selectAll();
}

void MainWindow::on_actionUnSelectAllMeta_triggered()
{
    m_ui->manager->unselectAll();
}

void MainWindow::on_actionClearAllMeta_triggered()
{
    m_ui->manager->clearChecked();
}

// ---- data and tool dialogs, one slot each ----

void MainWindow::generate(FastMetaWnd::Generator generator)
{
    if (Editor* e = focusEditor())
        m_fastMetaWnd->appendToEditor(generator, e);
}

void MainWindow::on_actionGenNumber_triggered()
{
    generate(FastMetaWnd::Number);
}

void MainWindow::on_actionGenAlpha_triggered()
{
    generate(FastMetaWnd::Letter);
}

void MainWindow::on_actionGenDate_triggered()
{
    generate(FastMetaWnd::Date);
}

void MainWindow::on_actionGenTime_triggered()
{
    generate(FastMetaWnd::Time);
}

void MainWindow::on_actionFast_Data_Setting_triggered()
{
    bringUp(m_fastMetaWnd);
}

void MainWindow::on_actionDiff_triggered()
{
    bringUp(m_diffDialog);
}

void MainWindow::on_actionSplit_triggered()
{
    bringUp(m_splitDialog);
}

void MainWindow::on_actionMatch_triggered()
{
    bringUp(m_matchDialog);
}

void MainWindow::on_actionScript_triggered()
{
    bringUp(m_scriptDialog);
}

void MainWindow::on_actionDataGeneral_triggered()
{
    bringUp(m_dataGeneratorDialog);
}

void MainWindow::on_actionResize_triggered()
{
    if (Editor* e = focusEditor()) {
        ResizeDialog dialog(e, this);
        dialog.exec();
    }
}

void MainWindow::on_actionFind_triggered()
{
    bringUp(m_findDialog);
}

// An editor on which no search was started yet takes the find dialog's text and options.
void MainWindow::on_actionFindNext_triggered()
{
    Editor* e = focusEditor();
    if (!e)
        return;
    if (!e->isFinding() && !m_findDialog->findText().isEmpty())
        m_findDialog->startEditorSearch(e);
    e->findNext();
}

void MainWindow::on_actionFindPrevious_triggered()
{
    Editor* e = focusEditor();
    if (!e)
        return;
    if (!e->isFinding() && !m_findDialog->findText().isEmpty())
        m_findDialog->startEditorSearch(e);
    e->findPrevious();
}

void MainWindow::on_actionGoto_triggered()
{
    if (Editor* e = focusEditor()) {
        GotoDialog dialog(e, this);
        dialog.exec();
    }
}

void MainWindow::bringUp(QWidget* dialog)
{
    if (dialog->isMaximized() || dialog->isMinimized()) {
        dialog->showNormal();
        dialog->activateWindow();
    } else {
        dialog->show();
    }
}

void MainWindow::on_actionSetting_triggered()
{
    PreferencesDialog dialog(this);
    dialog.exec();
}

void MainWindow::on_actionAbout_triggered()
{
    m_aboutDialog->show();
}

void MainWindow::on_actionAboutQt_triggered()
{
    QMessageBox::aboutQt(this, tr("About Qt"));
}

void MainWindow::on_actionHelp_triggered()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QStringLiteral("help.chm")));
}

// ---- editing on the focused editor ----

void MainWindow::on_actionUndo_triggered()
{
    if (Editor* e = focusEditor())
        e->undo();
}

void MainWindow::on_actionRedo_triggered()
{
    if (Editor* e = focusEditor())
        e->redo();
}

void MainWindow::on_actionCut_triggered()
{
    if (Editor* e = focusEditor())
        e->cut();
}

void MainWindow::on_actionCopy_triggered()
{
    if (Editor* e = focusEditor())
        e->copy();
}

void MainWindow::on_actionPaste_triggered()
{
    if (Editor* e = focusEditor())
        e->paste();
}

void MainWindow::on_actionDelete_triggered()
{
    if (Editor* e = focusEditor())
        e->removeSelectedText();
}

void MainWindow::on_actionSelectAll_triggered()
{
    if (Editor* e = focusEditor())
        e->selectAll();
}

void MainWindow::formatFocusEditor(EolFormat format)
{
    if (Editor* e = focusEditor()) {
        e->convertEols(format);
        e->setEolFormat(format);
    }
}

void MainWindow::on_actionFormatWindows_triggered()
{
    formatFocusEditor(EolWindows);
}

void MainWindow::on_actionFormatUnix_triggered()
{
    formatFocusEditor(EolUnix);
}

void MainWindow::on_actionFormatMac_triggered()
{
    formatFocusEditor(EolMac);
}

void MainWindow::on_actionZoomIn_triggered()
{
    if (Editor* e = focusEditor())
        e->setZoomFactor(e->zoom() + 1);
}

void MainWindow::on_actionZoomOut_triggered()
{
    if (Editor* e = focusEditor())
        e->setZoomFactor(e->zoom() - 1);
}

void MainWindow::on_actionZoomRestore_triggered()
{
    if (Editor* e = focusEditor())
        e->setZoomFactor(0);
}

void MainWindow::on_menuEdit_aboutToShow()
{
    Editor* e = focusEditor();
    const bool selected = e && e->hasSelectedText();
    m_ui->actionUndo->setEnabled(e && e->canUndo());
    m_ui->actionRedo->setEnabled(e && e->canRedo());
    m_ui->actionCut->setEnabled(selected);
    m_ui->actionCopy->setEnabled(selected);
    m_ui->actionDelete->setEnabled(selected);
    m_ui->actionPaste->setEnabled(e != nullptr);
    m_ui->actionSelectAll->setEnabled(e != nullptr);
    m_ui->menuEolMode->setEnabled(e != nullptr);
}

void MainWindow::on_menuEolMode_aboutToShow()
{
    Editor* e = focusEditor();
    m_ui->actionFormatWindows->setEnabled(e && e->eolFormat() != EolWindows);
    m_ui->actionFormatUnix->setEnabled(e && e->eolFormat() != EolUnix);
    m_ui->actionFormatMac->setEnabled(e && e->eolFormat() != EolMac);
}

// ---- view ----

void MainWindow::on_actionShowSpace_toggled(bool checked)
{
    m_preferences.setGuiShowSpace(checked);
}

void MainWindow::on_actionShowEol_toggled(bool checked)
{
    m_preferences.setGuiShowEol(checked);
}

void MainWindow::on_actionAlwaysOnTop_toggled(bool checked)
{
    setWindowFlag(Qt::WindowStaysOnTopHint, checked);
    m_preferences.setGuiAlwaysOnTop(checked);
    show();
}

void MainWindow::on_actionFullScreen_toggled(bool checked)
{
    if (checked)
        showFullScreen();
    else
        showNormal();
}

void MainWindow::on_actionClose_triggered()
{
    m_ui->manager->clearChecked();
    m_ui->tpl->setWholeTextKeepView(QString());
    m_ui->result->setWholeTextKeepView(QString());
    m_currentFile.clear();
}

void MainWindow::on_actionExit_triggered()
{
    close();
}

void MainWindow::on_actionRestore_triggered()
{
    showNormal();
}

void MainWindow::on_actionMaximize_triggered()
{
    showMaximized();
}

void MainWindow::onHideMenuBarChanged(bool hide)
{
    m_ui->MainMenu->setVisible(!hide);
}

void MainWindow::onHideStatusBarChanged(bool hide)
{
    statusBar()->setVisible(!hide);
}

void MainWindow::onToolbarIconSizeChanged(int size)
{
    for (QToolBar* bar : {m_ui->tbMain, m_ui->tbColumns, m_ui->tbData, m_ui->tbTools, m_ui->tbStart})
        bar->setIconSize(QSize(size, size));
}

void MainWindow::onMenuFocusOut()
{
    if (m_preferences.guiHideMenuBar())
        m_ui->MainMenu->hide();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A popup of the bar's own menus takes the focus only for a while; anything else is leaving.
    if (watched == m_ui->MainMenu && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        onMenuFocusOut();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::keyReleaseEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Alt || event->key() == Qt::Key_F10) && m_ui->MainMenu->isHidden()) {
        m_ui->MainMenu->show();
        m_ui->MainMenu->setFocus(Qt::MenuBarFocusReason);
    }
    QMainWindow::keyReleaseEvent(event);
}

void MainWindow::trayIconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger && !isVisible()) {
        m_trayIcon->hide();
        showMaximized();
        activateWindow();
    }
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_preferences.miscHideAfterMinimized()) {
        hide();
        m_trayIcon->show();
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A run under way ends at its next record or match.
    m_stopRequested = true;
    m_preferences.saveWindowState(saveGeometry(), saveState());
    hide();
    // Saved meanwhile, an open under way would leave half the new state in the old file.
    if (m_opening)
        m_saveWhenOpened = true;
    else
        saveBeforeExit();
    event->accept();
}

// ---- status bar ----

void MainWindow::onFocusEditorChanged(Editor* editor)
{
    if (!editor || editor == m_focusEditor)
        return;
    m_focusEditor = editor;
    connect(editor, &Editor::selectionChanged, this, &MainWindow::onEditorSelectionChanged, Qt::UniqueConnection);
    connect(editor, &Editor::cursorPositionChanged, this, &MainWindow::onEditorCaretChanged, Qt::UniqueConnection);
    connect(editor, &Editor::linesAdded, this, &MainWindow::onEditorLinesChanged, Qt::UniqueConnection);
    connect(editor, &Editor::onCodecChanged, this, &MainWindow::onEditorCodecChanged, Qt::UniqueConnection);
    connect(editor, &Editor::onEolModeChanged, this, &MainWindow::onEditorEolModeChanged, Qt::UniqueConnection);
    connect(editor, &Editor::textChanged, this, &MainWindow::scheduleTextLabels, Qt::UniqueConnection);
    m_labels[NameLabel]->setText(editor->name());
    refreshStatusLabels();
}

void MainWindow::refreshStatusLabels()
{
    refreshTextLabels();
    onEditorEolModeChanged();
    onEditorCodecChanged();
}

void MainWindow::scheduleTextLabels()
{
    m_textLabelsTimer->start();
}

void MainWindow::refreshTextLabels()
{
    Editor* e = focusEditor();
    if (!e)
        return;
    int line = 0;
    int index = 0;
    e->cursorPosition(&line, &index);
    onEditorCaretChanged(line, index);
    onEditorSelectionChanged();
}

void MainWindow::onEditorCodecChanged()
{
    if (Editor* e = focusEditor())
        m_labels[CodecLabel]->setText(e->isUnicode() ? QStringLiteral("utf-8") : QStringLiteral("asc"));
}

void MainWindow::onEditorCaretChanged(int line, int index)
{
    m_labels[CaretLabel]->setText(tr("Caret:%1,%2").arg(line + 1).arg(index));
    onEditorLinesChanged(0);
}

void MainWindow::onEditorSelectionChanged()
{
    Editor* e = focusEditor();
    if (!e)
        return;
    int lineFrom = 0, indexFrom = 0, lineTo = 0, indexTo = 0;
    if (e->getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo) && e->hasSelectedText())
        m_labels[SelectionLabel]->setText(
            tr("Selection:%1,%2").arg(e->selectedText().size()).arg(lineTo - lineFrom + 1));
    else
        m_labels[SelectionLabel]->setText(tr("Selection:%1,%2").arg(0).arg(0));
}

void MainWindow::onEditorLinesChanged(int linesAdded)
{
    Q_UNUSED(linesAdded);
    if (Editor* e = focusEditor())
        m_labels[LengthLabel]->setText(tr("Length:%1 Lines:%2").arg(e->textLength()).arg(e->lineCount()));
}

void MainWindow::onEditorEolModeChanged()
{
    if (Editor* e = focusEditor())
        m_labels[EolLabel]->setText(eolName(e->eolFormat()));
}
