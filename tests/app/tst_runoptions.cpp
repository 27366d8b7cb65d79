// The command line of lineweld-run: values after the option, after "=" or glued to the letter, and
// the usage errors that end it with status 2.

#include "app/RunOptions.h"

#include <QtTest>

namespace {

// What a run was asked for, in one line, so that a row states all of it.
QString describe(const RunOptions& o)
{
    switch (o.action) {
    case RunOptions::Action::Help:
        return QStringLiteral("help");
    case RunOptions::Action::Version:
        return QStringLiteral("version");
    case RunOptions::Action::UsageError:
        return QStringLiteral("error: ") + o.error;
    case RunOptions::Action::Run:
        break;
    }
    QStringList columns;
    for (auto it = o.columnFiles.cbegin(); it != o.columnFiles.cend(); ++it)
        columns.append(QStringLiteral("%1=%2").arg(it.key()).arg(it.value()));
    const char* modes[] = {"merge", "replace", "random"};
    return QStringLiteral("%1 %2 out=%3 n=%4 cols=%5 eol=%6 single=%7 progress=%8")
        .arg(QLatin1String(modes[int(o.mode)]), o.templatePath, o.outputPath)
        .arg(o.randomCount)
        .arg(columns.join(QLatin1Char(',')))
        .arg(o.eolGiven ? eolName(o.eol) : QStringLiteral("-"))
        .arg(int(o.singleLine))
        .arg(int(o.progress));
}

} // namespace

class TestRunOptions : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        const QString plain = QStringLiteral("merge t.s out= n=0 cols= eol=- single=0 progress=0");
        QTest::addRow("template only") << QStringList{QStringLiteral("t.s")} << plain;
        QTest::addRow("output, next argument")
            << QStringList{"-o", "r.txt", "t.s"} << "merge t.s out=r.txt n=0 cols= eol=- single=0 progress=0";
        QTest::addRow("output after =") << QStringList{"--output=r.txt", "t.s"}
                                        << "merge t.s out=r.txt n=0 cols= eol=- single=0 progress=0";
        QTest::addRow("output glued to letter")
            << QStringList{"t.s", "-or.txt"} << "merge t.s out=r.txt n=0 cols= eol=- single=0 progress=0";
        QTest::addRow("cluster with value last")
            << QStringList{"-rc", "2=b.txt", "t.s"} << "replace t.s out= n=0 cols=2=b.txt eol=- single=0 progress=0";
        QTest::addRow("random, columns, eol, flags")
            << QStringList{"--random",      "7",          "-c", "4=d", "--column=1=a=b", "--eol", "mac",
                           "--single-line", "--progress", "t.s"}
            << "random t.s out= n=7 cols=1=a=b,4=d eol=Mac single=1 progress=1";
        QTest::addRow("after --, a file")
            << QStringList{"--", "-v.s"} << "merge -v.s out= n=0 cols= eol=- single=0 progress=0";
        QTest::addRow("help wins over errors of sense") << QStringList{"-h", "a.s", "b.s"} << "help";
        QTest::addRow("version") << QStringList{"--version"} << "version";
        QTest::addRow("no template") << QStringList{} << "error: no template file given";
        QTest::addRow("two templates") << QStringList{"a.s", "b.s"} << "error: one template file only, not 2";
        QTest::addRow("unknown long") << QStringList{"--merge", "t.s"} << "error: unknown option --merge";
        QTest::addRow("unknown letter") << QStringList{"-x", "t.s"} << "error: unknown option -x";
        QTest::addRow("flag with a value")
            << QStringList{"--replace=yes", "t.s"} << "error: unknown option --replace=yes";
        QTest::addRow("missing value") << QStringList{"t.s", "-o"} << "error: -o needs a value";
        QTest::addRow("zero records") << QStringList{"-n", "0", "t.s"}
                                      << "error: --random takes a count of at least 1, not \"0\"";
        QTest::addRow("count not a number")
            << QStringList{"-n", "1e3", "t.s"} << "error: --random takes a count of at least 1, not \"1e3\"";
        QTest::addRow("column 5") << QStringList{"-c", "5=x", "t.s"}
                                  << "error: --column takes N=FILE with N from 1 to 4, not \"5=x\"";
        QTest::addRow("column without file")
            << QStringList{"-c", "1=", "t.s"} << "error: --column takes N=FILE with N from 1 to 4, not \"1=\"";
        QTest::addRow("column twice") << QStringList{"-c", "1=a", "-c", "1=b", "t.s"}
                                      << "error: column 1 is given twice";
        QTest::addRow("bad eol") << QStringList{"--eol", "dos", "t.s"}
                                 << "error: --eol takes unix, windows or mac, not \"dos\"";
        QTest::addRow("replace and random")
            << QStringList{"-r", "-n", "3", "t.s"} << "error: --replace and --random cannot be combined";
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        arguments.prepend(QStringLiteral("/usr/bin/lineweld-run"));
        QCOMPARE(describe(RunOptions::parse(arguments)), expected);
    }
};

QTEST_APPLESS_MAIN(TestRunOptions)
#include "tst_runoptions.moc"
