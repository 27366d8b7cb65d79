#include "tools/CellBlockMove.h"

#include "tools/CellTable.h"

#include <QHash>
#include <QSet>

bool CellBlockMove::apply(CellTable& table, const QVector<QPoint>& sources, const QVector<QPoint>& targets)
{
    if (sources.isEmpty() || sources.size() != targets.size())
        return false;
    const int rows = table.rowCount();
    const int columns = table.columnCount();
    const auto inside = [rows, columns](const QPoint& p) {
        return p.x() >= 0 && p.x() < columns && p.y() >= 0 && p.y() < rows;
    };
    const auto keyOf = [columns](const QPoint& p) { return p.y() * columns + p.x(); };
    const auto pointOf = [columns](int key) { return QPoint(key % columns, key / columns); };

    const QPoint offset = targets.first() - sources.first();
    QSet<int> sourceKeys;
    QSet<int> targetKeys;
    sourceKeys.reserve(sources.size());
    targetKeys.reserve(targets.size());
    for (int i = 0; i < sources.size(); ++i) {
        const QPoint& source = sources.at(i);
        const QPoint& target = targets.at(i);
        if (!inside(source) || !inside(target) || target - source != offset)
            return false;
        const int key = keyOf(source);
        if (sourceKeys.contains(key))
            return false;
        sourceKeys.insert(key);
        targetKeys.insert(keyOf(target));
    }
    if (offset.isNull())
        return true;

    // Where the text now at each position has to go. A covered cell that is not part of the block
    // goes back against the move until it reaches a place the block left, which keeps the
    // mapping one-to-one even when the two boxes overlap.
    QHash<int, int> destination;
    destination.reserve(sources.size() * 2);
    for (int i = 0; i < sources.size(); ++i)
        destination.insert(keyOf(sources.at(i)), keyOf(targets.at(i)));
    for (const QPoint& target : targets) {
        if (sourceKeys.contains(keyOf(target)))
            continue;
        QPoint place = target - offset;
        while (targetKeys.contains(keyOf(place)))
            place -= offset;
        destination.insert(keyOf(target), keyOf(place));
    }

    // Apply the permutation cycle by cycle with swaps.
    QSet<int> done;
    done.reserve(destination.size());
    for (auto it = destination.cbegin(); it != destination.cend(); ++it) {
        const int start = it.key();
        if (done.contains(start))
            continue;
        done.insert(start);
        const QPoint startPoint = pointOf(start);
        for (int next = it.value(); next != start; next = destination.value(next)) {
            const QPoint nextPoint = pointOf(next);
            table.swapCells(startPoint.x(), startPoint.y(), nextPoint.x(), nextPoint.y());
            done.insert(next);
        }
    }
    return true;
}
