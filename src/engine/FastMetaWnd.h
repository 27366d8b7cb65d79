#pragma once
// The Data Setting dialog: ranges and formats of the four value generators (numbers, letters, dates,
// times), a cached text per generator, and the appending of a sequence to an editor or a column.

#include <QDialog>
#include <QString>

#include <functional>

class Editor;
class Meta;
class MetaManager;
class Preferences;
class QDate;
class QProgressIndicator;
class QTime;

namespace Ui {
class FastDataDialog;
}

class FastMetaWnd : public QDialog
{
    Q_OBJECT
public:
    enum Generator { Number, Letter, Date, Time };
    Q_ENUM(Generator)
    static constexpr int GeneratorCount = 4;

    // Gives the editor the dialog's own General buttons write into; it may return null.
    using EditorProvider = std::function<Editor*()>;

    // The store is the one whose Data Setting keys the dialog shows and writes.
    FastMetaWnd(Preferences* preferences, MetaManager* manager, EditorProvider currentEditor,
                QWidget* parent = nullptr);
    ~FastMetaWnd() override;

    // The whole sequence of a generator as one text, values joined by the preferred line break.
    // Empty when it could not be built (see sequenceText).
    QString numberText();
    QString letterText();
    QString dateText();
    QString timeText();

    // Rebuilds only when a control of the generator changed; otherwise hands
    // back the cached text. False, with *text untouched, while another sequence is being built, when
    // the run was stopped, or when the sequence cannot be built (the user is told why).
    bool sequenceText(Generator generator, QString* text, const std::function<bool()>& stopRequested = {});

    // Appends at the end of editor, starting a new line unless the editor is empty or already ends
    // with a line break; one undo step, with the editor's busy indicator. False when nothing was added.
    bool appendToEditor(Generator generator, Editor* editor);
    // Appends at the end of a column, on a new line when the column is not empty, with the column
    // editor's busy indicator. A column removed meanwhile stops the run.
    bool appendToColumn(Generator generator, Meta* meta);

    bool isGenerating() const { return m_generating; }
    // Whether the next request for this generator builds its text anew.
    bool needsRebuild(Generator generator) const { return m_cache[generator].rebuild; }
    MetaManager* metaManager() const { return m_manager; }
    QProgressIndicator* busyIndicator() const { return m_busy; }
    void setEditorProvider(EditorProvider currentEditor) { m_currentEditor = std::move(currentEditor); }

public slots:
    // Ends the sequence being built, if any; nothing is appended.
    void requestStop();

    void on_sbNumberFrom_valueChanged(int value);
    void on_sbNumberTo_valueChanged(int value);
    void on_sbNumberBase_valueChanged(int base);
    void on_ckbNumberUpper_toggled(bool checked);
    void on_dtDateFrom_dateChanged(const QDate& date);
    void on_dtDateTo_dateChanged(const QDate& date);
    void on_cbxDateFormat_currentTextChanged(const QString& format);
    void on_sbLetterFrom_valueChanged(int value);
    void on_sbLetterTo_valueChanged(int value);
    void on_ckbLetterUpper_toggled(bool checked);
    void on_tmTimeFrom_timeChanged(const QTime& time);
    void on_tmTimeTo_timeChanged(const QTime& time);
    void on_cbxTimeFormat_currentTextChanged(const QString& format);
    void on_btnGenNumber_clicked();
    void on_btnGenLetter_clicked();
    void on_btnGenDate_clicked();
    void on_btnGenTime_clicked();

private:
    struct Cache
    {
        QString text;
        bool rebuild = true;
    };

    void loadPreferences();
    void applyNumberBase(int base);
    void generateIntoCurrentEditor(Generator generator);
    // Appends text at the end of editor as one undo step, after a line break when needed.
    void appendAtEnd(Editor* editor, const QString& text) const;
    void reportFailure(const QString& message);

    Ui::FastDataDialog* m_ui;
    MetaManager* m_manager;
    EditorProvider m_currentEditor;
    Preferences* m_preferences;
    QProgressIndicator* m_busy;
    Cache m_cache[GeneratorCount];
    bool m_generating = false;
    bool m_stopRequested = false;
};
