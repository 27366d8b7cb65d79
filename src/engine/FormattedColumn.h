#pragma once
// A column seen through its escaping and formatting: the engine reads it like any other column and
// gets each value already escaped and padded. Only made for columns whose format is not the
// default, so a default merge reads its columns directly, as it always did.

#include "engine/MergeColumn.h"
#include "engine/ValueFormat.h"

class FormattedColumn : public WrappedColumn
{
public:
    FormattedColumn(MergeColumn* column, const ValueFormat& format) : WrappedColumn(column), m_format(format) {}

    QString lineText(int i) const override { return m_format.apply(alive() ? column()->lineText(i) : QString()); }
    void resetLineCursor() override
    {
        if (alive())
            column()->resetLineCursor();
    }
    QString nextLine() override { return m_format.apply(alive() ? column()->nextLine() : QString()); }

private:
    ValueFormat m_format;
};
