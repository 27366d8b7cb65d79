#pragma once
// A column seen through its escaping and formatting: the engine reads it like any other column and
// gets each value already escaped and padded. Only made for columns whose format is not the
// default, so a default merge reads its columns directly, as it always did.

#include "engine/MergeColumn.h"
#include "engine/ValueFormat.h"

class FormattedColumn : public MergeColumn
{
public:
    FormattedColumn(MergeColumn* column, const ValueFormat& format)
        : m_column(column), m_columnLife(column->lifeToken()), m_format(format)
    {
    }

    QString snippet() const override { return alive() ? m_column->snippet() : QString(); }
    int lineCount() const override { return alive() ? m_column->lineCount() : 1; }
    QString lineText(int i) const override { return m_format.apply(alive() ? m_column->lineText(i) : QString()); }
    void resetLineCursor() override
    {
        if (alive())
            m_column->resetLineCursor();
    }
    QString nextLine() override { return m_format.apply(alive() ? m_column->nextLine() : QString()); }

private:
    // The column may be removed while a run lets events run; from then on it reads as empty.
    bool alive() const { return !m_columnLife.expired(); }

    MergeColumn* m_column;
    std::weak_ptr<const void> m_columnLife;
    ValueFormat m_format;
};
