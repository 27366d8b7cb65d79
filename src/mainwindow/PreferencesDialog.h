#pragma once
// The preferences window: every user-facing preference on four tabs, each control writing its key to
// the settings store the moment it changes, so the window follows while the dialog is still open.

#include <QDialog>
#include <QScopedPointer>

class Preferences;
class QColor;
class QFont;

namespace Ui {
class PreferencesDialog;
}

class PreferencesDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PreferencesDialog(QWidget* parent = nullptr);
    ~PreferencesDialog() override;

    // Runs a fresh dialog modally over parent; there is nothing to hand back, every change is stored.
    static void run(QWidget* parent);

private slots:
    void on_cmbPrefix_currentTextChanged(const QString& text);
    void on_cmbSuffix_currentTextChanged(const QString& text);
    void on_ckbDisplayLineNo_toggled(bool checked);
    void on_ckbSaveFile_toggled(bool checked);
    void on_ckbOpenLastFiles_toggled(bool checked);
    void on_cmbLanguage_currentIndexChanged(int index);
    void on_sbStartColumns_valueChanged(int value);
    void on_ckbHideMinimized_toggled(bool checked);
    void on_ckbCloseDataGen_toggled(bool checked);
    void on_ckbSyncScroll_toggled(bool checked);
    void on_ckbSyncCaret_toggled(bool checked);
    void on_ckbHighlightCurLine_toggled(bool checked);
    void on_sbTabWidth_valueChanged(int value);
    void on_btnCurLineBackColor_colorChanged(const QColor& color);
    void on_ckbCopyMerged_toggled(bool checked);
    void on_btnFontName_fontChanged(const QFont& font);
    void on_ckbTabReplace_toggled(bool checked);
    void on_ckbHideMenuBar_toggled(bool checked);
    void on_ckbHideStatusBar_toggled(bool checked);
    void on_rbFormatUnix_toggled(bool checked);
    void on_rbFormatWindows_toggled(bool checked);
    void on_rbFormatMac_toggled(bool checked);
    void on_rbSmall_toggled(bool checked);
    void on_rbMedium_toggled(bool checked);
    void on_rbLarge_toggled(bool checked);
    void on_ckbHideToolBar_toggled(bool checked);
    void on_ckbNoDrag_toggled(bool checked);
    void on_btnFontColor_colorChanged(const QColor& color);
    void on_btnBackgroundColor_colorChanged(const QColor& color);
    void on_ckbUseUnicode_toggled(bool checked);
    void on_ckbClearBeforeLoad_toggled(bool checked);
    void on_ckbCopyBatchReplaced_toggled(bool checked);
    // The encoding group stores nothing: the editors' encoding follows "Enable Utf-8 encoding" alone.
    void on_rbEncodeAsc_toggled(bool checked);
    void on_rbEncodeUnicode_toggled(bool checked);
    void on_rbEncodeOther_toggled(bool checked);

private:
    // Shows the held preferences. The slots are live by then, but each hands the store the value it
    // already holds, which the store ignores, so loading writes nothing.
    void loadPreferences();

    QScopedPointer<Ui::PreferencesDialog> m_ui;
    Preferences& m_preferences;
};
