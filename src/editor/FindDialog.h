#pragma once
// The Find window: find and replace boxes with their histories, the search options and the Find
// Next, Replace and Replace All steps on the focused editor, reported in a coloured status line.

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>

class Editor;
class Preferences;

namespace Ui {
class FindDialog;
}

class FindDialog : public QDialog
{
    Q_OBJECT
public:
    // Gives the editor the actions work on; it may return null.
    using EditorProvider = std::function<Editor*()>;
    // Levels of the status line: an error (red, with a beep), the two wrap notices and information
    // (blue), and Plain, which keeps the colour and is used to clear the line.
    enum Level { Error = 1, TopReachedNotice = 2, EndReachedNotice = 3, Information = 4, Plain = 5 };

    FindDialog(Preferences* preferences, EditorProvider focusEditor, QWidget* parent = nullptr);
    ~FindDialog() override;

    // Starts the editor's repeatable search with the dialog's text and options, going on from the
    // editor's selection, so that Find Next and Find Previous of the window continue from there.
    void startEditorSearch(Editor* editor);
    QString findText() const;
    QString statusText() const;
    bool isReplacingAll() const { return m_replacingAll; }

public slots:
    void on_btnFind_clicked();
    void on_btnReplace_clicked();
    void on_btnReplaceAll_clicked();
    void on_btnClose_clicked();
    void on_ckbMatchCase_toggled(bool checked);
    void on_ckbWholeWord_toggled(bool checked);
    void on_rbUp_toggled(bool checked);
    void on_rbDown_toggled(bool checked);
    void on_ckbRegex_toggled(bool checked);
    void on_ckbWrapAround_toggled(bool checked);
    void on_cbbFindText_currentTextChanged(const QString& arg1);
    // Escape and the title bar's close button come here too: both close as "Close" does.
    void reject() override;

private:
    enum class Mode { First, Next };
    enum class Outcome { Found, NotFound, TopReached, EndReached };
    struct Options
    {
        bool wholeWord = false;
        bool matchCase = false;
        bool wrapAround = false;
        bool forward = true;
        bool regex = false;
        Mode mode = Mode::First;
        QString findText;
        QString replaceText;
    };

    Options readOptions();
    int searchFlags(const Options& options) const;
    // One search of the options' find text on the editor; false when nothing was found.
    bool searchStep(Editor* editor, const Options& options, Mode mode, bool skipEmptyAtStart, Outcome* outcome);
    // Selects start..end with the caret at the end in the search direction, scrolling the
    // caret's line towards the middle when it is outside the view.
    static void showMatch(Editor* editor, int start, int end, bool forward);
    void addHistories(bool replaceToo);
    void showMessage(const QString& message, Level level);

    Ui::FindDialog* m_ui;
    Preferences* m_preferences;
    EditorProvider m_focusEditor;
    bool m_optionsChanged = false;
    bool m_replacingAll = false;
    bool m_stopRequested = false;
};
