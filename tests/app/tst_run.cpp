// lineweld-run as a shell user meets it: its exit statuses and messages, columns read from files, the
// preferences it follows, random records, and an output file that is complete or not there at all.

#include "RunSupport.h"
#include "TestSupport.h"

#include <QtTest>

#include <csignal>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace RunSupport;

class TestRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TestSupport::useTemporaryConfigHome();
        QVERIFY(m_dir.isValid());
        m_template = path(QStringLiteral("t.s"));
        QVERIFY(writeTemplate(m_template, QStringLiteral("[#1#|#2#]"),
                              {{QStringLiteral("a\nb"), QStringLiteral("#1#")}, {QString(), QStringLiteral("#2#")}}));
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder")));
        QVERIFY(TestSupport::writeBytes(path(QStringLiteral("utf16.txt")), QByteArray("\xff\xfex\0", 4)));
    }

    void init() { setPreferences(false, 1); }

    void errors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString t = QStringLiteral("{dir}/t.s");
        QTest::addRow("missing template")
            << QStringList{"{dir}/none.s"} << 1 << "lineweld-run: cannot read {dir}/none.s: no such file\n";
        QTest::addRow("template is a folder")
            << QStringList{"{dir}/folder"} << 1 << "lineweld-run: cannot read {dir}/folder: it is a folder\n";
        QTest::addRow("missing column file") << QStringList{"-c", "2={dir}/none.txt", t} << 1
                                             << "lineweld-run: cannot read column 2 from {dir}/none.txt: No such file "
                                                "or directory\n";
        QTest::addRow("column file is a folder")
            << QStringList{"-c", "1={dir}/folder", t} << 1
            << "lineweld-run: cannot read column 1 from {dir}/folder: is a folder\n";
        QTest::addRow("column is a device") << QStringList{"-c", "1=/dev/null", t} << 1
                                            << "lineweld-run: cannot read column 1 from /dev/null: not a regular file "
                                               "or a pipe\n";
        QTest::addRow("UTF-16 column") << QStringList{"-c", "1={dir}/utf16.txt", t} << 1
                                       << "lineweld-run: cannot read column 1 from {dir}/utf16.txt: UTF-16 and UTF-32 "
                                          "column files are not supported; convert it to UTF-8\n";
        QTest::addRow("output is a folder")
            << QStringList{"-o", "{dir}/folder", t} << 1 << "lineweld-run: cannot write {dir}/folder: it is a folder\n";
        QTest::addRow("output folder missing")
            << QStringList{"-o", "{dir}/none/r.txt", t} << 1 << "lineweld-run: cannot write {dir}/none/r.txt: ";
        QTest::addRow("bad usage") << QStringList{"-n", "x", t} << 2
                                   << "lineweld-run: --random takes a count of at least 1, not \"x\"\n\nUsage: "
                                      "lineweld-run [options] TEMPLATE.s\n";
    }

    void errors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        arguments.replaceInStrings(QStringLiteral("{dir}"), m_dir.path());
        message.replace(QStringLiteral("{dir}"), m_dir.path());
        const Result result = run(arguments);
        QCOMPARE(result.status, QProcess::NormalExit);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2(result.err.startsWith(message.toUtf8()), result.err.constData());
        QCOMPARE(result.out, QByteArray());
    }

    void failedRunKeepsOutput()
    {
        const QString output = path(QStringLiteral("kept.txt"));
        QVERIFY(TestSupport::writeBytes(output, "old"));
        const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
        QCOMPARE(run({QStringLiteral("-o"), output, QStringLiteral("-c"), QStringLiteral("1=") + path("none.txt"),
                      m_template})
                     .exitCode,
                 1);
        QCOMPARE(TestSupport::readBytes(output), QByteArray("old"));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
        // A run that succeeds replaces it.
        QCOMPARE(run({QStringLiteral("-o"), output, m_template}).exitCode, 0);
        QCOMPARE(TestSupport::readBytes(output), QByteArray("[a|]\n[b|]"));
    }

    void columnFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("expected");
        QTest::addRow("final break ends the last line") << QByteArray("x\ny\n") << QByteArray("[a|x]\n[b|y]");
        QTest::addRow("CR LF and lone CR") << QByteArray("x\r\ny\rz") << QByteArray("[a|x]\n[b|y]\n[|z]");
        QTest::addRow("NUL ends a line's text") << QByteArray("x\0q\ny", 5) << QByteArray("[a|x]\n[b|y]");
        QTest::addRow("UTF-8 mark, ANSI result")
            << QByteArray("\xef\xbb\xbf\xc3\xa9\xe2\x82\xac") << QByteArray("[a|\xe9?]\n[b|]");
        QTest::addRow("empty file") << QByteArray() << QByteArray("[a|]\n[b|]");
        QTest::addRow("more lines than the template's")
            << QByteArray("1\n2\n3\n4") << QByteArray("[a|1]\n[b|2]\n[|3]\n[|4]");
    }

    void columnFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, expected);
        const QString column = path(QStringLiteral("column.txt"));
        QVERIFY(TestSupport::writeBytes(column, content));
        const Result result = run({QStringLiteral("--column"), QStringLiteral("2=") + column, m_template});
        QCOMPARE(result.err, QByteArray());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, expected);
    }

    void columnFromPipe()
    {
        // A column past the template file's own two: the ones between take a new column's defaults.
        QVERIFY(writeTemplate(path(QStringLiteral("p.s")), QStringLiteral("#1#-#4#"), {{QStringLiteral("a"), "#1#"}}));
        const QString fifo = path(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        std::thread writer([&fifo] {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
            if (fd >= 0) {
                const char text[] = "p\nq\n";
                [[maybe_unused]] const ssize_t n = ::write(fd, text, sizeof text - 1);
                ::close(fd);
            }
        });
        const Result result = run({QStringLiteral("-c"), QStringLiteral("4=") + fifo, path(QStringLiteral("p.s"))});
        writer.join();
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QByteArray("a-p\n-q"));
    }

    void preferences_data()
    {
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<int>("eolFormat");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray utf8 = "\xc3\xa9\xe2\x82\xac";
        QTest::addRow("ANSI, Unix") << false << 1 << QStringList() << QByteArray("<\xe9?|x>\n<|y>");
        QTest::addRow("UTF-8, Windows") << true << 0 << QStringList() << "<" + utf8 + "|x>\r\n<|y>";
        QTest::addRow("Mac preference") << true << 2 << QStringList() << "<" + utf8 + "|x>\r<|y>";
        QTest::addRow("--eol over the preference")
            << true << 0 << QStringList{"--eol", "unix"} << "<" + utf8 + "|x>\n<|y>";
        QTest::addRow("--single-line") << false << 0 << QStringList{"--single-line"} << QByteArray("<\xe9?|x><|y>");
    }

    void preferences()
    {
        QFETCH(bool, unicode);
        QFETCH(int, eolFormat);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, expected);
        // The prefix and suffix preferences give the snippets of columns the file does not name.
        setPreferences(unicode, eolFormat);
        {
            QSettings settings(settingsPath(), QSettings::IniFormat);
            settings.setValue(QStringLiteral("Columns/Prefix"), QStringLiteral("$"));
        }
        const QString file = path(QStringLiteral("prefs.s"));
        QVERIFY(TestSupport::writeBytes(file, "[global]\ntemplate=<$1#|$2#>\nmetacounts=2\n[column0]\n"
                                              "content=\"\\x00e9\\x20ac\"\n[column1]\ncontent=x\\ny\n"));
        const Result result = run(options << file);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, expected);
    }

    void randomRecords()
    {
        const QStringList records =
            QString::fromLatin1(run({QStringLiteral("-n"), QStringLiteral("500"), m_template}).out).split('\n');
        QCOMPARE(records.size(), 500);
        // Both columns take part; the empty second column gives its one empty line.
        QCOMPARE(QSet<QString>(records.begin(), records.end()), (QSet<QString>{"[a|]", "[b|]"}));
        const Result single = run({QStringLiteral("--single-line"), QStringLiteral("--random=3"), m_template});
        QCOMPARE(single.out.size(), 3 * 4);
    }

    void interruptLeavesNoFile()
    {
        QTemporaryDir dir;
        const QString output = dir.filePath(QStringLiteral("big.txt"));
        QProcess process;
        process.start(QStringLiteral(LINEWELD_RUN_EXECUTABLE),
                      {QStringLiteral("--progress"), QStringLiteral("-n"), QStringLiteral("2000000000"),
                       QStringLiteral("-o"), output, m_template});
        QVERIFY(process.waitForStarted());
        // The first progress report says that records are being written.
        QByteArray progress;
        QTRY_VERIFY_WITH_TIMEOUT((progress += process.readAllStandardError()).contains("records/s"), 60000);
        QCOMPARE(::kill(pid_t(process.processId()), SIGINT), 0);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
    QString m_template;
};

QTEST_GUILESS_MAIN(TestRun)
#include "tst_run.moc"
