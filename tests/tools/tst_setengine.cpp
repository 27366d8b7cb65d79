// The set engine: the regions of one to four columns, their order, and stopping.

#include "TestSupport.h"
#include "tools/SetEngine.h"

#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

// Columns written as "a|b|b" keep the cases short; "" is a column of one empty line.
static QVector<QStringList> columnsOf(const QStringList& columns)
{
    QVector<QStringList> lists;
    for (const QString& column : columns)
        lists.append(column.split(QLatin1Char('|')));
    return lists;
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
        QTest::addRow("2: S2 - S1") << two << 0b10 << "c";
        QTest::addRow("case counts") << QStringList{"Apple", "apple"} << -1 << "";
        QTest::addRow("white space counts") << QStringList{"a |b", "a|b "} << 0 << "a |b|a|b ";
        QTest::addRow("empty line is a value") << QStringList{"|x", "y|"} << -1 << "";
        QTest::addRow("intersection in column 1 order") << QStringList{"c|b|a", "a|b|c"} << -1 << "c|b|a";
        const QStringList three{"a|b|c|d", "b|c|e", "c|d|e|f"};
        QTest::addRow("3: union in first-appearance order") << three << 0 << "a|b|c|d|e|f";
        QTest::addRow("3: intersection") << three << -1 << "c";
        QTest::addRow("3: only in S1 and S2") << three << 0b011 << "b";
        QTest::addRow("3: only in S1 and S3") << three << 0b101 << "d";
        QTest::addRow("3: only in S2 and S3") << three << 0b110 << "e";
        QTest::addRow("3: only in S3") << three << 0b100 << "f";
        QTest::addRow("3: only in S1") << three << 0b001 << "a";
        QTest::addRow("5 columns: the fifth is left out") << QStringList{"a|x", "a", "a", "a", "b"} << 0 << "a|x";
    }
    void regions()
    {
        QFETCH(QStringList, columns);
        QFETCH(int, region);
        QFETCH(QString, lines);
        SetEngine engine;
        QVERIFY(engine.build(columnsOf(columns)));
        const QStringList result = region == 0  ? engine.lineUnion()
                                   : region < 0 ? engine.intersection()
                                                : engine.region(unsigned(region));
        QCOMPARE(result.join(QLatin1Char('|')), lines);
    }

    void oneColumn_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QStringList>("distinct");
        QTest::addColumn<QStringList>("repeated");
        QTest::addRow("a a b") << "a|a|b" << QStringList{"a", "b"} << QStringList{"a"};
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
        QCOMPARE(engine.lineUnion(), distinct);
        QCOMPARE(engine.repeated(), repeated);
    }

    // Every line of the union lies in exactly one region, which is the set of columns it occurs in.
    void regionsSplitTheUnion_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<quint32>("seed");
        for (int columns = 2; columns <= 4; ++columns)
            for (quint32 seed : {1u, 7u, 2024u})
                QTest::addRow("%d columns, seed %u", columns, seed) << columns << seed;
    }
    void regionsSplitTheUnion()
    {
        QFETCH(int, columns);
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        QVector<QStringList> lists(columns);
        QVector<QSet<QString>> sets(columns);
        for (int c = 0; c < columns; ++c) {
            const int lines = random.bounded(0, 300);
            for (int i = 0; i < lines; ++i) {
                const QString line = QString::number(random.bounded(200));
                lists[c].append(line);
                sets[c].insert(line);
            }
        }
        SetEngine engine;
        QVERIFY(engine.build(lists));
        const QStringList all = engine.lineUnion();
        QCOMPARE(QSet<QString>(all.begin(), all.end()).size(), all.size());

        QStringList seen;
        for (unsigned inside = 1; inside < (1u << columns); ++inside) {
            for (const QString& line : engine.region(inside)) {
                for (int c = 0; c < columns; ++c)
                    QVERIFY2(sets.at(c).contains(line) == bool(inside & (1u << c)), qPrintable(line));
                seen.append(line);
            }
        }
        QCOMPARE(seen.size(), all.size());
        QCOMPARE(QSet<QString>(seen.begin(), seen.end()), QSet<QString>(all.begin(), all.end()));

        // The union keeps first appearances: column 1's order, then each next column's new lines.
        QStringList expected;
        QSet<QString> taken;
        for (const QStringList& list : lists)
            for (const QString& line : list)
                if (!taken.contains(line)) {
                    taken.insert(line);
                    expected.append(line);
                }
        QCOMPARE(all, expected);
    }

    void stopLeavesEngineEmpty()
    {
        SetEngine engine;
        QVERIFY(engine.build(columnsOf({"a|b", "b"})));
        QVERIFY(!engine.build(columnsOf({"c|d", "d"}), [] { return true; }));
        QCOMPARE(engine.columnCount(), 0);
        QVERIFY(engine.lineUnion().isEmpty());
        QVERIFY(engine.intersection().isEmpty());
    }

    // Many distinct lines make the table grow several times; none may get lost on the way.
    void growthKeepsEveryLine()
    {
        QStringList first;
        QStringList second;
        for (int i = 0; i < 5000; ++i) {
            first.append(QString::number(i));
            second.append(QString::number(i * 2));
        }
        SetEngine engine;
        QVERIFY(engine.build({first, second}));
        QCOMPARE(engine.lineUnion().size(), 7500);
        QCOMPARE(engine.intersection().size(), 2500);
        QCOMPARE(engine.region(0b10).first(), QStringLiteral("5000"));
    }
};

QTEST_GUILESS_MAIN(TestSetEngine)
#include "tst_setengine.moc"
