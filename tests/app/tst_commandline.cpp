// The command line: the real executable for what it prints, its exit status and the settings it must
// not write, and the parser in-process for what a run that goes on to the window cannot show.

#include "app/CommandLineHandler.h"

#include "TestSupport.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList HelpLines = {
    QStringLiteral("Usage:"),
    QStringLiteral("  lineweld [options] [files...]"),
    QString(),
    QStringLiteral("Options:"),
    QStringLiteral("  -h --help    : Display this help"),
    QStringLiteral("  -v --version : Display the version"),
    QStringLiteral("  -o --open    : Open file"),
    QString(),
};

QStringList complaint(const char* line)
{
    return QStringList(QString::fromLatin1(line)) + HelpLines;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void parserRunsOptionsInOrder()
    {
        QStringList calls;
        CommandLineParser parser;
        parser.addOption([](void* o) { static_cast<QStringList*>(o)->append("a"); }, &calls, 'a', "--alpha", "A");
        parser.addOption([](void* o) { static_cast<QStringList*>(o)->append("b"); }, &calls, 'b', "--beta", "B");
        // Same letter as the first: the option added first wins it.
        parser.addOption([](void* o) { static_cast<QStringList*>(o)->append("long"); }, &calls, 'a', "--longer", "L");
        QVERIFY(parser.parse({"/usr/bin/tool", "one", "-ba", "", "--beta", "--longer", "--", "--alpha", "-"}));
        QCOMPARE(calls, QStringList({"b", "a", "b", "long"}));
        QCOMPARE(parser.programName(), QStringLiteral("tool"));
        QCOMPARE(parser.files(), QStringList({"one", "--alpha", "-"}));
        // A second parse starts from nothing; an empty list has no program to run.
        calls.clear();
        QVERIFY(parser.parse({"tool"}));
        QCOMPARE(parser.files(), QStringList());
        QCOMPARE(calls, QStringList());
        QVERIFY(!parser.parse({}));
    }

    void handler_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("openRequested");
        QTest::addColumn<QStringList>("files");
        QTest::addRow("--open after a file") << QStringList{"x", "a", "--open", "b"} << true << QStringList{"a", "b"};
        QTest::addRow("-o before the files") << QStringList{"x", "-o", "a", "b"} << true << QStringList{"a", "b"};
        QTest::addRow("-v after --") << QStringList{"lineweld", "--", "-v"} << false << QStringList{"-v"};
    }
    void handler()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, openRequested);
        QFETCH(QStringList, files);
        CommandLineHandler handler;
        QVERIFY(handler.parse(arguments));
        QCOMPARE(handler.openRequested(), openRequested);
        QCOMPARE(handler.quitRequested(), false);
        QCOMPARE(handler.files(), files);
    }

    void executable_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("--help") << QStringList{"--help"} << HelpLines;
        QTest::newRow("version shown once")
            << QStringList{"-vv", "--version"}
            << QStringList{"Lineweld [version 3.0.0] Copyright (C) 2026 Vardel. All rights reserved."};
        QTest::newRow("lonely hyphen") << QStringList{"-", "later"} << complaint("Bad argument 1: lonely hyphen");
        QTest::newRow("empty arguments count") << QStringList{"", "--zz"} << complaint("Unknown long argument 2: --zz");
        QTest::newRow("unknown long stops before -v")
            << QStringList{"--zz", "-v"} << complaint("Unknown long argument 1: --zz");
        QTest::newRow("long with a value") << QStringList{"--open=y"} << complaint("Unknown long argument 1: --open=y");
        QTest::newRow("unknown letter skips the v") << QStringList{"-qv"} << complaint("Unknown short argument 1.1: q");
        QTest::newRow("unknown letter after o")
            << QStringList{"-oq", "after"} << complaint("Unknown short argument 1.2: q");
    }

    void executable()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);

        QTemporaryDir home;
        QTemporaryDir runtime;
        QVERIFY(home.isValid());
        QVERIFY(runtime.isValid());
        QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());

        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(LINEWELD_EXECUTABLE), arguments);
        if (!process.waitForFinished(20000)) {
            process.kill();
            process.waitForFinished();
            QFAIL("the program did not end by itself");
        }
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        QCOMPARE(QString::fromUtf8(process.readAllStandardError()), expected.join('\n') + '\n');

        QStringList written;
        for (QDirIterator it(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
            written << it.next();
        QVERIFY2(written.isEmpty(), qPrintable(written.join(' ')));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
