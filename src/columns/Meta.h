#pragma once
// One column of values: a small tool bar, an editor holding one value per line and the snippet by
// which a template names the column. The merge engine reads its lines straight from the editor.

#include "engine/MergeColumn.h"
#include "engine/ValueFormat.h"

#include <QWidget>

#include <memory>
#include <vector>

class Editor;
class MetaManager;
class Preferences;
class QLineEdit;

namespace Ui {
class MetaForm;
}

class Meta : public QWidget, public MergeColumn
{
    Q_OBJECT
public:
    Meta(MetaManager* manager, int number, const QString& content, const QString& snippet, QWidget* parent = nullptr);
    ~Meta() override;

    void setIndex(int index);
    int index() const { return m_index; }
    bool isChecked() const;
    void setChecked(bool checked);
    void setRemoveDisabled(bool disabled);
    void setInsertEnabled(bool enabled);
    QString text() const;
    void setText(const QString& text);
    // The whole text as the editor's bytes (see Editor::isUnicode): setBytes as one undo step,
    // loadBytes as a fresh text with an empty undo history.
    void setBytes(const QByteArray& bytes);
    void loadBytes(const QByteArray& bytes);
    bool isEmpty() const;
    void clear();
    QString snippet() const override;
    void setSnippet(const QString& snippet);
    QLineEdit* snippetEdit() const;
    // How the column's values are escaped and padded before they go into a record.
    ValueFormat valueFormat() const;
    void setValueFormat(const ValueFormat& format);
    // The columns as a run reads them: one with an escape or a width through a formatting wrapper,
    // kept in wrappers for as long as the run; the others directly, as they always were.
    static QList<MergeColumn*> asRead(const QList<Meta*>& metas, std::vector<std::unique_ptr<MergeColumn>>& wrappers);
    void appendText(const QString& text, bool showBusy);
    // Values for the showBusy flag of appendText.
    static constexpr bool ShowBusy = true;
    static constexpr bool NoBusy = false;
    Editor* editor() const;
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }

    int lineCount() const override;
    QString lineText(int i) const override;
    void resetLineCursor() override { m_lineCursor = 0; }
    QString nextLine() override { return lineText(m_lineCursor++); }
    // Indexed from the editor's bytes on first use after a change.
    const LineSpans* lineSpans() override;

    int firstVisibleLine() const;
    void showPosition(int firstVisibleLine, int line, int column);

signals:
    void textChangedSignal(Meta* widget);
    void repTextChangedSignal(QLineEdit* edit);
    // The tick, the escape or the format changed.
    void optionsChangedSignal(Meta* widget);

public slots:
    void on_btnUndo_clicked();
    void on_btnRedo_clicked();
    void on_btnClear_clicked();
    void on_textEdit_savePointChanged();
    void on_btnInsert_clicked();
    void on_btnAppend_clicked();
    void on_btnRemove_clicked();
    void on_btnGenNumber_clicked();
    void on_btnGenLetter_clicked();
    void on_btnGenDate_clicked();
    void on_btnGenTime_clicked();
    void on_btnLoad_clicked();
    void on_btnSave_clicked();
    void on_textEdit_textChanged();
    void on_edtRep_textEdited();
    void on_chkEnable_toggled(bool checked);
    void onPrefixSuffixChanged(const QString& prefix, const QString& suffix);
    void onHideToolbarChanged(bool bHide);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void onFormatControlsChanged();
    QString defaultSnippet(const QString& prefix, const QString& suffix) const;
    void updateUndoRedo();

    Ui::MetaForm* m_ui;
    MetaManager* m_manager;
    Preferences* m_preferences;
    int m_index;
    int m_lineCursor = 0;
    LineSpans m_spans;
    int m_spansLength = -1;
    bool m_selected = false;
};
