#pragma once
// Moves a block of cells of a table to another place of the same shape, the way a drag in the grid
// does: the block lands on its target and the cells it covers fill the places it left.

#include <QPoint>
#include <QVector>

class CellTable;

class CellBlockMove
{
public:
    // Positions are (column, row). targets[i] is where sources[i] goes; every pair must differ by
    // the same offset, no position may repeat and all must lie inside the table, else nothing
    // happens and false is returned. Overlapping boxes are fine: no cell is lost or doubled.
    static bool apply(CellTable& table, const QVector<QPoint>& sources, const QVector<QPoint>& targets);
};
