#include "editor/FindDialog.h"
#include "ui_FindDialog.h"

#include "editor/Editor.h"
#include "settings/Preferences.h"

#include <QApplication>
#include <QSignalBlocker>

FindDialog::FindDialog(Preferences* preferences, EditorProvider focusEditor, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::FindDialog), m_preferences(preferences), m_focusEditor(std::move(focusEditor))
{
    m_ui->setupUi(this);
    setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) | Qt::WindowCloseButtonHint);
    m_ui->lblError->setVisible(false);

    {
        const QSignalBlocker blocker(m_ui->cbbFindText);
        m_ui->cbbFindText->setItems(m_preferences->findFindList(), m_preferences->findFindWhat());
        m_ui->cbbReplace->setItems(m_preferences->findReplaceList(), m_preferences->findReplaceWhat());
    }
    connect(m_ui->cbbFindText, &QComboBoxEx::itemsChanged, m_preferences, &Preferences::setFindFindText);
    connect(m_ui->cbbReplace, &QComboBoxEx::itemsChanged, m_preferences, &Preferences::setFindReplaceText);

    m_ui->ckbMatchCase->setChecked(m_preferences->findMatchCase());
    m_ui->ckbWholeWord->setChecked(m_preferences->findWholeWord());
    m_ui->ckbWrapAround->setChecked(m_preferences->findWrapAround());
    // Direction before the regular expression, whose toggle selects Down: a stored regular
    // expression wins over a stored Up.
    if (m_preferences->findForward())
        m_ui->rbDown->setChecked(true);
    else
        m_ui->rbUp->setChecked(true);
    m_ui->ckbRegex->setChecked(m_preferences->findUseRegex());
    m_optionsChanged = false;
}

FindDialog::~FindDialog()
{
    delete m_ui;
}

QString FindDialog::findText() const
{
    return m_ui->cbbFindText->currentText();
}

QString FindDialog::statusText() const
{
    return m_ui->lblError->text();
}

FindDialog::Options FindDialog::readOptions()
{
    Options options;
    options.wholeWord = m_ui->ckbWholeWord->isChecked();
    options.matchCase = m_ui->ckbMatchCase->isChecked();
    options.wrapAround = m_ui->ckbWrapAround->isChecked();
    options.forward = m_ui->rbDown->isChecked();
    options.regex = m_ui->ckbRegex->isChecked();
    options.mode = m_optionsChanged ? Mode::First : Mode::Next;
    options.findText = m_ui->cbbFindText->currentText();
    options.replaceText = m_ui->cbbReplace->currentText();
    m_optionsChanged = false;
    return options;
}

int FindDialog::searchFlags(const Options& options) const
{
    // POSIX syntax with regular expressions, so that plain parentheses form groups.
    return (options.wholeWord ? Editor::SCFIND_WHOLEWORD : 0) | (options.matchCase ? Editor::SCFIND_MATCHCASE : 0) |
           (options.regex ? Editor::SCFIND_REGEXP | Editor::SCFIND_POSIX : 0);
}

void FindDialog::startEditorSearch(Editor* editor)
{
    if (!editor)
        return;
    const bool regex = m_ui->ckbRegex->isChecked();
    // With the dialog's syntax, so that the window's Find Next reads the pattern as the dialog did.
    editor->startFind(m_ui->cbbFindText->currentText(), regex, m_ui->ckbMatchCase->isChecked(),
                      m_ui->ckbWholeWord->isChecked(), m_ui->ckbWrapAround->isChecked(), m_ui->rbDown->isChecked(),
                      true, regex);
    m_optionsChanged = false;
}

bool FindDialog::searchStep(Editor* editor, const Options& options, Mode mode, bool skipEmptyAtStart, Outcome* outcome)
{
    *outcome = Outcome::Found;
    const QString& text = options.findText;
    if (!editor || text.isEmpty())
        return false;
    editor->callTipCancel();
    const int start = editor->selectionStart();
    const int end = editor->selectionEnd();
    // Backwards from the selection start itself: a match that ends right there is found too.
    const int from = options.forward ? (mode == Mode::First ? start : end) : (mode == Mode::First ? end : start);
    if (!editor->canHold(text)) {
        *outcome = Outcome::NotFound;
        return false;
    }
    const Editor::Match match = editor->searchStep(editor->toEditorBytes(text), searchFlags(options), from,
                                                   options.forward, options.wrapAround, skipEmptyAtStart);
    if (!match.found()) {
        *outcome = Outcome::NotFound;
        return false;
    }
    if (match.wrapped)
        *outcome = options.forward ? Outcome::EndReached : Outcome::TopReached;
    showMessage(QString(), Plain);
    showMatch(editor, match.start, match.end, options.forward);
    return true;
}

void FindDialog::showMatch(Editor* editor, int start, int end, bool forward)
{
    const int caret = forward ? end : start;
    const int anchor = forward ? start : end;
    editor->setSel(anchor, caret);
    const int line = editor->lineFromPosition(caret);
    editor->ensureVisible(line);
    const int first = editor->firstVisibleLine();
    const int lines = editor->linesOnScreen() - 1;
    const int visible = editor->visibleFromDocLine(line);
    if (visible <= first)
        editor->lineScroll(0, visible - first - lines / 2);
    else if (visible >= first + lines)
        editor->lineScroll(0, visible - first - lines + lines / 2);
    // Both ends in turn, so that the view also follows a match wider than the window.
    editor->gotoPos(anchor);
    editor->gotoPos(caret);
    editor->setAnchor(anchor);
}

void FindDialog::addHistories(bool replaceToo)
{
    // An empty text is not worth a line of history.
    if (!m_ui->cbbFindText->currentText().isEmpty())
        m_ui->cbbFindText->addCurrentText();
    if (replaceToo && !m_ui->cbbReplace->currentText().isEmpty())
        m_ui->cbbReplace->addCurrentText();
}

void FindDialog::showMessage(const QString& message, Level level)
{
    QLabel* label = m_ui->lblError;
    if (level != Plain) {
        const QColor colour = level == Error ? QColor(Qt::red) : QColor(Qt::blue);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Active, QPalette::WindowText, colour);
        palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
        palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
        label->setPalette(palette);
    }
    label->setText(message);
    label->setVisible(true);
    if (level == Error)
        QApplication::beep();
}

void FindDialog::on_btnFind_clicked()
{
    Editor* editor = m_focusEditor();
    if (!editor)
        return;
    showMessage(QString(), Plain);
    const Options options = readOptions();
    addHistories(false);
    Outcome outcome = Outcome::Found;
    searchStep(editor, options, options.mode, options.mode == Mode::Next, &outcome);
    if (!options.findText.isEmpty())
        startEditorSearch(editor);
    switch (outcome) {
    case Outcome::EndReached:
        showMessage(tr("Find: The end of the text has been reached."), EndReachedNotice);
        break;
    case Outcome::TopReached:
        showMessage(tr("Find:  The beginning of the text has been reached."), TopReachedNotice);
        break;
    case Outcome::NotFound:
        showMessage(tr("Find: Can't find text \"%1\"").arg(options.findText), Error);
        break;
    case Outcome::Found:
        break;
    }
}

void FindDialog::on_btnReplace_clicked()
{
    Editor* editor = m_focusEditor();
    if (!editor)
        return;
    const Options options = readOptions();
    showMessage(QString(), Plain);
    addHistories(true);
    if (options.findText.isEmpty())
        return;
    const int start = editor->selectionStart();
    const int end = editor->selectionEnd();
    Outcome outcome = Outcome::Found;
    if (!searchStep(editor, options, Mode::First, false, &outcome)) {
        showMessage(tr("Replace: no occurrence was found."), Error);
        return;
    }
    // The first click selects an occurrence, the next one replaces it.
    if (editor->selectionStart() != start || editor->selectionEnd() != end)
        return;
    editor->setTargetRange(start, end);
    const int length = editor->replaceTargetText(options.replaceText, options.regex);
    // Upwards the caret stays before the replacement, which would otherwise be searched again.
    editor->setEmptySelection(options.forward ? start + length : start);
    // An empty match at the caret now is the one just replaced.
    const bool next = searchStep(editor, options, Mode::First, true, &outcome);
    switch (outcome) {
    case Outcome::EndReached:
        showMessage(tr("Replace: Replaced the 1st occurrence from the top. The end of document has been reached."),
                    EndReachedNotice);
        break;
    case Outcome::TopReached:
        showMessage(tr("Replace: Replaced the 1st occurrence from the bottom. The begin of document has been reached."),
                    TopReachedNotice);
        break;
    default:
        showMessage(tr("Replace: 1 occurrence was replaced. ") +
                        (next ? tr("The next occurence found") : tr("The next occurence not found")),
                    Information);
        break;
    }
}

void FindDialog::on_btnReplaceAll_clicked()
{
    if (m_replacingAll) {
        // The button stops the run it started.
        m_stopRequested = true;
        return;
    }
    Editor* editor = m_focusEditor();
    if (!editor)
        return;
    const QPointer<Editor> target(editor);
    const QPointer<FindDialog> alive(this);
    editor->startBusy();
    showMessage(QString(), Plain);
    const Options options = readOptions();
    addHistories(true);

    const int length = editor->textLength();
    int from = 0;
    int to = length;
    if (!options.wrapAround) {
        if (options.forward)
            from = editor->selectionStart();
        else
            to = editor->selectionEnd();
    }
    m_replacingAll = true;
    m_stopRequested = false;
    m_ui->btnFind->setEnabled(false);
    m_ui->btnReplace->setEnabled(false);
    m_ui->btnReplaceAll->setText(tr("Stop"));
    const int count = editor->replaceAll(options.findText, options.replaceText, searchFlags(options), from, to,
                                         [alive] { return !alive || alive->m_stopRequested; });
    if (!alive)
        return;
    m_replacingAll = false;
    m_ui->btnFind->setEnabled(true);
    m_ui->btnReplace->setEnabled(true);
    m_ui->btnReplaceAll->setText(tr("Replace All"));
    showMessage(count > 1 ? tr("Replace All: %1 targets were replaced.").arg(count)
                          : tr("Replace All: %1 target was replaced.").arg(count),
                Information);
    if (target)
        target->stopBusy();
}

void FindDialog::on_btnClose_clicked()
{
    reject();
}

void FindDialog::reject()
{
    m_stopRequested = true;
    addHistories(true);
    QDialog::reject();
}

void FindDialog::on_ckbMatchCase_toggled(bool)
{
    m_optionsChanged = true;
}

void FindDialog::on_ckbWholeWord_toggled(bool)
{
    m_optionsChanged = true;
}

void FindDialog::on_rbUp_toggled(bool)
{
    m_optionsChanged = true;
}

void FindDialog::on_rbDown_toggled(bool)
{
    m_optionsChanged = true;
}

void FindDialog::on_ckbRegex_toggled(bool checked)
{
    // Regular expressions are searched downwards only.
    if (checked)
        m_ui->rbDown->setChecked(true);
    m_ui->rbUp->setEnabled(!checked);
    m_optionsChanged = true;
}

void FindDialog::on_ckbWrapAround_toggled(bool)
{
    m_optionsChanged = true;
}

void FindDialog::on_cbbFindText_currentTextChanged(const QString&)
{
    m_optionsChanged = true;
}
