// The cell table: splitting gives a rectangular grid, turns and flips undo themselves, a block
// move neither loses nor doubles a cell, and a split of editor bytes and the column bytes agree
// with the split of the text the editor shows and with the column texts encoded.

#include "FuzzSupport.h"
#include "editor/TextBytes.h"
#include "editor/TextUtils.h"
#include "tools/CellBlockMove.h"
#include "tools/CellTable.h"

#include <algorithm>

namespace {

QStringList allCells(const CellTable& table)
{
    QStringList cells;
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int c = 0; c < table.columnCount(); ++c)
            cells.append(table.cell(r, c));
    }
    std::sort(cells.begin(), cells.end());
    return cells;
}

bool sameCells(const CellTable& a, const CellTable& b)
{
    if (a.dimensions() != b.dimensions())
        return false;
    for (int r = 0; r < a.rowCount(); ++r) {
        for (int c = 0; c < a.columnCount(); ++c) {
            if (a.cell(r, c) != b.cell(r, c))
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::ensureApplication();
    FuzzSupport::Input input(data, size);
    const QString filter = input.text(3);
    const bool wholeWord = input.flag();
    const int linesPerRow = input.number(0, 3);
    const int turns = input.number(-5, 5);
    const int moveRows = input.number(1, 3), moveColumns = input.number(1, 3);
    const int fromRow = input.number(0, 7), fromColumn = input.number(0, 7);
    const int toRow = input.number(0, 7), toColumn = input.number(0, 7);
    const QString text = input.text(200);
    const QByteArray editorBytes = input.rest();

    CellTable table;
    FUZZ_CHECK(table.split(text, filter, wholeWord, linesPerRow) == CellTable::SplitResult::Done);
    // Split rows are padded: every row holds the column count.
    for (const CellTable::Row& row : table.rows())
        FUZZ_CHECK(row.size() == table.columnCount());
    const CellTable original = table;
    // Strings may hold lone surrogates; the column bytes are still those of the column texts.
    for (int c = 0; c < table.columnCount(); ++c) {
        for (const bool unicode : {true, false})
            FUZZ_CHECK(table.columnBytes(c, unicode) == encodeEditorText(table.columnText(c), unicode));
    }
    for (const bool unicode : {true, false}) {
        const QString shown = unicode ? decodeUtf8(editorBytes.constData(), editorBytes.size())
                                      : QString::fromLatin1(editorBytes.constData(), editorBytes.size());
        CellTable strings;
        CellTable fromBytes;
        const CellTable::SplitResult result = strings.split(shown, filter, wholeWord, linesPerRow);
        FUZZ_CHECK(fromBytes.splitBytes(editorBytes, unicode, filter, wholeWord, linesPerRow) == result);
        FUZZ_CHECK(sameCells(strings, fromBytes));
        for (int c = 0; c < strings.columnCount(); ++c) {
            for (const bool target : {true, false})
                FUZZ_CHECK(fromBytes.columnBytes(c, target) == encodeEditorText(strings.columnText(c), target));
        }
    }

    table.rotate(turns);
    if (turns % 2 != 0)
        FUZZ_CHECK(table.dimensions() == original.dimensions().transposed());
    FUZZ_CHECK(allCells(table) == allCells(original));
    table.rotate(-turns);
    FUZZ_CHECK(sameCells(table, original));
    table.rotate(4);
    FUZZ_CHECK(sameCells(table, original));

    table.flipHorizontally();
    table.flipHorizontally();
    table.flipVertically();
    table.flipVertically();
    FUZZ_CHECK(sameCells(table, original));
    if (table.rowCount() > 0) {
        table.reverseRow(fromRow);
        table.reverseRow(fromRow);
        table.reverseColumn(fromColumn);
        table.reverseColumn(fromColumn);
        FUZZ_CHECK(sameCells(table, original));
    }

    QVector<QPoint> sources, targets;
    for (int r = 0; r < moveRows; ++r) {
        for (int c = 0; c < moveColumns; ++c) {
            sources.append(QPoint(fromColumn + c, fromRow + r));
            targets.append(QPoint(toColumn + c, toRow + r));
        }
    }
    const bool inside = fromRow + moveRows <= table.rowCount() && toRow + moveRows <= table.rowCount() &&
                        fromColumn + moveColumns <= table.columnCount() &&
                        toColumn + moveColumns <= table.columnCount();
    const bool moved = CellBlockMove::apply(table, sources, targets);
    FUZZ_CHECK(moved == inside);
    FUZZ_CHECK(allCells(table) == allCells(original));
    if (!moved)
        FUZZ_CHECK(sameCells(table, original));
    for (int i = 0; moved && i < sources.size(); ++i)
        FUZZ_CHECK(table.cell(targets.at(i).y(), targets.at(i).x()) ==
                   original.cell(sources.at(i).y(), sources.at(i).x()));

    CellTable regrouped = original;
    const int perRow = input.number(1, 5);
    FUZZ_CHECK(regrouped.regroup(perRow));
    FUZZ_CHECK(regrouped.rowCount() == (original.rowCount() + perRow - 1) / perRow);
    return 0;
}
