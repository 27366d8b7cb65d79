// Matches into rows: one row per match, one cell per capture group, the pattern options.

#include "CellRows.h"
#include "TestSupport.h"
#include "tools/MatchRows.h"

#include <QtTest>

// Options written as letters: c match case, u Unicode, m multi-line, s dot matches new line.
static MatchRows::Options optionsOf(const QString& letters)
{
    MatchRows::Options options;
    options.matchCase = letters.contains(QLatin1Char('c'));
    options.unicode = letters.contains(QLatin1Char('u'));
    options.multiLine = letters.contains(QLatin1Char('m'));
    options.dotAll = letters.contains(QLatin1Char('s'));
    return options;
}

class TestMatchRows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void rows_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows");
        const auto row = [](const char* name, const char* pattern, const char* options, const QString& text,
                            const QStringList& rows) {
            QTest::addRow("%s", name) << QString::fromLatin1(pattern) << QString::fromLatin1(options) << text << rows;
        };
        row("match, then groups", "(\\w+)=(\\d+)", "", "a=1\nb=2", {"a=1|a|1", "b=2|b|2"});
        row("no groups: one cell", "\\d+", "", "x12 y3", {"12", "3"});
        row("optional group in the middle", "(a)(x)?(b)", "", "ab", {"ab|a||b"});
        row("case ignored by default", "abc", "", "ABC", {"ABC"});
        row("dot stops at line breaks", "a.b", "", "a\nb", {});
        row("dot matches new line", "a.b", "s", "a\nb", {"a\nb"});
        row("\\w is ASCII", "\\w+", "", QStringLiteral("\u00e9t\u00e9"), {"t"});
        row("Unicode \\w", "\\w+", "u", QStringLiteral("\u00e9t\u00e9"), {QStringLiteral("\u00e9t\u00e9")});
        row("NUL is a character", "a\\x00b", "", QString::fromUtf8("a\0b", 3), {QString::fromUtf8("a\0b", 3)});
        row("empty matches advance", "x*", "", "ab", {"", "", ""});
    }

    void rows()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, options);
        QFETCH(QString, text);
        QFETCH(QStringList, rows);
        CellTable table;
        const MatchRows::Outcome outcome =
            MatchRows::build(text, MatchRows::expression(pattern, optionsOf(options)), table);
        QCOMPARE(outcome, rows.isEmpty() ? MatchRows::Outcome::NoMatch : MatchRows::Outcome::Rows);
        QCOMPARE(rowsOf(table), rows);
    }

    void stop()
    {
        CellTable table;
        QCOMPARE(MatchRows::build(QStringLiteral("a a a"), MatchRows::expression(QStringLiteral("a"), {}), table,
                                  [] { return true; }),
                 MatchRows::Outcome::Stopped);
        QVERIFY(table.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMatchRows)
#include "tst_matchrows.moc"
