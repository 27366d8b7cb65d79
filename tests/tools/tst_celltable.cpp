// The cell table: building it from a text, index wrap, every transformation, selection text,
// constant-column removal and regrouping.

#include "TestSupport.h"
#include "tools/CellTable.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// Rows written as "a|b|c" keep the data tables short.
CellTable tableOf(const QStringList& rows)
{
    CellTable table;
    for (const QString& row : rows) {
        if (!table.appendRow(row.split(QLatin1Char('|'))))
            qFatal("test table rows differ in length");
    }
    return table;
}

QStringList rowsOf(const CellTable& table)
{
    QStringList rows;
    for (const CellTable::Row& row : table.rows())
        rows.append(row.join(QLatin1Char('|')));
    return rows;
}

CellTable randomTable(QRandomGenerator& random)
{
    const int rows = random.bounded(0, 9);
    const int columns = random.bounded(1, 9);
    CellTable table;
    for (int r = 0; r < rows; ++r) {
        CellTable::Row row;
        for (int c = 0; c < columns; ++c)
            row.append(QString::number(random.bounded(0, 5)));
        table.appendRow(row);
    }
    return table;
}

// Mirror along the main diagonal, written independently of the table's own code.
CellTable transposed(const CellTable& table)
{
    CellTable result;
    for (int c = 0; c < table.columnCount(); ++c) {
        CellTable::Row row;
        for (const CellTable::Row& source : table.rows())
            row.append(source.at(c));
        result.appendRow(row);
    }
    return result;
}

QStringList sortedNonEmptyCells(const CellTable& table)
{
    QStringList cells;
    for (const CellTable::Row& row : table.rows()) {
        for (const QString& cell : row) {
            if (!cell.isEmpty())
                cells.append(cell);
        }
    }
    cells.sort();
    return cells;
}

} // namespace

class TestCellTable : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void split_data();
    void split();
    void splitKeepsItsSource();
    void indexWrap();
    void emptyTableDoesNothing();
    void appendRow();
    void editing_data();
    void editing();
    void removeRowsInAnyOrder();
    void rotateExamples_data();
    void rotateExamples();
    void rotationsAndFlipsOnRandomTables();
    void shortRowsLoseNoCell();
    void swapCells_data();
    void swapCells();
    void removeConstantColumns_data();
    void removeConstantColumns();
    void regroup_data();
    void regroup();
    void regroupTwice();
    void selectionText_data();
    void selectionText();
    void longOperationsProcessEventsAndStop();
};

void TestCellTable::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
}

void TestCellTable::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<int>("linesPerRow");
    QTest::addColumn<QStringList>("rows");

    const QString comma = QStringLiteral(",");
    QTest::newRow("short row padded") << "a,b\nc" << comma << false << 1 << QStringList{"a|b", "c|"};
    QTest::newRow("separator run is one") << "a,,b" << comma << false << 1 << QStringList{"a|b"};
    QTest::newRow("whole word keeps empty") << "a,,b" << comma << true << 1 << QStringList{"a||b"};
    QTest::newRow("trailing separator") << "x-y-" << "-" << false << 1 << QStringList{"x|y|"};
    QTest::newRow("leading separators") << ",,a" << comma << false << 1 << QStringList{"a"};
    QTest::newRow("leading whole word") << ",,a" << comma << true << 1 << QStringList{"||a"};
    QTest::newRow("only separators") << ",,," << comma << false << 1 << QStringList{""};
    QTest::newRow("mixed separator set") << "a, b;;c" << ", ;" << false << 1 << QStringList{"a|b|c"};
    QTest::newRow("set of a string") << "a<b>c" << "<>" << false << 1 << QStringList{"a|b|c"};
    QTest::newRow("string not found") << "a<b>c" << "<>" << true << 1 << QStringList{"a<b>c"};
    QTest::newRow("whole word string") << "a<>b<>" << "<>" << true << 1 << QStringList{"a|b|"};
    QTest::newRow("whole word case") << "aXbxc" << "x" << true << 1 << QStringList{"aXb|c"};
    QTest::newRow("padded to widest") << "a,b,c\nd" << comma << false << 1 << QStringList{"a|b|c", "d||"};
    QTest::newRow("every character") << "ab\nabcd" << "" << false << 1 << QStringList{"a|b| | ", "a|b|c|d"};
    QTest::newRow("character width is untrimmed")
        << "  a\nb" << "" << false << 1 << QStringList{" | |a", "b| | "};
    QTest::newRow("surrogate pair is one character")
        << "a\U0001F600\nabc" << "" << false << 1 << QStringList{"a|\U0001F600| ", "a|b|c"};
    QTest::newRow("surrogate pair separator") << "a\U0001F600b" << "\U0001F600" << false << 1
                                              << QStringList{"a|b"};
    QTest::newRow("surrogate pair not cut by its twin")
        << "a\U0001F600b" << "\U0001F601" << false << 1 << QStringList{"a\U0001F600b"};
    QTest::newRow("blank lines dropped") << "a\n\n   \n\t\nb" << comma << false << 1 << QStringList{"a", "b"};
    QTest::newRow("only blank lines") << " \n\t\n" << comma << false << 1 << QStringList{};
    QTest::newRow("empty text") << "" << "" << false << 1 << QStringList{};
    QTest::newRow("all line breaks") << "a\r\nb\rc\n" << comma << false << 1 << QStringList{"a", "b", "c"};
    QTest::newRow("one cell per line") << "one two\n\nthree" << "\r\n" << false << 1
                                       << QStringList{"one two", "three"};
    QTest::newRow("two lines per row") << "a\nb\nc\nd\ne" << " " << false << 2
                                       << QStringList{"a|b", "c|d", "e|"};
    QTest::newRow("group joined by a space") << "a\nb\nc" << "," << false << 2 << QStringList{"a b", "c"};
    QTest::newRow("group with a blank line") << "a\n\nb" << comma << false << 2 << QStringList{"a ", "b"};
    QTest::newRow("blank group dropped") << "a\nb\n\n \nc" << comma << false << 2 << QStringList{"a b", "c"};
    QTest::newRow("no lines per row") << "a\nb" << comma << false << 0 << QStringList{};
}

void TestCellTable::split()
{
    QFETCH(QString, text);
    QFETCH(QString, filter);
    QFETCH(bool, wholeWord);
    QFETCH(int, linesPerRow);
    QFETCH(QStringList, rows);

    const CellTable table(text, filter, wholeWord, linesPerRow);
    QCOMPARE(rowsOf(table), rows);
    QCOMPARE(table.rowCount(), rows.size());
    // Every row built from a text has the same length.
    for (const CellTable::Row& row : table.rows())
        QCOMPARE(row.size(), table.columnCount());
    if (rows.isEmpty())
        QCOMPARE(table.columnCount(), 0);
}

void TestCellTable::splitKeepsItsSource()
{
    CellTable table(QStringLiteral("a,b"), QStringLiteral(","), true, 1);
    QCOMPARE(table.sourceText(), QStringLiteral("a,b"));
    QCOMPARE(table.filter(), QStringLiteral(","));
    QVERIFY(table.matchWholeWord());
    QVERIFY(table.split(QStringLiteral("x y"), QStringLiteral(" "), false, 1));
    QCOMPARE(rowsOf(table), QStringList{"x|y"});
    QCOMPARE(table.sourceText(), QStringLiteral("x y"));
    QCOMPARE(table.filter(), QStringLiteral(" "));
    QVERIFY(!table.matchWholeWord());
}

void TestCellTable::indexWrap()
{
    const CellTable table = tableOf({"a|b|c", "d|e|f"});
    QCOMPARE(table.dimensions(), QSize(3, 2));
    QCOMPARE(table.column(-1), QStringList({"c", "f"}));
    QCOMPARE(table.column(3), QStringList({"a", "d"}));
    QCOMPARE(table.column(-4), QStringList({"c", "f"}));
    QCOMPARE(table.row(table.rowCount()), QStringList({"a", "b", "c"}));
    QCOMPARE(table.row(-1), QStringList({"d", "e", "f"}));
    QCOMPARE(table.cell(-1, -1), QStringLiteral("f"));
    QCOMPARE(table.cell(5, 7), QStringLiteral("e"));
    QCOMPARE(table.rowText(-2, QStringLiteral(", ")), QStringLiteral("a, b, c"));
    QCOMPARE(table.columnText(-2), QStringLiteral("b\ne"));
    QCOMPARE(table.text(QStringLiteral(" ")), QStringLiteral("a b c\nd e f"));

    CellTable edited = table;
    edited.clearCell(-1, -1);
    QCOMPARE(rowsOf(edited), QStringList({"a|b|c", "d|e|"}));
    edited.removeColumn(-1);
    edited.removeRow(-1);
    QCOMPARE(rowsOf(edited), QStringList({"a|b"}));
}

void TestCellTable::emptyTableDoesNothing()
{
    CellTable table;
    QCOMPARE(table.dimensions(), QSize(0, 0));
    QCOMPARE(table.cell(-1, -1), QString());
    QCOMPARE(table.cell(0, 0), QString());
    QVERIFY(table.row(-1).isEmpty());
    QVERIFY(table.column(-1).isEmpty());
    QCOMPARE(table.columnText(0), QString());
    QCOMPARE(table.text(QStringLiteral(" ")), QString());
    QCOMPARE(table.selectionText(-1, -1, 0, 0, CellTable::fullMask(1, 1), false), QString());
    table.clearCell(-1, -1);
    table.removeRow(-1);
    table.removeColumn(0);
    table.removeRows({0, -1});
    table.removeColumns({0});
    QVERIFY(!table.setColumn(0, {}));
    table.reverseRow(-1);
    table.reverseColumn(-1);
    table.flipHorizontally();
    table.flipVertically();
    table.rotate(1);
    QVERIFY(!table.swapCells(0, 0, 0, 0));
    QVERIFY(table.removeConstantColumns());
    QVERIFY(table.regroup(2));
    QVERIFY(table.isEmpty());
    QCOMPARE(table.dimensions(), QSize(0, 0));

    // Rows without cells: nothing to address by column, nothing to turn.
    QVERIFY(table.appendRow({}));
    QVERIFY(table.appendRow({}));
    QCOMPARE(table.dimensions(), QSize(0, 2));
    QVERIFY(table.column(0).isEmpty());
    QCOMPARE(table.cell(1, 0), QString());
    table.rotate(1);
    QCOMPARE(table.dimensions(), QSize(0, 2));
}

void TestCellTable::appendRow()
{
    CellTable table;
    QVERIFY(table.appendRow({"a", "b"}));
    QVERIFY(!table.appendRow({"c"}));
    QVERIFY(!table.appendRow({"c", "d", "e"}));
    QCOMPARE(rowsOf(table), QStringList{"a|b"});
    QVERIFY(table.appendRow({"c", "d"}));
    QCOMPARE(rowsOf(table), QStringList({"a|b", "c|d"}));
    QCOMPARE(table.dimensions(), QSize(2, 2));
}

// Each operation is named by a word and its index; the table starts as 3 x 3.
void TestCellTable::editing_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("clear") << "clear" << 4 << QStringList{"a|b|c", "d||f", "g|h|i"};
    QTest::newRow("remove row") << "removeRow" << 1 << QStringList{"a|b|c", "g|h|i"};
    QTest::newRow("remove column") << "removeColumn" << 0 << QStringList{"b|c", "e|f", "h|i"};
    QTest::newRow("remove last column") << "removeColumn" << -1 << QStringList{"a|b", "d|e", "g|h"};
    QTest::newRow("reverse row") << "reverseRow" << 2 << QStringList{"a|b|c", "d|e|f", "i|h|g"};
    QTest::newRow("reverse column") << "reverseColumn" << 1 << QStringList{"a|h|c", "d|e|f", "g|b|i"};
    QTest::newRow("flip horizontally") << "flipH" << 0 << QStringList{"c|b|a", "f|e|d", "i|h|g"};
    QTest::newRow("flip vertically") << "flipV" << 0 << QStringList{"g|h|i", "d|e|f", "a|b|c"};
    QTest::newRow("set column") << "setColumn" << -1 << QStringList{"a|b|1", "d|e|2", "g|h|3"};
    QTest::newRow("set column, wrong size") << "setShortColumn" << 0 << QStringList{"a|b|c", "d|e|f", "g|h|i"};
}

void TestCellTable::editing()
{
    QFETCH(QString, operation);
    QFETCH(int, index);
    QFETCH(QStringList, rows);

    CellTable table = tableOf({"a|b|c", "d|e|f", "g|h|i"});
    if (operation == QLatin1String("clear"))
        table.clearCell(index / 3, index % 3);
    else if (operation == QLatin1String("removeRow"))
        table.removeRow(index);
    else if (operation == QLatin1String("removeColumn"))
        table.removeColumn(index);
    else if (operation == QLatin1String("reverseRow"))
        table.reverseRow(index);
    else if (operation == QLatin1String("reverseColumn"))
        table.reverseColumn(index);
    else if (operation == QLatin1String("flipH"))
        table.flipHorizontally();
    else if (operation == QLatin1String("flipV"))
        table.flipVertically();
    else if (operation == QLatin1String("setColumn"))
        QVERIFY(table.setColumn(index, {"1", "2", "3"}));
    else if (operation == QLatin1String("setShortColumn"))
        QVERIFY(!table.setColumn(index, {"1", "2"}));
    else
        QFAIL("unknown operation");
    QCOMPARE(rowsOf(table), rows);
    QCOMPARE(table.rowCount(), rows.size());
    QCOMPARE(table.columnCount(), rows.first().count(QLatin1Char('|')) + 1);
}

void TestCellTable::removeRowsInAnyOrder()
{
    QStringList rows;
    for (int i = 0; i < 7; ++i)
        rows.append(QString::number(i));
    CellTable table = tableOf(rows);
    // Rows 5 and 2, picked in that order, and row 5 again through wrap.
    table.removeRows({5, 2, -2});
    QCOMPARE(rowsOf(table), QStringList({"0", "1", "3", "4", "6"}));

    CellTable wide = tableOf({"a|b|c|d", "e|f|g|h"});
    wide.removeColumns({3, 0, -1});
    QCOMPARE(rowsOf(wide), QStringList({"b|c", "f|g"}));
    QCOMPARE(wide.columnCount(), 2);
}

void TestCellTable::rotateExamples_data()
{
    QTest::addColumn<int>("turns");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("none") << 0 << QStringList{"a|b|c", "d|e|f"};
    QTest::newRow("clockwise") << 1 << QStringList{"d|a", "e|b", "f|c"};
    QTest::newRow("half turn") << 2 << QStringList{"f|e|d", "c|b|a"};
    QTest::newRow("counter-clockwise") << 3 << QStringList{"c|f", "b|e", "a|d"};
    QTest::newRow("full turn") << 4 << QStringList{"a|b|c", "d|e|f"};
    QTest::newRow("five quarters") << 5 << QStringList{"d|a", "e|b", "f|c"};
    QTest::newRow("minus one") << -1 << QStringList{"c|f", "b|e", "a|d"};
    QTest::newRow("minus two") << -2 << QStringList{"f|e|d", "c|b|a"};
}

void TestCellTable::rotateExamples()
{
    QFETCH(int, turns);
    QFETCH(QStringList, rows);

    CellTable table = tableOf({"a|b|c", "d|e|f"});
    table.rotate(turns);
    QCOMPARE(rowsOf(table), rows);
    QCOMPARE(table.columnCount(), table.row(0).size());
}

void TestCellTable::rotationsAndFlipsOnRandomTables()
{
    QRandomGenerator random(0x5eed);
    for (int round = 0; round < 300; ++round) {
        const CellTable start = randomTable(random);
        const QStringList expected = rowsOf(start);
        const QByteArray where = "round " + QByteArray::number(round);

        CellTable table = start;
        for (int i = 0; i < 4; ++i)
            table.rotate(1);
        QVERIFY2(rowsOf(table) == expected, where);

        table.rotate(1);
        if (start.rowCount() > 0)
            QVERIFY2(table.dimensions() == start.dimensions().transposed(), where);
        table.rotate(-1);
        QVERIFY2(rowsOf(table) == expected, where);

        table.rotate(3);
        table.rotate(1);
        QVERIFY2(rowsOf(table) == expected, where);

        table.flipHorizontally();
        table.flipHorizontally();
        QVERIFY2(rowsOf(table) == expected, where);
        table.flipVertically();
        table.flipVertically();
        QVERIFY2(rowsOf(table) == expected, where);

        // A clockwise quarter turn is an upside-down flip followed by a transpose.
        CellTable turned = start;
        turned.rotate(1);
        CellTable flipped = start;
        flipped.flipVertically();
        QVERIFY2(rowsOf(turned) == rowsOf(transposed(flipped)), where);

        // Two quarter turns are a half turn; a half turn is both flips.
        turned.rotate(1);
        CellTable half = start;
        half.rotate(2);
        QVERIFY2(rowsOf(turned) == rowsOf(half), where);
        CellTable bothFlips = start;
        bothFlips.flipVertically();
        bothFlips.flipHorizontally();
        QVERIFY2(rowsOf(half) == rowsOf(bothFlips), where);
    }
}

// Regrouping leaves a shorter last row; when it moves to the top the table must still reach
// every cell.
void TestCellTable::shortRowsLoseNoCell()
{
    CellTable table(QStringLiteral("a\nb\nc\nd\ne"), QStringLiteral("\r\n"), false, 1);
    QVERIFY(table.regroup(2));
    QCOMPARE(rowsOf(table), QStringList({"a|b", "c|d", "e"}));
    QCOMPARE(table.columnCount(), 2);
    QCOMPARE(table.cell(2, 1), QString());
    QCOMPARE(table.column(1), QStringList({"b", "d", ""}));

    table.flipVertically();
    QCOMPARE(rowsOf(table), QStringList({"e", "c|d", "a|b"}));
    QCOMPARE(table.columnCount(), 2);
    QCOMPARE(table.cell(-1, -1), QStringLiteral("b"));
    const QStringList cells = sortedNonEmptyCells(table);
    for (int turns : {1, 3, 2}) {
        CellTable turned = table;
        turned.rotate(turns);
        QCOMPARE(sortedNonEmptyCells(turned), cells);
    }
    CellTable turned = table;
    turned.rotate(1);
    QCOMPARE(rowsOf(turned), QStringList({"a|c|e", "b|d|"}));

    // Reversing the column with the gap fills the gap and empties the other end, and back again.
    CellTable reversed = table;
    reversed.reverseColumn(1);
    QCOMPARE(rowsOf(reversed), QStringList({"e|b", "c|d", "a|"}));
    reversed.reverseColumn(1);
    QCOMPARE(rowsOf(reversed), QStringList({"e|", "c|d", "a|b"}));

    // Constant columns look at the missing cell as an empty one.
    CellTable constant = table;
    constant.clearCell(1, 1);
    constant.clearCell(2, 1);
    QVERIFY(constant.removeConstantColumns());
    QCOMPARE(rowsOf(constant), QStringList({"e", "c", "a"}));
}

void TestCellTable::swapCells_data()
{
    QTest::addColumn<QPoint>("first");
    QTest::addColumn<QPoint>("second");
    QTest::addColumn<bool>("swapped");
    QTest::addColumn<QStringList>("rows");

    const QStringList unchanged{"a|b|c", "d|e|f"};
    QTest::newRow("corners") << QPoint(0, 0) << QPoint(2, 1) << true << QStringList{"f|b|c", "d|e|a"};
    QTest::newRow("same row") << QPoint(0, 1) << QPoint(1, 1) << true << QStringList{"a|b|c", "e|d|f"};
    QTest::newRow("itself") << QPoint(1, 0) << QPoint(1, 0) << true << unchanged;
    QTest::newRow("column -1") << QPoint(-1, 0) << QPoint(0, 0) << false << unchanged;
    QTest::newRow("row -1") << QPoint(0, 0) << QPoint(0, -1) << false << unchanged;
    QTest::newRow("column count") << QPoint(3, 0) << QPoint(0, 0) << false << unchanged;
    QTest::newRow("row count") << QPoint(0, 0) << QPoint(0, 2) << false << unchanged;
}

void TestCellTable::swapCells()
{
    QFETCH(QPoint, first);
    QFETCH(QPoint, second);
    QFETCH(bool, swapped);
    QFETCH(QStringList, rows);

    CellTable table = tableOf({"a|b|c", "d|e|f"});
    QCOMPARE(table.swapCells(first.x(), first.y(), second.x(), second.y()), swapped);
    QCOMPARE(rowsOf(table), rows);
}

void TestCellTable::removeConstantColumns_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("result");

    QTest::newRow("one constant column") << QStringList{"a|x|1", "b|x|2"} << QStringList{"a|1", "b|2"};
    QTest::newRow("empty column") << QStringList{"a||1", "b||2"} << QStringList{"a|1", "b|2"};
    QTest::newRow("several") << QStringList{"k|a|k|1|z", "k|b|k|2|z", "k|c|k|3|z"}
                             << QStringList{"a|1", "b|2", "c|3"};
    QTest::newRow("differs in one row only") << QStringList{"x|1", "x|2", "y|2"} << QStringList{"x|1", "x|2", "y|2"};
    QTest::newRow("case matters") << QStringList{"A|1", "a|2"} << QStringList{"A|1", "a|2"};
    QTest::newRow("one row kept") << QStringList{"a|a|a"} << QStringList{"a|a|a"};
    QTest::newRow("every column constant") << QStringList{"a|b", "a|b"} << QStringList{"", ""};
}

void TestCellTable::removeConstantColumns()
{
    QFETCH(QStringList, rows);
    QFETCH(QStringList, result);

    CellTable table = tableOf(rows);
    QVERIFY(table.removeConstantColumns());
    QCOMPARE(rowsOf(table), result);
    QCOMPARE(table.rowCount(), rows.size());
}

void TestCellTable::regroup_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("perRow");
    QTest::addColumn<bool>("done");
    QTest::addColumn<QString>("result");

    QTest::newRow("pairs") << "a\nb\nc\nd\ne" << 2 << true << "a b\nc d\ne";
    QTest::newRow("blank lines go") << "a\n\nb\n  \nc\n" << 2 << true << "a b\nc";
    QTest::newRow("one per row") << "a x\n\nb\nc" << 1 << true << "a x\nb\nc";
    QTest::newRow("more than there are") << "a\nb\nc" << 10 << true << "a b c";
    QTest::newRow("exact fit") << "1\n2\n3\n4\n5\n6" << 3 << true << "1 2 3\n4 5 6";
    QTest::newRow("only blank lines") << "\n \n\t" << 3 << true << "";
    QTest::newRow("zero per row refused") << "a\nb" << 0 << false << "a\nb";
    QTest::newRow("negative refused") << "a\nb" << -2 << false << "a\nb";
}

void TestCellTable::regroup()
{
    QFETCH(QString, text);
    QFETCH(int, perRow);
    QFETCH(bool, done);
    QFETCH(QString, result);

    CellTable table(text, QStringLiteral("\r\n"), false, 1);
    QCOMPARE(table.regroup(perRow), done);
    QCOMPARE(table.text(QStringLiteral(" ")), result);
}

void TestCellTable::regroupTwice()
{
    CellTable table(QStringLiteral("a\nb\nc\nd"), QStringLiteral("\r\n"), false, 1);
    QVERIFY(table.regroup(2));
    QCOMPARE(table.text(QStringLiteral(" ")), QStringLiteral("a b\nc d"));
    QVERIFY(table.regroup(2));
    QCOMPARE(table.text(QStringLiteral(" ")), QStringLiteral("ab cd"));
    QCOMPARE(table.dimensions(), QSize(2, 1));

    // Rows of several cells become one item each.
    CellTable wide = tableOf({"a|b", "c|d", "e|f"});
    QVERIFY(wide.regroup(2));
    QCOMPARE(rowsOf(wide), QStringList({"ab|cd", "ef"}));
}

void TestCellTable::selectionText_data()
{
    QTest::addColumn<QRect>("box"); // left, top, right, bottom as given to the call
    QTest::addColumn<QString>("maskBits"); // one character per box cell, rows split by '/'
    QTest::addColumn<bool>("align");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole table") << QRect(QPoint(0, 0), QPoint(2, 2)) << "111/111/111" << false
                                 << "a bb c\nddd e f\ng h iiii";
    QTest::newRow("corners reversed") << QRect(QPoint(2, 1), QPoint(1, 0)) << "11/11" << false << "bb c\ne f";
    QTest::newRow("wrapped corner") << QRect(QPoint(-1, -1), QPoint(-1, 0)) << "1/1/1" << false << "c\nf\niiii";
    QTest::newRow("masked out") << QRect(QPoint(0, 0), QPoint(1, 1)) << "10/01" << false << "a \n e";
    QTest::newRow("short mask") << QRect(QPoint(0, 0), QPoint(1, 1)) << "1" << false << "a \n ";
    QTest::newRow("aligned") << QRect(QPoint(0, 0), QPoint(2, 1)) << "111/111" << true << "a   bb c   \nddd e  f   ";
    QTest::newRow("aligned, masked") << QRect(QPoint(1, 2), QPoint(2, 2)) << "01" << true << "   iiii";
}

void TestCellTable::selectionText()
{
    QFETCH(QRect, box);
    QFETCH(QString, maskBits);
    QFETCH(bool, align);
    QFETCH(QString, text);

    const CellTable table = tableOf({"a|bb|c", "ddd|e|f", "g|h|iiii"});
    CellTable::Mask mask;
    for (const QString& bits : maskBits.split(QLatin1Char('/'))) {
        QBitArray flags(bits.size());
        for (int i = 0; i < bits.size(); ++i)
            flags.setBit(i, bits.at(i) == QLatin1Char('1'));
        mask.append(flags);
    }
    QCOMPARE(table.selectionText(box.top(), box.left(), box.bottom(), box.right(), mask, align), text);
}

void TestCellTable::longOperationsProcessEventsAndStop()
{
    const QString text = QStringLiteral("a,b\nc,d\ne,f");
    bool delivered = false;
    QMetaObject::invokeMethod(this, [&delivered] { delivered = true; }, Qt::QueuedConnection);
    CellTable table(text, QStringLiteral(","), false, 1);
    QVERIFY(delivered);
    QCOMPARE(table.rowCount(), 3);

    // A stop leaves each operation's table as it was.
    const auto stop = [] { return true; };
    const QStringList before = rowsOf(table);
    QVERIFY(!table.split(QStringLiteral("x"), QString(), false, 1, stop));
    QCOMPARE(rowsOf(table), before);
    QCOMPARE(table.sourceText(), text);
    QVERIFY(!table.regroup(2, stop));
    QCOMPARE(rowsOf(table), before);
    CellTable constant = tableOf({"k|1", "k|2"});
    QVERIFY(!constant.removeConstantColumns(stop));
    QCOMPARE(rowsOf(constant), QStringList({"k|1", "k|2"}));

    // A table changed by an event handler while regrouping is not overwritten.
    QMetaObject::invokeMethod(this, [&table] { table.clearCell(0, 0); }, Qt::QueuedConnection);
    QVERIFY(!table.regroup(2));
    QCOMPARE(rowsOf(table), QStringList({"|b", "c|d", "e|f"}));

    delivered = false;
    QMetaObject::invokeMethod(this, [&delivered] { delivered = true; }, Qt::QueuedConnection);
    QVERIFY(table.regroup(2));
    QVERIFY(delivered);
    QCOMPARE(rowsOf(table), QStringList({"b|cd", "ef"}));
}

QTEST_GUILESS_MAIN(TestCellTable)
#include "tst_celltable.moc"
