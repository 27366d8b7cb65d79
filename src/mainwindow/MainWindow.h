#pragma once
// The program's window: the row of columns above the template and result editors, the menus, tool
// bars, status bar and tray icon, the merge and Replace Match runs and the file commands.

#include "editor/TextUtils.h"
#include "engine/Callback.h"
#include "engine/FastMetaWnd.h"
#include "engine/MergeEngine.h"

#include <QList>
#include <QMainWindow>

#include <QMap>
#include <QPointer>
#include <QScopedPointer>
#include <QSystemTrayIcon>
#include <functional>

#include <memory>
#include <vector>

class AboutDialog;
class FindDialog;
class SplitDialog;
class DataGeneratorDialog;
class ScriptDialog;
class DiffDialog;
class MatchDialog;
class QTemplate;
class Editor;
class MergeColumn;
class MetaManager;
class Preferences;
class QAction;
class QLabel;
class QMenu;
class QProgressIndicator;
class QTimer;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow, public Callback
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The editor with keyboard focus, else the one that last announced itself; may be null.
    Editor* focusEditor() const;
    void setResultText(const QString& text);
    // Makes the text that fill writes into the sink, in the result editor's bytes, the result: a result
    // the user has not edited is replaced by a new document filled as the pieces come, one with an
    // undo history in one undo step. False (the result kept) when the text did not fit into memory.
    bool fillResult(const std::function<void(ByteSink& sink, bool unicode)>& fill);
    void showStatusMessage(const QString& message, int milliseconds = 3000);
    // The template editor's whole text.
    QString templateText() const;
    // Says so in the status bar when the engine's last run stopped at its size limit.
    void reportTruncation();

    // Opens a template file; a path that does not exist is ignored.
    void openFile(const QString& fileName);
    // Reopens the most recent template file when the preferences ask for it.
    void openLastFile();
    // Saves the working state to path, or to the current file when path is empty; returns success.
    bool saveFile(const QString& path);
    QString currentFile() const { return m_currentFile; }
    MetaManager* metaManager() const;
    QString exportPath() const { return m_exportPath; }
    MergeEngine& mergeEngine() { return m_engine; }
    // Builds the preview of the first records now, when it is shown.
    void updatePreview();

    bool isStopRequested() override { return m_stopRequested; }
    bool setProgress(int records) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

public slots:
    void openRecentFile();
    void clearRecentFiles();
    void trayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void metaChanged();
    void onHideMenuBarChanged(bool hide);
    void onHideStatusBarChanged(bool hide);
    void onToolbarIconSizeChanged(int size);
    void onMenuFocusOut();
    void onFocusEditorChanged(Editor* editor);
    void onEditorCodecChanged();
    void onEditorCaretChanged(int line, int index);
    void onEditorSelectionChanged();
    void onEditorLinesChanged(int linesAdded);
    void onEditorEolModeChanged();

    void on_actionAddMeta_triggered();
    void on_actionPopMeta_triggered();
    void on_actionSelectAllMeta_triggered();
    void on_actionUnSelectAllMeta_triggered();
    void on_actionClearAllMeta_triggered();
    void on_actionGenNumber_triggered();
    void on_actionGenAlpha_triggered();
    void on_actionGenDate_triggered();
    void on_actionGenTime_triggered();
    void on_actionFast_Data_Setting_triggered();
    void on_actionStart_triggered();
    void on_actionReplace_triggered();
    void on_actionRepMultiLine_toggled(bool checked);
    void on_actionCopyToClipboard_triggered();
    void on_actionDiff_triggered();
    void on_actionSplit_triggered();
    void on_actionMatch_triggered();
    void on_actionScript_triggered();
    void on_actionDataGeneral_triggered();
    void on_actionResize_triggered();
    void on_actionSetting_triggered();
    void on_actionFind_triggered();
    void on_actionFindNext_triggered();
    void on_actionFindPrevious_triggered();
    void on_actionGoto_triggered();
    void on_actionUndo_triggered();
    void on_actionRedo_triggered();
    void on_actionCut_triggered();
    void on_actionCopy_triggered();
    void on_actionPaste_triggered();
    void on_actionDelete_triggered();
    void on_actionSelectAll_triggered();
    void on_actionFormatWindows_triggered();
    void on_actionFormatUnix_triggered();
    void on_actionFormatMac_triggered();
    void on_actionZoomIn_triggered();
    void on_actionZoomOut_triggered();
    void on_actionZoomRestore_triggered();
    void on_actionShowSpace_toggled(bool checked);
    void on_actionShowEol_toggled(bool checked);
    void on_actionShowPreview_toggled(bool checked);
    void on_actionAlwaysOnTop_toggled(bool checked);
    void on_actionFullScreen_toggled(bool checked);
    void on_actionLoadMeta_triggered();
    void on_actionSaveMeta_triggered();
    void on_actionSaveAs_triggered();
    void on_actionExport_triggered();
    void on_actionExportAs_triggered();
    void on_actionClose_triggered();
    void on_actionExit_triggered();
    void on_actionRestore_triggered();
    void on_actionMaximize_triggered();
    void on_actionHelp_triggered();
    void on_actionAbout_triggered();
    void on_actionAboutQt_triggered();
    void on_menuEdit_aboutToShow();
    void on_menuEolMode_aboutToShow();

private:
    static constexpr int MaxRecentFiles = 10;
    // The permanent labels of the status bar, left to right.
    enum StatusLabel { NameLabel, LengthLabel, CaretLabel, SelectionLabel, EolLabel, CodecLabel, StatusLabelCount };

    // The ticked columns in row order, as the engine reads them; valid until the next call.
    QList<MergeColumn*> checkedColumns();
    // The ticked columns, those with a format through wrappers added to wrappers.
    QList<MergeColumn*> readColumns(std::vector<std::unique_ptr<MergeColumn>>& wrappers) const;
    void schedulePreview();
    // The file read (paced, and stopped by a stop request) and then put into the editors.
    void readTemplateFile(const QString& fileName);
    // Saves to the current file when the preferences ask for it on exit.
    void saveBeforeExit();
    void addRecentFile(const QString& path);
    void refreshRecentFileActions();
    void exportTo(const QString& path);
    void generate(FastMetaWnd::Generator generator);
    QString askExportPath();
    QString askSavePath();
    void formatFocusEditor(EolFormat format);
    void refreshStatusLabels();
    // Length, caret and selection of the focused editor, once the current text change is done.
    void scheduleTextLabels();
    void refreshTextLabels();
    static void bringUp(QWidget* dialog);

    QScopedPointer<Ui::MainWindow> m_ui;
    Preferences& m_preferences;
    QLabel* m_labels[StatusLabelCount] = {};
    QTimer* m_textLabelsTimer = nullptr;
    // Debounces the preview: typing restarts it, so the preview is built once typing pauses.
    static constexpr int PreviewDelayMs = 50;
    QTimer* m_previewTimer = nullptr;
    bool m_previewBuilding = false;
    MergeEngine m_engine;
    std::vector<std::unique_ptr<MergeColumn>> m_formattedColumns;
    AboutDialog* m_aboutDialog = nullptr;
    FastMetaWnd* m_fastMetaWnd = nullptr;
    FindDialog* m_findDialog = nullptr;
    SplitDialog* m_splitDialog = nullptr;
    ScriptDialog* m_scriptDialog = nullptr;
    DataGeneratorDialog* m_dataGeneratorDialog = nullptr;
    DiffDialog* m_diffDialog = nullptr;
    MatchDialog* m_matchDialog = nullptr;
    QMap<QString, QTemplate*> m_templates;
    QProgressIndicator* m_busy = nullptr;
    QMenu* m_trayMenu = nullptr;
    QSystemTrayIcon* m_trayIcon = nullptr;
    QList<QAction*> m_recentFileActions;
    QString m_currentFile;
    QString m_exportPath;
    QPointer<Editor> m_focusEditor;
    bool m_running = false;
    bool m_stopRequested = true;
    bool m_opening = false;
    bool m_saveWhenOpened = false;
};
