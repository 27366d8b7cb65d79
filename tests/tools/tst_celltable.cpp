// The cell table: splitting a text, index wrap, transformations, selection text, stopping.

#include "CellRows.h"
#include "TestSupport.h"
#include "editor/TextBytes.h"
#include "editor/TextUtils.h"
#include "tools/CellTable.h"

#include <QtTest>

class TestCellTable : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void split_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<int>("linesPerRow");
        QTest::addColumn<QStringList>("rows");
        const auto row = [](const char* name, const QString& text, const QString& filter, bool wholeWord,
                            int linesPerRow, const QStringList& rows) {
            QTest::addRow("%s", name) << text << filter << wholeWord << linesPerRow << rows;
        };
        row("short row padded", "a,b\nc", ",", false, 1, {"a|b", "c|"});
        row("a run cuts once, none leading, one empty trailing", ",,a,,b,", ",", false, 1, {"a|b|"});
        row("runs of any filter character", "a, b;;c", ", ;", false, 1, {"a|b|c"});
        row("whole word: empty parts kept, case matters", "aXbxxc", "x", true, 1, {"aXb||c"});
        row("whole word: the string, not its characters", "a<>b<", "<>", true, 1, {"a|b<"});
        row("every character, space padded", QStringLiteral("ab\na\U0001F600c"), "", false, 1,
            {"a|b| ", QStringLiteral("a|\U0001F600|c")});
        row("blank lines make no row", "a\n\n \t\nb\r\nc", ",", false, 1, {"a", "b", "c"});
        row("only blank lines", " \n\t\n", "", false, 1, {});
        row("two lines a row, joined by a space, then cut", "a\nb\nc", " ", false, 2, {"a|b", "c|"});
        row("a blank group makes no row", "a\nb\n\n \nc", ",", false, 2, {"a b", "c"});
        row("no lines a row", "a\nb", ",", false, 0, {});
        row("byte-order mark at a line start is a cell's text", QStringLiteral("a\n\uFEFFb,c"), ",", false, 1,
            {"a|", QStringLiteral("\uFEFFb|c")});
    }

    void split()
    {
        QFETCH(QString, text);
        QFETCH(QString, filter);
        QFETCH(bool, wholeWord);
        QFETCH(int, linesPerRow);
        QFETCH(QStringList, rows);
        const CellTable table(text, filter, wholeWord, linesPerRow);
        QCOMPARE(rowsOf(table), rows);
        QCOMPARE(table.columnCount(), rows.isEmpty() ? 0 : rows.first().count(QLatin1Char('|')) + 1);
    }

    // The limit counts the padded grid, a surrogate pair as one cell, blank lines not at all.
    // A refused split (cells -1) leaves the table as it was.
    void cellLimit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<qint64>("cells");
        const auto row = [](const char* name, const QString& text, const QString& filter, bool wholeWord, qint64 limit,
                            qint64 cells) {
            QTest::addRow("%s", name) << text << filter << wholeWord << limit << cells;
        };
        row("characters, at the limit", "abc\n \n\nab", "", false, 6, 6);
        row("characters, past it by the padding", "abc\nab", "", false, 5, -1);
        row("surrogate pairs, one cell each", QStringLiteral("\U0001F600\U0001F600\U0001F600\nab"), "", false, 6, 6);
        row("separators, past it by the padding", "a,b,c\nd", ",", false, 5, -1);
        row("whole word, past it", "a<>b<>c\nd", "<>", true, 5, -1);
        row("past it before any padding", "a,b,c,d,e,f,g", ",", false, 5, -1);
        const QString shortLines = QStringLiteral("ab\n").repeated(10000);
        row("short lines and a long one", shortLines + QString(30000, QLatin1Char('x')), "", false, CellTable::MaxCells,
            -1);
        row("short lines and a wide one", shortLines + QStringLiteral("a,").repeated(3000), ",", false,
            CellTable::MaxCells, -1);
        row("a long line alone", QString(30000, QLatin1Char('x')), "", false, CellTable::MaxCells, 30000);
    }

    void cellLimit()
    {
        QFETCH(QString, text);
        QFETCH(QString, filter);
        QFETCH(bool, wholeWord);
        QFETCH(qint64, limit);
        QFETCH(qint64, cells);
        CellTable table(QStringLiteral("k,1"), QStringLiteral(","), false, 1);
        const CellTable::SplitResult result = table.split(text, filter, wholeWord, 1, {}, limit);
        if (cells < 0) {
            QCOMPARE(result, CellTable::SplitResult::TooManyCells);
            QCOMPARE(rowsOf(table), QStringList{"k|1"});
            QCOMPARE(table.sourceText(), QStringLiteral("k,1"));
        } else {
            QCOMPARE(result, CellTable::SplitResult::Done);
            QCOMPARE(qint64(table.rowCount()) * table.columnCount(), cells);
        }
    }

    // Edge rows of the byte path the random inputs may miss: the same result, cells and column bytes as
    // the string split of the text the editor shows.
    void bytePathMatchesStringPath_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<qint64>("limit");
        QTest::addRow("invalid UTF-8, 4-byte character, NUL, CR")
            << QByteArray("a\xff,\xf0\x9f\x98\x80\r\xc3,x\0y\r\n\xed\xa0\x80,b", 20) << "," << true
            << CellTable::MaxCells;
        QTest::addRow("every character, wide ones")
            << QByteArray("\xe2\x82\xac\xf0\x9f\x98\x80\nab") << "" << true << CellTable::MaxCells;
        QTest::addRow("ANSI, a separator it cannot hold") << QByteArray("a\x80"
                                                                        "b,c\xe9")
                                                          << QStringLiteral("\u20ac,") << false << CellTable::MaxCells;
        QTest::addRow("past a small limit") << QByteArray("a,b,c\nd") << "," << true << qint64(5);
    }

    void bytePathMatchesStringPath()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, filter);
        QFETCH(bool, unicode);
        QFETCH(qint64, limit);
        const QString text = unicode ? decodeUtf8(bytes.constData(), bytes.size())
                                     : QString::fromLatin1(bytes.constData(), bytes.size());
        CellTable strings;
        CellTable fromBytes;
        const CellTable::SplitResult expected = strings.split(text, filter, false, 1, {}, limit);
        QCOMPARE(fromBytes.splitBytes(bytes, unicode, filter, false, 1, {}, limit), expected);
        QCOMPARE(rowsOf(fromBytes), rowsOf(strings));
        if (expected != CellTable::SplitResult::Done)
            return;
        QCOMPARE(fromBytes.sourceText(), text);
        for (int c = 0; c < strings.columnCount(); ++c) {
            for (const bool target : {true, false})
                QCOMPARE(fromBytes.columnBytes(c, target), encodeEditorText(strings.columnText(c), target));
        }
    }

    // Far more cells than bytes a cell takes as a rule: the room for the cells grows on the way.
    void bytePathOfManySmallCells()
    {
        const QByteArray bytes = QByteArray("a,").repeated(300000) + "\nb,c\n" + QByteArray(",d").repeated(200000);
        CellTable strings;
        CellTable fromBytes;
        QCOMPARE(strings.split(QString::fromLatin1(bytes), QStringLiteral(","), false, 1),
                 CellTable::SplitResult::Done);
        QCOMPARE(fromBytes.splitBytes(bytes, true, QStringLiteral(","), false, 1), CellTable::SplitResult::Done);
        QCOMPARE(fromBytes.dimensions(), QSize(300001, 3));
        QVERIFY(rowsOf(fromBytes) == rowsOf(strings));
    }

    // Halves of a surrogate pair that meet when cells are joined make one character, and the column's
    // bytes are those of its string (UTF-8 cannot hold a lone half).
    void loneSurrogatesJoined()
    {
        CellTable table = tableOf({QStringLiteral("x") + QChar(0xD83D) + QStringLiteral("|") + QChar(0xDE00)});
        QVERIFY(table.regroup(1));
        QCOMPARE(rowsOf(table), QStringList{QStringLiteral("x\U0001F600")});
        for (const bool unicode : {true, false})
            QCOMPARE(table.columnBytes(0, unicode), encodeEditorText(table.columnText(0), unicode));
    }

    void indexWrap()
    {
        CellTable table = tableOf({"a|b|c", "d|e|f"});
        QCOMPARE(table.column(-4), QStringList({"c", "f"}));
        QCOMPARE(table.row(2), QStringList({"a", "b", "c"}));
        QCOMPARE(table.cell(5, 7), QStringLiteral("e"));
        QCOMPARE(table.columnText(-2), QStringLiteral("b\ne"));
        QVERIFY(!table.swapCells(-1, 0, 0, 0)); // swaps take positions as they are
        table.removeColumns({3, -3});           // one column named twice
        table.clearCell(-1, -1);
        QCOMPARE(rowsOf(table), QStringList({"b|c", "e|"}));
        table.removeRows({-1, 3});
        QCOMPARE(rowsOf(table), QStringList({"b|c"}));
        QCOMPARE(CellTable().cell(-1, -1), QString());
    }

    // Worked examples, so that a transformation that is by accident its own inverse still fails.
    void operations_data()
    {
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QString>("operations");
        QTest::addColumn<QStringList>("result");
        const auto row = [](const char* name, const QStringList& start, const char* operations,
                            const QStringList& result) {
            QTest::addRow("%s", name) << start << QString::fromLatin1(operations) << result;
        };
        const QStringList grid{"a|b|c", "d|e|f"};
        row("rotate clockwise", grid, "rotate:1", {"d|a", "e|b", "f|c"});
        row("rotate half", grid, "rotate:2", {"f|e|d", "c|b|a"});
        row("rotate counter-clockwise", grid, "rotate:-1", {"c|f", "b|e", "a|d"});
        row("flip horizontally", grid, "flipH", {"c|b|a", "f|e|d"});
        row("flip vertically", grid, "flipV", {"d|e|f", "a|b|c"});
        row("reverse column", grid, "reverseColumn:-2", {"a|e|c", "d|b|f"});
        row("constant columns go", {"a|x||1", "b|x||2"}, "constant", {"a|1", "b|2"});
        row("differs in one row, in case", {"x|A", "x|a", "y|a"}, "constant", {"x|A", "x|a", "y|a"});
        row("a single row is left alone", {"a|a"}, "constant", {"a|a"});
        row("every column constant", {"a|b", "a|b"}, "constant", {"", ""});
        row("regroup by two", {"a", "b", "c"}, "regroup:2", {"a|b", "c"});
        row("regroup joins cells", {"a|b", "c|d"}, "regroup:2", {"ab|cd"});
        row("regroup by none", {"a", "b"}, "regroup:0", {"a", "b"});
        row("the short row turns without loss", {"a", "b", "c"}, "regroup:2 rotate:1", {"c|a", "|b"});
    }

    void operations()
    {
        QFETCH(QStringList, start);
        QFETCH(QString, operations);
        QFETCH(QStringList, result);
        // Each returns whether the operation answered as it should.
        const QHash<QString, std::function<bool(CellTable&, int)>> apply{
            {"rotate", [](CellTable& t, int n) { return t.rotate(n), true; }},
            {"flipH", [](CellTable& t, int) { return t.flipHorizontally(), true; }},
            {"flipV", [](CellTable& t, int) { return t.flipVertically(), true; }},
            {"reverseColumn", [](CellTable& t, int n) { return t.reverseColumn(n), true; }},
            {"constant", [](CellTable& t, int) { return t.removeConstantColumns(); }},
            {"regroup", [](CellTable& t, int n) { return t.regroup(n) == (n > 0); }},
        };
        CellTable table = tableOf(start);
        for (const QString& operation : operations.split(QLatin1Char(' '))) {
            const QString name = operation.section(QLatin1Char(':'), 0, 0);
            QVERIFY2(apply.contains(name), qPrintable(name));
            QVERIFY2(apply.value(name)(table, operation.section(QLatin1Char(':'), 1).toInt()), qPrintable(operation));
        }
        QCOMPARE(rowsOf(table), result);
    }

    // Corners as (column, row) in call order; one mask character per box cell, rows split by '/'.
    void selectionText_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<bool>("align");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, QPoint from, QPoint to, const char* mask, bool align, const char* text) {
            QTest::addRow("%s", name) << from << to << QString::fromLatin1(mask) << align << QString::fromLatin1(text);
        };
        row("whole table", {0, 0}, {2, 2}, "111/111/111", false, "a bb c\nddd e f\ng h iiii");
        row("corners in any order", {2, 1}, {1, 0}, "11/11", false, "bb c\ne f");
        row("wrapped indices", {-1, -1}, {-1, 0}, "1/1/1", false, "c\nf\niiii");
        row("masked-out cells empty", {0, 0}, {1, 1}, "10/01", false, "a \n e");
        row("short mask", {0, 0}, {1, 1}, "1", false, "a \n ");
        row("aligned", {0, 0}, {2, 1}, "111/111", true, "a   bb c   \nddd e  f   ");
        row("aligned, masked", {1, 2}, {2, 2}, "01", true, "   iiii");
    }

    void selectionText()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QString, mask);
        QFETCH(bool, align);
        QFETCH(QString, text);
        const CellTable table = tableOf({"a|bb|c", "ddd|e|f", "g|h|iiii"});
        CellTable::Mask flags;
        for (const QString& bits : mask.split(QLatin1Char('/'))) {
            flags.append(QBitArray(bits.size()));
            for (int i = 0; i < bits.size(); ++i)
                flags.last().setBit(i, bits.at(i) == QLatin1Char('1'));
        }
        QCOMPARE(table.selectionText(from.y(), from.x(), to.y(), to.x(), flags, align), text);
    }

    void stopAndConcurrentChange()
    {
        CellTable table(QStringLiteral("k,1\nk,2"), QStringLiteral(","), false, 1);
        const auto stop = [] { return true; };
        QCOMPARE(table.split(QStringLiteral("x"), QString(), false, 1, stop), CellTable::SplitResult::Stopped);
        QVERIFY(!table.regroup(2, stop));
        QVERIFY(!table.removeConstantColumns(stop));
        QCOMPARE(table.text(QStringLiteral(",")), QStringLiteral("k,1\nk,2"));
        QCOMPARE(table.sourceText(), table.text(QStringLiteral(",")));
        // Events run during the operation; a change they make is not overwritten.
        QMetaObject::invokeMethod(
            this, [&table] { table.clearCell(0, 1); }, Qt::QueuedConnection);
        QVERIFY(!table.regroup(2));
        QCOMPARE(rowsOf(table), QStringList({"k|", "k|2"}));
        QVERIFY(table.regroup(2));
        QCOMPARE(rowsOf(table), QStringList({"k|k2"}));
    }
};

QTEST_GUILESS_MAIN(TestCellTable)
#include "tst_celltable.moc"
