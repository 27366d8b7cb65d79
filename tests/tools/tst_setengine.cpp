// The set engine: the regions of one to four columns, their order, and stopping.

#include "TestSupport.h"
#include "editor/TextBytes.h"
#include "engine/MergeEngine.h"
#include "tools/SetEngine.h"

#include <QtTest>

// Columns written as "a|b|b" keep the cases short; "" is a column of one empty line.
static QVector<QByteArray> columnsOf(const QStringList& columns)
{
    QVector<QByteArray> texts;
    for (const QString& column : columns)
        texts.append(column.toUtf8().replace('|', '\n'));
    return texts;
}

static QVector<QByteArray> textsOf(const QVector<QStringList>& lists)
{
    QVector<QByteArray> texts;
    for (const QStringList& list : lists)
        texts.append(list.join(QLatin1Char('\n')).toUtf8());
    return texts;
}

class TestSetEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void regions_data()
    {
        QTest::addColumn<QStringList>("columns");
        // A region: bit i for column i; 0 asks for the union, -1 for the intersection.
        QTest::addColumn<int>("region");
        QTest::addColumn<QString>("lines");
        const QStringList two{"a|b|b", "b|c"};
        QTest::addRow("2: intersection") << two << -1 << "b";
        QTest::addRow("2: union, column 1 first") << two << 0 << "a|b|c";
        QTest::addRow("2: S1 - S2") << two << 0b01 << "a";
        QTest::addRow("case counts") << QStringList{"Apple", "apple"} << -1 << "";
        QTest::addRow("white space counts") << QStringList{"a |b", "a|b "} << 0 << "a |b|a|b ";
        QTest::addRow("empty line is a value") << QStringList{"|x", "y|"} << -1 << "";
        QTest::addRow("intersection in column 1 order") << QStringList{"c|b|a", "a|b|c"} << -1 << "c|b|a";
        const QStringList three{"a|b|c|d", "b|c|e", "c|d|e|f"};
        QTest::addRow("3: union in first-appearance order") << three << 0 << "a|b|c|d|e|f";
        QTest::addRow("3: intersection") << three << -1 << "c";
        QTest::addRow("3: only in S1 and S3") << three << 0b101 << "d";
        QTest::addRow("5 columns: the fifth is left out") << QStringList{"a|x", "a", "a", "a", "b"} << 0 << "a|x";
    }
    void regions()
    {
        QFETCH(QStringList, columns);
        QFETCH(int, region);
        QFETCH(QString, lines);
        SetEngine engine;
        QVERIFY(engine.build(columnsOf(columns)));
        const SetEngine::Lines result = region == 0  ? engine.lineUnion()
                                        : region < 0 ? engine.intersection()
                                                     : engine.region(unsigned(region));
        QCOMPARE(engine.strings(result).join(QLatin1Char('|')), lines);
    }

    void oneColumn_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QStringList>("distinct");
        QTest::addColumn<QStringList>("repeated");
        QTest::addRow("first-appearance order") << "b|a|c|a|b|b" << QStringList{"b", "a", "c"} << QStringList{"b", "a"};
        QTest::addRow("nothing repeated") << "x|y" << QStringList{"x", "y"} << QStringList();
        QTest::addRow("empty line repeated") << "|x|" << QStringList{"", "x"} << QStringList{""};
    }
    void oneColumn()
    {
        QFETCH(QString, column);
        QFETCH(QStringList, distinct);
        QFETCH(QStringList, repeated);
        SetEngine engine;
        QVERIFY(engine.build(columnsOf({column})));
        QCOMPARE(engine.strings(engine.lineUnion()), distinct);
        QCOMPARE(engine.strings(engine.repeated()), repeated);
    }

    void stopLeavesEngineEmpty()
    {
        SetEngine engine;
        QVERIFY(engine.build(columnsOf({"a|b", "b"})));
        QVERIFY(!engine.build(columnsOf({"c|d", "d"}), [] { return true; }));
        QCOMPARE(engine.columnCount(), 0);
        QVERIFY(engine.lineUnion().empty());
        QVERIFY(engine.intersection().empty());
    }

    // Lines are compared as the editors show them, whatever their bytes: the line breaks of either
    // kind end a line, Latin-1 and UTF-8 columns meet, an invalid byte reads as U+FFFD, and a NUL
    // byte is part of its line.
    void linesAsTheEditorsShowThem()
    {
        SetEngine engine;
        const QVector<QByteArray> columns{
            utf8FromEditorBytes(QByteArray("caf\xe9\r\nx\0y\rbad\xff\r\nlast\n", 21), false),
            utf8FromEditorBytes(QByteArray("last\ncaf\xc3\xa9\nx\0y\nbad\xfe\n", 20), true)};
        QVERIFY(engine.build(columns));
        QCOMPARE(engine.strings(engine.intersection()),
                 QStringList({QStringLiteral("caf\u00e9"), QStringLiteral("x") + QChar(0) + QStringLiteral("y"),
                              QStringLiteral("last"), QString()}));
        QCOMPARE(engine.strings(engine.region(0b01)), QStringList({QStringLiteral("bad\u00ff")}));
        QCOMPARE(engine.strings(engine.region(0b10)), QStringList({QStringLiteral("bad\ufffd")}));
    }

    // The result text: lines joined by the break asked for, in either encoding of the result editor.
    void writesTheResultText()
    {
        SetEngine engine;
        QVERIFY(engine.build(columnsOf(QStringList{QStringLiteral("a|\u00e9|\u20ac|a"), QStringLiteral("a")})));
        ByteBuffer utf8;
        QVERIFY(engine.write(engine.lineUnion(), utf8, "\r\n", true));
        QCOMPARE(utf8.bytes(), QByteArray("a\r\n\xc3\xa9\r\n\xe2\x82\xac"));
        ByteBuffer latin1;
        QVERIFY(engine.write(engine.region(0b01), latin1, "\n", false));
        QCOMPARE(latin1.bytes(), QByteArray("\xe9\n?"));
        ByteBuffer none;
        QVERIFY(engine.write(engine.intersection(), none, "\n", true));
        QCOMPARE(none.bytes(), QByteArray("a"));

        // Many lines go in several pieces, which together hold every line once.
        QStringList many;
        for (int i = 0; i < 100000; ++i)
            many.append(QString::number(i % 60000));
        QVERIFY(engine.build(textsOf({many})));
        ByteBuffer all;
        QVERIFY(engine.write(engine.lineUnion(), all, "\n", true));
        QCOMPARE(all.bytes(), many.mid(0, 60000).join(QLatin1Char('\n')).toUtf8());
        QCOMPARE(engine.repeated().size(), size_t(40000));
    }
};

QTEST_GUILESS_MAIN(TestSetEngine)
#include "tst_setengine.moc"
