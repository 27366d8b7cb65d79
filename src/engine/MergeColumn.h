#pragma once
// What the merge engine needs from a column: its snippet and its lines, read by index or through a
// line cursor. The column widget implements it; the tests use an in-memory column.

#include "editor/TextBytes.h"

#include <QByteArray>
#include <QString>

#include <memory>

class MergeColumn
{
public:
    MergeColumn() : m_life(std::make_shared<char>(0)) {}
    // A copy is another column: it gets a token of its own, so deleting the copy does not look like
    // the original went away (and the other way round).
    MergeColumn(const MergeColumn&) : m_life(std::make_shared<char>(0)) {}
    MergeColumn& operator=(const MergeColumn&) { return *this; }
    virtual ~MergeColumn() = default;

    // The text by which a template names this column.
    virtual QString snippet() const = 0;
    // Line terminators plus one: an empty column has one empty line.
    virtual int lineCount() const = 0;
    // Line i (0-based) without its terminator; empty at or past the line count.
    virtual QString lineText(int i) const = 0;
    // Appends line i to out; a column that can do so without making a string of the line overrides it.
    virtual void appendLineTo(int i, QString& out) const { out += lineText(i); }
    // Appends line i as editor bytes (UTF-8, or Latin-1 when unicode is false).
    virtual void appendLineBytes(int i, QByteArray& out, bool unicode) const
    {
        appendEditorText(lineText(i), unicode, out);
    }
    // A column that holds its text as editor bytes gives the index of its lines here, so that a run
    // copies its values as they stand; null when it has none. Valid until events run or the column
    // changes.
    virtual const LineSpans* lineSpans() { return nullptr; }
    virtual void resetLineCursor() = 0;
    // The line at the cursor; moves the cursor on by one.
    virtual QString nextLine() = 0;

    // Expires when this column is destroyed. A long run keeps it next to the column pointer and looks
    // at it after letting events run, which is where a column can be removed under it.
    std::weak_ptr<const void> lifeToken() const { return m_life; }

private:
    std::shared_ptr<char> m_life;
};

// A column read through another one, which may be removed while a run lets events run: from then
// on it reads as an empty column.
class WrappedColumn : public MergeColumn
{
public:
    explicit WrappedColumn(MergeColumn* column) : m_column(column), m_columnLife(column->lifeToken()) {}

    QString snippet() const override { return alive() ? m_column->snippet() : QString(); }
    int lineCount() const override { return alive() ? m_column->lineCount() : 1; }

protected:
    bool alive() const { return !m_columnLife.expired(); }
    MergeColumn* column() const { return m_column; }

private:
    MergeColumn* m_column;
    std::weak_ptr<const void> m_columnLife;
};
