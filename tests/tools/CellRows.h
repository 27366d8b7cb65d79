#pragma once
// Tables written as rows of "a|b|c", so that a test states a whole table on one line.

#include "tools/CellTable.h"

#include <QStringList>

inline QStringList rowsOf(const CellTable& table)
{
    QStringList rows;
    for (const CellTable::Row& row : table.rows())
        rows.append(row.join(QLatin1Char('|')));
    return rows;
}

inline CellTable tableOf(const QStringList& rows)
{
    CellTable table;
    for (const QString& row : rows)
        table.appendRow(row.split(QLatin1Char('|')));
    return table;
}
