#pragma once
// The row of columns: owns the column widgets in order, numbers them (at most four), answers which
// are ticked, fills them from generators or tables, mirrors scrolling and caret moves between them
// and takes dropped files and dragged columns.

#include "editor/CaretSyncTarget.h"

#include <QFrame>
#include <QList>
#include <QPointer>
#include <QRect>

class CellTable;
class Editor;
class FastMetaWnd;
class Meta;
class Preferences;
class QLineEdit;
class QSplitter;

class MetaManager : public QFrame, public CaretSyncTarget
{
    Q_OBJECT
public:
    static constexpr int MaxColumns = 4;
    // Values for the renumber flag of insertEmptyMeta and removeMeta.
    static constexpr bool Renumber = true;
    static constexpr bool KeepNumbers = false;

    explicit MetaManager(QWidget* parent = nullptr);
    ~MetaManager() override;

    int count() const { return m_metas.size(); }
    Meta* metaAt(int i) const;
    QList<Meta*> metas() const { return m_metas; }
    QList<Meta*> checkedMetas() const;

    void insertMeta(const QString& content, const QString& snippet, int index);
    void insertEmptyMeta(int index, bool renumber);
    void removeMeta(int index, bool renumber);
    void moveMeta(int from, int to);
    void relayout();
    void selectAll();
    void unselectAll();
    void clearChecked();
    void setCurrentMeta(Meta* meta);
    Meta* currentMeta() const { return m_current; }
    void setFastMetaWnd(FastMetaWnd* wnd) { m_fastMetaWnd = wnd; }
    FastMetaWnd* fastMetaWnd() const { return m_fastMetaWnd; }
    void setMeta(int index, const QString& content, const QString& snippet);
    void syncCaret(QWidget* source, int firstVisibleLine, int line, int column) override;
    // False, changing nothing, for a table without columns. Lets events run between the columns:
    // the caller keeps the table unchanged meanwhile.
    bool loadIntoColumns(const CellTable& table);
    QRect dropHighlight() const { return m_highlight; }
    QSplitter* splitter() const { return m_splitter; }

signals:
    void metaChanged();

public slots:
    void metaTextChanged(Meta* meta);
    void onRequestAppendNumber(Meta* meta);
    void onRequestAppendLetter(Meta* meta);
    void onRequestAppendDate(Meta* meta);
    void onRequestAppendTime(Meta* meta);
    void metaRepTextChanged(QLineEdit* repEdit);
    void onEditorScroll(Editor* editor);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Meta* createMeta(int number, const QString& content, const QString& snippet);
    int metaIndexAt(const QPoint& pos) const;
    void setHighlight(const QRect& rect);
    // Remove, Insert and Append of every column as the count allows; needed with or without renumbering.
    void updateButtons();

    QList<Meta*> m_metas;
    Meta* m_current = nullptr;
    QSplitter* m_splitter;
    QRect m_highlight;
    Preferences* m_preferences;
    FastMetaWnd* m_fastMetaWnd = nullptr;
};
