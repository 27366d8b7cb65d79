// Batch rules without a window: the line syntax, rules applied in order, the size limit and a stop.

#include "tools/BatchRules.h"

#include <QtTest>

class TestBatchRules : public QObject
{
    Q_OBJECT
private slots:
    void syntax_data();
    void syntax();
    void apply_data();
    void apply();
    void limit_data();
    void limit();
    void stop();
};

void TestBatchRules::syntax_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("isRule");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addRow("a <> b") << "a <> b" << true << "a"
                            << "b";
    QTest::addRow("a <>") << "a <>" << true << "a"
                          << "";
    QTest::addRow("a <> with a trailing space") << "a <> " << true << "a"
                                                << "";
    QTest::addRow("a<>b, no spaces") << "a<>b" << true << ""
                                     << "";
    QTest::addRow("a <> b <> c") << "a <> b <> c" << true << ""
                                 << "";
    QTest::addRow("separator first") << " <> X" << true << ""
                                     << "X";
    QTest::addRow("two spaces before") << "a  <> b" << true << "a "
                                       << "b";
    QTest::addRow("two spaces after") << "a <>  b" << true << "a"
                                      << " b";
    QTest::addRow("comment") << "# a <> b" << false << ""
                             << "";
    QTest::addRow("indented comment") << " \t# a <> b" << false << ""
                                      << "";
    QTest::addRow("blank") << " \t " << false << ""
                           << "";
}

void TestBatchRules::syntax()
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

void TestBatchRules::apply_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("rules");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<qint64>("replacements");
    QTest::addRow("chained") << "ab"
                             << "a <> b\nb <> c"
                             << "cc" << qint64(3);
    QTest::addRow("deletes every x") << "xaxbx"
                                     << "x <>"
                                     << "ab" << qint64(3);
    QTest::addRow("case matters") << "a"
                                  << "A <> b"
                                  << "a" << qint64(0);
    QTest::addRow("left to right, no overlap") << "aaa"
                                               << "aa <> b"
                                               << "ba" << qint64(1);
    QTest::addRow("replacement not searched again") << "a"
                                                    << "a <> aa"
                                                    << "aa" << qint64(1);
    QTest::addRow("empty text to find") << "abc"
                                        << " <> X"
                                        << "abc" << qint64(0);
    QTest::addRow("malformed rules") << "ab"
                                     << "a<>b\na <> b <> c"
                                     << "ab" << qint64(0);
    QTest::addRow("comments, blank lines, CR LF") << "ab"
                                                  << "# x\r\n\r\n  #a <> z\r\na <> q\rb <> r"
                                                  << "qr" << qint64(2);
    QTest::addRow("spaces belong to the texts") << "aa b"
                                                << "a  <> -"
                                                << "a-b" << qint64(1);
    // Searches run in windows of 2^20 units; a match across a window's end must still be found.
    const QString filler = QString((1 << 20) - 1, QLatin1Char('x'));
    QTest::addRow("match across a search window")
        << filler + QStringLiteral("ab") + filler + QStringLiteral("ab") << "ab <> Y"
        << filler + QStringLiteral("Y") + filler + QStringLiteral("Y") << qint64(2);
}

void TestBatchRules::apply()
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

void TestBatchRules::limit_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("rules");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("expected"); // the outcome's text, or its error text
    // The comment is no rule, so the failing rule is the second one, on line three.
    QTest::addRow("grows past the limit") << "aaaa"
                                          << "# grow\nb <> c\na <> aaa" << 10
                                          << "[Error]:the result would pass its size limit of 10 characters, in line 2";
    QTest::addRow("reaches the limit exactly") << "aaaa"
                                               << "a <> ab" << 8 << "abababab";
    QTest::addRow("longer source that shrinks") << "aaaaaaaaaaaa"
                                                << "a <>\n <> zz" << 10 << "";
    QTest::addRow("longer source kept as long") << "aaaaaaaaaaaa"
                                                << "a <> b" << 10 << "bbbbbbbbbbbb";
}

void TestBatchRules::limit()
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

void TestBatchRules::stop()
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
    const BatchRules::Outcome done =
        BatchRules::apply(QStringLiteral("ab"), BatchRules::parse(QStringLiteral("a <> b")), 100, [] { return false; });
    QCOMPARE(done.text, QStringLiteral("bb"));
}

QTEST_GUILESS_MAIN(TestBatchRules)
#include "tst_batchrules.moc"
