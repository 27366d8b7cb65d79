// The command line: the parser and the program's options in-process, and the real executable for
// the texts it prints, its exit status and the settings it must not write.

#include "app/CommandLineHandler.h"

#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList g_messages;

void captureMessage(QtMsgType, const QMessageLogContext&, const QString& message)
{
    g_messages.append(message);
}

// Collects the warning-channel messages written while it lives.
class MessageCapture
{
public:
    MessageCapture()
    {
        g_messages.clear();
        m_previous = qInstallMessageHandler(captureMessage);
    }
    ~MessageCapture() { qInstallMessageHandler(m_previous); }
    QStringList messages() const { return g_messages; }

private:
    QtMessageHandler m_previous;
};

const QStringList helpLines = {
    QStringLiteral("Usage:"),
    QStringLiteral("  lineweld [options] [files...]"),
    QString(),
    QStringLiteral("Options:"),
    QStringLiteral("  -h --help    : Display this help"),
    QStringLiteral("  -v --version : Display the version"),
    QStringLiteral("  -o --open    : Open file"),
    QString(),
};

const QString versionLine = QStringLiteral("Lineweld [version 3.0.0] ");

struct Counter
{
    QStringList calls;
};

void recordA(void* object) { static_cast<Counter*>(object)->calls.append(QStringLiteral("a")); }
void recordB(void* object) { static_cast<Counter*>(object)->calls.append(QStringLiteral("b")); }
void recordLong(void* object) { static_cast<Counter*>(object)->calls.append(QStringLiteral("long")); }

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void parserRunsHandlersInOrder();
    void parserMessages_data();
    void parserMessages();
    void parserHelpAlignsOnLongestName();
    void handlerFlags_data();
    void handlerFlags();
    void versionPrintedOnce();

    void executable_data();
    void executable();

private:
    QString m_program;
};

void TestCommandLine::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
    QCoreApplication::setApplicationName(QStringLiteral("Lineweld"));
    QCoreApplication::setApplicationVersion(QStringLiteral("3.0.0"));
    m_program = QStringLiteral(LINEWELD_EXECUTABLE);
    QVERIFY2(QFileInfo::exists(m_program), qPrintable(m_program));
}

void TestCommandLine::parserRunsHandlersInOrder()
{
    Counter counter;
    CommandLineParser parser;
    parser.addOption(recordA, &counter, QLatin1Char('a'), QStringLiteral("--alpha"), QStringLiteral("A"));
    parser.addOption(recordB, &counter, QLatin1Char('b'), QStringLiteral("--beta"), QStringLiteral("B"));
    // A duplicate short name: the option added first wins.
    parser.addOption(recordLong, &counter, QLatin1Char('a'), QStringLiteral("--a-much-longer-name"),
                     QStringLiteral("L"));

    const QStringList arguments = {QStringLiteral("/usr/local/bin/tool"), QStringLiteral("one"),
                                   QStringLiteral("-ba"),    QString(),
                                   QStringLiteral("--beta"), QStringLiteral("--a-much-longer-name"),
                                   QStringLiteral("--"),     QStringLiteral("--alpha"),
                                   QStringLiteral("-")};
    QVERIFY(parser.parse(arguments));
    QCOMPARE(counter.calls, QStringList({"b", "a", "b", "long"}));
    QCOMPARE(parser.programName(), QStringLiteral("tool"));
    QCOMPARE(parser.files(), QStringList({"one", "--alpha", "-"}));
    QCOMPARE(parser.longNameWidth(), 20);

    // A second parse starts from nothing.
    counter.calls.clear();
    QVERIFY(parser.parse({QStringLiteral("tool")}));
    QVERIFY(parser.files().isEmpty());
    QVERIFY(counter.calls.isEmpty());

    MessageCapture capture;
    QVERIFY(!parser.parse({}));
    QVERIFY(capture.messages().isEmpty());
}

void TestCommandLine::parserMessages_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("complaint");
    QTest::addColumn<QStringList>("files");

    QTest::newRow("lonely hyphen first") << QStringList({"-", "later"})
                                         << QStringLiteral("Bad argument 1: lonely hyphen") << QStringList();
    QTest::newRow("lonely hyphen after a file")
        << QStringList({"file", "-"}) << QStringLiteral("Bad argument 2: lonely hyphen") << QStringList({"file"});
    QTest::newRow("empty arguments still count")
        << QStringList({"", "", "-"}) << QStringLiteral("Bad argument 3: lonely hyphen") << QStringList();
    QTest::newRow("unknown long stops the loop") << QStringList({"--nope", "after"})
                                                 << QStringLiteral("Unknown long argument 1: --nope") << QStringList();
    QTest::newRow("long with equals is unknown")
        << QStringList({"x", "--open=y"}) << QStringLiteral("Unknown long argument 2: --open=y") << QStringList({"x"});
    QTest::newRow("long names are case-sensitive")
        << QStringList({"--Open"}) << QStringLiteral("Unknown long argument 1: --Open") << QStringList();
    QTest::newRow("unknown short skips its cluster, not the rest")
        << QStringList({"-oq", "after"}) << QStringLiteral("Unknown short argument 1.2: q") << QStringList({"after"});
}

void TestCommandLine::parserMessages()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, complaint);
    QFETCH(QStringList, files);

    arguments.prepend(QStringLiteral("lineweld"));
    CommandLineHandler handler;
    MessageCapture capture;
    QVERIFY(!handler.parse(arguments));
    QStringList expected = helpLines;
    expected.prepend(complaint);
    QCOMPARE(capture.messages().join(QLatin1Char('\n')).split(QLatin1Char('\n')), expected);
    QCOMPARE(handler.files(), files);
    QVERIFY(handler.helpRequested());
}

void TestCommandLine::parserHelpAlignsOnLongestName()
{
    CommandLineParser parser;
    parser.addOption(nullptr, nullptr, QChar(), QStringLiteral("--x"), QStringLiteral("no short form"));
    parser.addOption(nullptr, nullptr, QLatin1Char('q'), QStringLiteral("--quiet"), QStringLiteral("quiet"));
    MessageCapture capture;
    QVERIFY(!parser.parse({QStringLiteral("p"), QStringLiteral("-h")}));
    QCOMPARE(capture.messages(), QStringList({QStringLiteral("Usage:\n  p [options] [files...]\n\nOptions:"),
                                              QStringLiteral("  -h --help  : Display this help"),
                                              QStringLiteral("     --x     : no short form"),
                                              QStringLiteral("  -q --quiet : quiet"), QString()}));
}

void TestCommandLine::handlerFlags_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("goOn");
    QTest::addColumn<bool>("quit");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QStringList>("files");

    QTest::newRow("nothing") << QStringList() << true << false << false << QStringList();
    QTest::newRow("open then files") << QStringList({"a", "--open", "b"}) << true << false << true
                                     << QStringList({"a", "b"});
    QTest::newRow("short open") << QStringList({"-o", "a"}) << true << false << true << QStringList({"a"});
    QTest::newRow("version after double hyphen is a file")
        << QStringList({"--", "-v"}) << true << false << false << QStringList({"-v"});
    QTest::newRow("version") << QStringList({"-v"}) << true << true << false << QStringList();
    QTest::newRow("unknown long before version") << QStringList({"--zz", "-v"}) << false << false << false
                                                 << QStringList();
    QTest::newRow("unknown letter skips the v of its cluster")
        << QStringList({"-qv"}) << false << false << false << QStringList();
}

void TestCommandLine::handlerFlags()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, goOn);
    QFETCH(bool, quit);
    QFETCH(bool, open);
    QFETCH(QStringList, files);

    arguments.prepend(QStringLiteral("lineweld"));
    MessageCapture capture;
    CommandLineHandler handler;
    QCOMPARE(handler.parse(arguments), goOn);
    QCOMPARE(handler.quitRequested(), quit);
    QCOMPARE(handler.openRequested(), open);
    QCOMPARE(handler.files(), files);
}

void TestCommandLine::versionPrintedOnce()
{
    MessageCapture capture;
    CommandLineHandler handler;
    QVERIFY(handler.parse({QStringLiteral("lineweld"), QStringLiteral("-vv"), QStringLiteral("--version")}));
    QVERIFY(handler.quitRequested());
    QCOMPARE(capture.messages().size(), 1);
    QVERIFY(capture.messages().first().startsWith(versionLine));
    QVERIFY(capture.messages().first().size() > versionLine.size());
}

void TestCommandLine::executable_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("expected");
    // The version line ends in a notice whose wording is free; only its start is compared.
    QTest::addColumn<bool>("version");

    QTest::newRow("--help") << QStringList({"--help"}) << helpLines << false;
    QTest::newRow("-h") << QStringList({"-h"}) << helpLines << false;
    QTest::newRow("unknown letter then h")
        << QStringList({"-qh"}) << QStringList(QStringList{"Unknown short argument 1.1: q"} + helpLines) << false;
    QTest::newRow("-v and --version") << QStringList({"-v", "--version"}) << QStringList() << true;
    QTest::newRow("lonely hyphen") << QStringList({"-"})
                                   << QStringList(QStringList{"Bad argument 1: lonely hyphen"} + helpLines) << false;
    QTest::newRow("lonely hyphen after a file")
        << QStringList({"file.s", "-"}) << QStringList(QStringList{"Bad argument 2: lonely hyphen"} + helpLines)
        << false;
    QTest::newRow("unknown long then -v")
        << QStringList({"--zz", "-v"}) << QStringList(QStringList{"Unknown long argument 1: --zz"} + helpLines)
        << false;
    QTest::newRow("unknown letter then v")
        << QStringList({"-qv"}) << QStringList(QStringList{"Unknown short argument 1.1: q"} + helpLines) << false;
    QTest::newRow("empty argument counts")
        << QStringList({"", "--zz"}) << QStringList(QStringList{"Unknown long argument 2: --zz"} + helpLines)
        << false;
}

void TestCommandLine::executable()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, expected);
    QFETCH(bool, version);

    QTemporaryDir home;
    QVERIFY(home.isValid());
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());

    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(m_program, arguments);
    QVERIFY(process.waitForStarted());
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        QFAIL("the program did not end by itself");
    }
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(process.readAllStandardOutput().isEmpty());

    QString errors = QString::fromUtf8(process.readAllStandardError());
    if (errors.endsWith(QLatin1Char('\n')))
        errors.chop(1);
    const QStringList lines = errors.split(QLatin1Char('\n'));
    if (version) {
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith(versionLine), qPrintable(lines.first()));
    } else {
        QCOMPARE(lines, expected);
    }

    // None of these runs gets as far as the settings store.
    QDirIterator it(home.path(), QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    QStringList written;
    while (it.hasNext())
        written.append(it.next());
    QVERIFY2(written.isEmpty(), qPrintable(written.join(QLatin1Char(' '))));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
