// lineweld-run side by side with the window: the same template file and preferences give, byte for
// byte, what F5 or F6 puts into the result editor.

#include "../app/RunSupport.h"
#include "TestSupport.h"
#include "engine/QTemplate.h"
#include "mainwindow/WindowTest.h"

#include "settings/Preferences.h"

#include <QtTest>

class TestRunWindow : public WindowTest
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TestSupport::useTemporaryConfigHome();
        // The program's identity, so that the window's settings are the file the runner reads.
        QCoreApplication::setOrganizationDomain(QStringLiteral("Vardel"));
        QCoreApplication::setApplicationName(QStringLiteral("Lineweld"));
        QVERIFY(m_dir.isValid());
        // Four columns: CR LF and lone CR breaks, text outside Latin-1 (a character beyond the BMP
        // too), a column the template names twice, one whose snippet it does not name, a final break.
        const QString nonAscii = QStringLiteral("Zoë\r\n東京\r\nGrüße 😀\r\n");
        QVERIFY(RunSupport::writeTemplate(
            m_dir.filePath(QStringLiteral("four.s")), QStringLiteral("#1#: #2# (#3#, #1#) «€»\n\tend"),
            {{QStringLiteral("ana\r\nbo\rcy\r\n"), QStringLiteral("#1#")},
             {nonAscii, QStringLiteral("#2#")},
             {QStringLiteral("x\ny"), QStringLiteral("#3#")},
             {QStringLiteral("unused\nlines\nhere\n1\n2\n3\n4"), QStringLiteral("#4#")}}));
        QVERIFY(RunSupport::writeTemplate(m_dir.filePath(QStringLiteral("single.s")), QStringLiteral("<#1#>"),
                                          {{QStringLiteral("p\nq\nr"), QStringLiteral("#1#")}}, false));
        QVERIFY(RunSupport::writeTemplate(m_dir.filePath(QStringLiteral("replace.s")),
                                          QStringLiteral("id=7 id=8 n=1 2 3 ü"),
                                          {{QStringLiteral("A\nB"), QStringLiteral("id=(\\d+)")},
                                           {QStringLiteral("€\nÜ"), QStringLiteral("\\b\\d\\b")}}));
        // Escaped and padded columns, the way the window stores them.
        const QString formatted = m_dir.filePath(QStringLiteral("formats.s"));
        QVERIFY(RunSupport::writeTemplate(formatted, QStringLiteral("('#1#', #2#, \"#3#\")"),
                                          {{QStringLiteral("O'Brien\nsay \"hi\""), QStringLiteral("#1#")},
                                           {QStringLiteral("7\n-12"), QStringLiteral("#2#")},
                                           {QStringLiteral("a\tb\n\\"), QStringLiteral("#3#")}}));
        QTemplate file(formatted);
        ValueFormat sql;
        sql.escape = ValueEscape::Sql;
        ValueFormat zeros;
        zeros.width = 5;
        zeros.align = ValueFormat::AlignRight;
        zeros.pad = QLatin1Char('0');
        ValueFormat json;
        json.escape = ValueEscape::Json;
        json.width = 4;
        file.setColumnFormats({sql, zeros, json});
        QVERIFY(file.sync());
    }

    void sameBytes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<int>("eolFormat");
        QTest::addColumn<bool>("replace");
        const QString sample = QStringLiteral(LINEWELD_SOURCE_DIR "/examples/sample.s");
        QTest::addRow("sample, Windows breaks") << sample << false << int(EolWindows) << false;
        QTest::addRow("four columns, ANSI") << "four.s" << false << int(EolUnix) << false;
        QTest::addRow("four columns, UTF-8, Mac breaks") << "four.s" << true << int(EolMac) << false;
        QTest::addRow("multi-line off") << "single.s" << true << int(EolWindows) << false;
        QTest::addRow("Replace Match, UTF-8") << "replace.s" << true << int(EolUnix) << true;
        QTest::addRow("Replace Match on four columns") << "four.s" << true << int(EolUnix) << true;
        QTest::addRow("escaped and padded columns") << "formats.s" << true << int(EolUnix) << false;
        QTest::addRow("escaped and padded, Replace Match") << "formats.s" << false << int(EolWindows) << true;
    }

    void sameBytes()
    {
        QFETCH(QString, file);
        QFETCH(bool, unicode);
        QFETCH(int, eolFormat);
        QFETCH(bool, replace);
        const QString path = QDir(m_dir.path()).absoluteFilePath(file);
        Preferences* preferences = Preferences::instance();
        // Before the window exists, so that its editors start in that encoding.
        preferences->setEditorUnicode(unicode);
        preferences->setEditorEolFormat(EolFormat(eolFormat));
        QSettings().sync(); // the runner reads the settings file

        openWindow();
        m_window->openFile(path);
        action(replace ? "actionReplace" : "actionStart")->trigger();
        Editor* result = editor("result");
        const QByteArray shown(result->characterPointer(), result->textLength());
        closeWindow();
        // Equal bytes alone would also pass if both sides ignored the formats.
        if (file == QLatin1String("formats.s"))
            QVERIFY2(shown.startsWith("('O''Brien', 00007, \"a\\u0009b \")"), shown);

        const RunSupport::Result run =
            RunSupport::run(replace ? QStringList{QStringLiteral("-r"), path} : QStringList{path});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QVERIFY(!shown.isEmpty());
        QCOMPARE(run.out, shown);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestRunWindow)
#include "tst_runwindow.moc"
