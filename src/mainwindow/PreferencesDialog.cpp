#include "mainwindow/PreferencesDialog.h"
#include "ui_PreferencesDialog.h"

#include "settings/Preferences.h"

#include <QDialogButtonBox>
#include <QLineEdit>

namespace {

constexpr int SmallIconSize = 16;
constexpr int MediumIconSize = 24;
constexpr int LargeIconSize = 32;

} // namespace

PreferencesDialog::PreferencesDialog(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::PreferencesDialog), m_preferences(*Preferences::instance())
{
    m_ui->setupUi(this);
    setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) | Qt::MSWindowsFixedSizeDialogHint |
                   Qt::WindowCloseButtonHint);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // The form default of the check box is off, and toggling only fires on a change.
    m_ui->btnCurLineBackColor->setVisible(m_ui->ckbHighlightCurLine->isChecked());

    m_ui->tabWidget->setCurrentIndex(0);
    loadPreferences();
}

PreferencesDialog::~PreferencesDialog() = default;

void PreferencesDialog::run(QWidget* parent)
{
    PreferencesDialog dialog(parent);
    dialog.exec();
}

void PreferencesDialog::loadPreferences()
{
    m_ui->ckbSaveFile->setChecked(m_preferences.guiSaveBeforeExit());
    m_ui->ckbOpenLastFiles->setChecked(m_preferences.guiOpenLastFile());
    m_ui->cmbLanguage->setCurrentIndex(m_preferences.guiLanguage());

    switch (m_preferences.guiToolbarIconSize()) {
    case SmallIconSize:
        m_ui->rbSmall->setChecked(true);
        break;
    case MediumIconSize:
        m_ui->rbMedium->setChecked(true);
        break;
    case LargeIconSize:
        m_ui->rbLarge->setChecked(true);
        break;
    default:
        break;
    }

    m_ui->ckbHideMenuBar->setChecked(m_preferences.guiHideMenuBar());
    m_ui->ckbHideStatusBar->setChecked(m_preferences.guiHideStatusBar());

    m_ui->sbStartColumns->setValue(m_preferences.columnsStartColumns());
    // Both read before either is shown: showing the prefix must not disturb the held suffix.
    const QString prefix = m_preferences.columnsPrefix();
    const QString suffix = m_preferences.columnsSuffix();
    m_ui->cmbPrefix->setCurrentText(prefix);
    m_ui->cmbSuffix->setCurrentText(suffix);
    m_ui->ckbSyncScroll->setChecked(m_preferences.columnsSynchronousScroll());
    m_ui->ckbSyncCaret->setChecked(m_preferences.columnsSynchronousCaret());
    m_ui->ckbHideToolBar->setChecked(m_preferences.columnsHideToolBar());
    m_ui->ckbNoDrag->setChecked(m_preferences.columnsNoDrag());

    m_ui->ckbDisplayLineNo->setChecked(m_preferences.editorDisplayLineNumber());
    m_ui->ckbTabReplace->setChecked(m_preferences.editorReplaceTabBySpace());
    m_ui->ckbHighlightCurLine->setChecked(m_preferences.editorHighlightCurrentLine());
    m_ui->ckbUseUnicode->setChecked(m_preferences.editorUnicode());
    m_ui->btnCurLineBackColor->setColor(m_preferences.editorHighlightCurrentLineColor());
    m_ui->btnFontColor->setColor(m_preferences.editorFontColor());
    m_ui->btnBackgroundColor->setColor(m_preferences.editorSelectionBackgroundColor());
    m_ui->sbTabWidth->setValue(m_preferences.editorTabWidth());
    m_ui->btnFontName->setFont(m_preferences.editorFont());

    switch (m_preferences.editorEolFormat()) {
    case EolWindows:
        m_ui->rbFormatWindows->setChecked(true);
        break;
    case EolUnix:
        m_ui->rbFormatUnix->setChecked(true);
        break;
    case EolMac:
        m_ui->rbFormatMac->setChecked(true);
        break;
    }

    m_ui->ckbHideMinimized->setChecked(m_preferences.miscHideAfterMinimized());
    m_ui->ckbCloseDataGen->setChecked(m_preferences.miscCloseAfterDataGenerated());
    m_ui->ckbClearBeforeLoad->setChecked(m_preferences.miscClearColumnsBeforeLoad());
    m_ui->ckbCopyMerged->setChecked(m_preferences.miscCopyToClipBoardAfterMerged());
    m_ui->ckbCopyBatchReplaced->setChecked(m_preferences.miscCopyToClipBoardAfterReplaced());
}

void PreferencesDialog::on_cmbPrefix_currentTextChanged(const QString& text)
{
    m_preferences.setColumnsPrefix(text);
}

void PreferencesDialog::on_cmbSuffix_currentTextChanged(const QString& text)
{
    m_preferences.setColumnsSuffix(text);
}

void PreferencesDialog::on_ckbDisplayLineNo_toggled(bool checked)
{
    m_preferences.setEditorDisplayLineNumber(checked);
}

void PreferencesDialog::on_ckbSaveFile_toggled(bool checked)
{
    m_preferences.setGuiSaveBeforeExit(checked);
}

void PreferencesDialog::on_ckbOpenLastFiles_toggled(bool checked)
{
    m_preferences.setGuiOpenLastFile(checked);
}

void PreferencesDialog::on_cmbLanguage_currentIndexChanged(int index)
{
    // -1 only while the combo box is emptied; there is no language to store then.
    if (index >= 0)
        m_preferences.setGuiLanguage(index);
}

void PreferencesDialog::on_sbStartColumns_valueChanged(int value)
{
    m_preferences.setColumnsStartColumns(value);
}

void PreferencesDialog::on_ckbHideMinimized_toggled(bool checked)
{
    m_preferences.setMiscHideAfterMinimized(checked);
}

void PreferencesDialog::on_ckbCloseDataGen_toggled(bool checked)
{
    m_preferences.setMiscCloseAfterDataGenerated(checked);
}

void PreferencesDialog::on_ckbSyncScroll_toggled(bool checked)
{
    m_preferences.setColumnsSynchronousScroll(checked);
}

void PreferencesDialog::on_ckbSyncCaret_toggled(bool checked)
{
    m_preferences.setColumnsSynchronousCaret(checked);
}

void PreferencesDialog::on_ckbHighlightCurLine_toggled(bool checked)
{
    m_preferences.setEditorHighlightCurrentLine(checked);
    m_ui->btnCurLineBackColor->setVisible(checked);
}

void PreferencesDialog::on_sbTabWidth_valueChanged(int value)
{
    m_preferences.setEditorTabWidth(value);
}

void PreferencesDialog::on_btnCurLineBackColor_colorChanged(const QColor& color)
{
    m_preferences.setEditorHighlightCurrentLineColor(color);
}

void PreferencesDialog::on_ckbCopyMerged_toggled(bool checked)
{
    m_preferences.setMiscCopyToClipBoardAfterMerged(checked);
}

void PreferencesDialog::on_btnFontName_fontChanged(const QFont& font)
{
    m_preferences.setEditorFont(font);
}

void PreferencesDialog::on_ckbTabReplace_toggled(bool checked)
{
    m_preferences.setEditorReplaceTabBySpace(checked);
}

void PreferencesDialog::on_ckbHideMenuBar_toggled(bool checked)
{
    m_preferences.setGuiHideMenuBar(checked);
}

void PreferencesDialog::on_ckbHideStatusBar_toggled(bool checked)
{
    m_preferences.setGuiHideStatusBar(checked);
}

void PreferencesDialog::on_rbFormatUnix_toggled(bool checked)
{
    if (checked)
        m_preferences.setEditorEolFormat(EolUnix);
}

void PreferencesDialog::on_rbFormatWindows_toggled(bool checked)
{
    if (checked)
        m_preferences.setEditorEolFormat(EolWindows);
}

void PreferencesDialog::on_rbFormatMac_toggled(bool checked)
{
    if (checked)
        m_preferences.setEditorEolFormat(EolMac);
}

void PreferencesDialog::on_rbSmall_toggled(bool checked)
{
    if (checked)
        m_preferences.setGuiToolbarIconSize(SmallIconSize);
}

void PreferencesDialog::on_rbMedium_toggled(bool checked)
{
    if (checked)
        m_preferences.setGuiToolbarIconSize(MediumIconSize);
}

void PreferencesDialog::on_rbLarge_toggled(bool checked)
{
    if (checked)
        m_preferences.setGuiToolbarIconSize(LargeIconSize);
}

void PreferencesDialog::on_ckbHideToolBar_toggled(bool checked)
{
    m_preferences.setColumnsHideToolBar(checked);
}

void PreferencesDialog::on_ckbNoDrag_toggled(bool checked)
{
    m_preferences.setColumnsNoDrag(checked);
}

void PreferencesDialog::on_btnFontColor_colorChanged(const QColor& color)
{
    m_preferences.setEditorFontColor(color);
}

void PreferencesDialog::on_btnBackgroundColor_colorChanged(const QColor& color)
{
    m_preferences.setEditorSelectionBackgroundColor(color);
}

void PreferencesDialog::on_ckbUseUnicode_toggled(bool checked)
{
    m_preferences.setEditorUnicode(checked);
}

void PreferencesDialog::on_ckbClearBeforeLoad_toggled(bool checked)
{
    m_preferences.setMiscClearColumnsBeforeLoad(checked);
}

void PreferencesDialog::on_ckbCopyBatchReplaced_toggled(bool checked)
{
    m_preferences.setMiscCopyToClipBoardAfterReplaced(checked);
}

void PreferencesDialog::on_rbEncodeAsc_toggled(bool /*checked*/) {}

void PreferencesDialog::on_rbEncodeUnicode_toggled(bool /*checked*/) {}

void PreferencesDialog::on_rbEncodeOther_toggled(bool checked)
{
    m_ui->cbxEncode->setEnabled(checked);
}
