// Batch rules without a window: the line syntax, rules applied in order, the size limit and a stop.

#include "tools/BatchRules.h"

#include <QtTest>

class TestBatchRules : public QObject
{
    Q_OBJECT
private slots:
    void syntax_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("isRule");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        const auto row = [](const char* name, const char* line, bool isRule, const char* find,
                            const char* replacement) {
            QTest::addRow("%s", name) << QString::fromLatin1(line) << isRule << QString::fromLatin1(find)
                                      << QString::fromLatin1(replacement);
        };
        row("a <> b", "a <> b", true, "a", "b");
        row("a <> with a trailing space", "a <> ", true, "a", "");
        // Malformed: a rule that finds nothing.
        row("a<>b, no spaces", "a<>b", true, "", "");
        row("a <> b <> c", "a <> b <> c", true, "", "");
        row("separator first", " <> X", true, "", "X");
        row("comment", "# a <> b", false, "", "");
        row("indented comment", " \t# a <> b", false, "", "");
        row("blank", " \t ", false, "", "");
    }

    void syntax()
    {
        QFETCH(QString, line);
        QFETCH(bool, isRule);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        BatchRules::Rule rule{QStringLiteral("old"), QStringLiteral("old")};
        QCOMPARE(BatchRules::parseLine(line, &rule), isRule);
        if (isRule) {
            QCOMPARE(rule.find, find);
            QCOMPARE(rule.replacement, replacement);
        }
    }

    void apply_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<qint64>("replacements");
        const auto row = [](const char* name, const QString& source, const char* rules, const QString& expected,
                            qint64 replacements) {
            QTest::addRow("%s", name) << source << QString::fromLatin1(rules) << expected << replacements;
        };
        row("chained", "ab", "a <> b\nb <> c", "cc", 3);
        row("empty text to find", "abc", " <> X", "abc", 0);
        row("malformed rules", "ab", "a<>b\na <> b <> c", "ab", 0);
        row("comments, blank lines, CR LF", "ab", "# x\r\n\r\n  #a <> z\r\na <> q\rb <> r", "qr", 2);
        // Searches run in windows of 2^20 units; a match across a window's end must still be found.
        const QString filler = QString((1 << 20) - 1, QLatin1Char('x'));
        row("match across a search window", filler + "ab" + filler + "ab", "ab <> Y", filler + "Y" + filler + "Y", 2);
    }

    void apply()
    {
        QFETCH(QString, source);
        QFETCH(QString, rules);
        QFETCH(QString, expected);
        QFETCH(qint64, replacements);
        const BatchRules::Outcome outcome = BatchRules::apply(source, BatchRules::parse(rules), 1 << 29);
        QCOMPARE(outcome.status, BatchRules::Status::Done);
        QCOMPARE(outcome.text, expected);
        QCOMPARE(outcome.replacements, replacements);
    }

    void limit_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("rules");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("expected"); // the outcome's text, or its error text
        const auto row = [](const char* name, const char* source, const char* rules, int limit, const char* expected) {
            QTest::addRow("%s", name) << QString::fromLatin1(source) << QString::fromLatin1(rules) << limit
                                      << QString::fromLatin1(expected);
        };
        // The comment is no rule, so the failing rule is the second one, on line three.
        row("grows past the limit", "aaaa", "# grow\nb <> c\na <> aaa", 10,
            "[Error]:the result would pass its size limit of 10 characters, in line 2");
        row("longer source kept as long", "aaaaaaaaaaaa", "a <> b", 10, "bbbbbbbbbbbb");
    }

    void limit()
    {
        QFETCH(QString, source);
        QFETCH(QString, rules);
        QFETCH(int, limit);
        QFETCH(QString, expected);
        const BatchRules::Outcome outcome = BatchRules::apply(source, BatchRules::parse(rules), limit);
        if (outcome.status == BatchRules::Status::Failed) {
            QCOMPARE(BatchRules::errorText(outcome), expected);
            QCOMPARE(outcome.text, QString());
        } else {
            QCOMPARE(outcome.status, BatchRules::Status::Done);
            QCOMPARE(outcome.text, expected);
        }
    }

    void stop()
    {
        // The stop is asked for once events have run, which they do before the first search.
        int asked = 0;
        const BatchRules::Outcome stopped =
            BatchRules::apply(QStringLiteral("ab"), BatchRules::parse(QStringLiteral("a <> b")), 100, [&asked] {
                ++asked;
                return true;
            });
        QCOMPARE(stopped.status, BatchRules::Status::Stopped);
        QCOMPARE(stopped.text, QString());
        QCOMPARE(asked, 1);
        const BatchRules::Outcome done = BatchRules::apply(
            QStringLiteral("ab"), BatchRules::parse(QStringLiteral("a <> b")), 100, [] { return false; });
        QCOMPARE(done.text, QStringLiteral("bb"));
    }
};

QTEST_GUILESS_MAIN(TestBatchRules)
#include "tst_batchrules.moc"
