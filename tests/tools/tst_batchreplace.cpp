// The batch-replace window as the main window brings it up: runs, the size limit, the result's view and
// undo, stops, copying, and opening and saving rules files, failures included.

#include "TestSupport.h"
#include "mainwindow/ModalAnswerer.h"
#include "mainwindow/WindowTest.h"

#include "tools/BatchReplace.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>

class TestBatchReplace : public WindowTest
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }
    void init()
    {
        openWindow();
        action("actionScript")->trigger();
        m_dialog = m_window->findChild<ScriptDialog*>();
        QVERIFY(m_dialog);
        QTRY_VERIFY(m_dialog->isVisible());
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Batch replace"));
    }
    void cleanup() { closeWindow(); }

    void runs_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("expected");
        QTest::addRow("chained") << "ab" << QStringLiteral("a <> b\nb <> c") << "cc";
        // Nothing to run on: the result keeps what it had.
        QTest::addRow("empty rules") << "abc" << QString() << "before";
        QTest::addRow("empty source") << "" << QStringLiteral("a <> b") << "before";
    }

    void runs()
    {
        QFETCH(QString, source);
        QFETCH(QString, rules);
        QFETCH(QString, expected);
        setText("resultEdit", QStringLiteral("before"));
        setText("sourceEdit", source);
        setText("ruleEdit", rules);
        button("btnRun")->click();
        QCOMPARE(edit("resultEdit")->text(), expected);
        QCOMPARE(edit("sourceEdit")->text(), source);
    }

    void sizeLimitIsAnError()
    {
        m_window->mergeEngine().setResultLimit(10);
        setText("sourceEdit", QStringLiteral("aaaa"));
        setText("ruleEdit", QStringLiteral("# grow\nb <> c\na <> aaa"));
        button("btnRun")->click();
        QCOMPARE(edit("resultEdit")->text(),
                 QStringLiteral("[Error]:the result would pass its size limit of 10 characters, in line 2"));
        QVERIFY(!m_dialog->isRunning());
    }

    void resultKeepsViewAndUndo()
    {
        // The user's own text in the result, part of it selected and scrolled down: the outcome replaces
        // all of it, the view stays, and one undo gives the user's text back.
        QStringList lines;
        for (int i = 0; i < 300; ++i)
            lines << QStringLiteral("line a%1").arg(i);
        const QString own = lines.join(QLatin1Char('\n'));
        Editor* result = edit("resultEdit");
        result->setWholeTextKeepView(own);
        result->setSel(0, 3);
        result->setFirstVisibleLine(120);
        const int firstVisible = result->firstVisibleLine();
        QVERIFY(firstVisible > 0);
        setText("sourceEdit", own);
        setText("ruleEdit", QStringLiteral("a <> b"));
        button("btnRun")->click();
        QCOMPARE(result->text(), QString(own).replace(QLatin1Char('a'), QLatin1Char('b')));
        QCOMPARE(result->firstVisibleLine(), firstVisible);
        result->undo();
        QCOMPARE(result->text(), own);
    }

    void stops_data()
    {
        QTest::addColumn<bool>("close");
        QTest::addRow("Run again") << false;
        QTest::addRow("window closed") << true;
    }

    void stops()
    {
        QFETCH(bool, close);
        setText("resultEdit", QStringLiteral("before"));
        setText("sourceEdit", QString(100000, QLatin1Char('a')));
        setText("ruleEdit", QStringLiteral("a <> b"));
        // Events run before the first search, so the request comes in before anything is replaced.
        if (close)
            QTimer::singleShot(0, m_dialog, &QWidget::close);
        else
            QTimer::singleShot(0, button("btnRun"), &QAbstractButton::click);
        button("btnRun")->click();
        QVERIFY(!m_dialog->isRunning());
        QCOMPARE(edit("resultEdit")->text(), QStringLiteral("before"));
        QCOMPARE(m_dialog->isVisible(), !close);
        // The next run is not stopped by the last one's request.
        setText("sourceEdit", QStringLiteral("aa"));
        button("btnRun")->click();
        QCOMPARE(edit("resultEdit")->text(), QStringLiteral("bb"));
    }

    void copiesResult()
    {
        setText("sourceEdit", QStringLiteral("one\ntwo"));
        setText("ruleEdit", QStringLiteral("o <> 0"));
        button("btnRun")->click();
        QApplication::clipboard()->clear();
        button("btnCopy")->click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("0ne\ntw0"));
        QVERIFY(!edit("resultEdit")->hasSelectedText());
    }

    void saveAsksOnceAndOnlySuccessCounts()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        setText("ruleEdit", QStringLiteral("a <> b"));
        {
            // A folder that does not exist: the save fails, is reported, and the path is not kept.
            ModalAnswerer answer(dir.filePath(QStringLiteral("missing/rules.txt")));
            button("btnSave")->click();
            QCOMPARE(answer.boxTitles(), QStringList{QStringLiteral("Error")});
            QCOMPARE(m_dialog->rulesPath(), QString());
        }
        const QString first = dir.filePath(QStringLiteral("first.txt"));
        {
            ModalAnswerer answer(first);
            button("btnSave")->click();
            QCOMPARE(answer.boxTitles(), QStringList());
        }
        QCOMPARE(TestSupport::readBytes(first), QByteArray("a <> b"));
        QCOMPARE(m_dialog->rulesPath(), first);
        // The second save writes to the same file without asking: a dialog would have taken other.txt.
        setText("ruleEdit", QStringLiteral("a <> c"));
        {
            ModalAnswerer answer(dir.filePath(QStringLiteral("other.txt")));
            button("btnSave")->click();
        }
        QCOMPARE(TestSupport::readBytes(first), QByteArray("a <> c"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("other.txt"))));
    }

    void openTakesFileOrChangesNothing()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString rules = dir.filePath(QStringLiteral("rules.txt"));
        QVERIFY(TestSupport::writeBytes(rules, "x <> y\n"));
        setText("ruleEdit", QStringLiteral("typed <> kept"));
        {
            // A FIFO cannot be read as a text file: reported, and neither the rules nor the path change.
            const QString fifo = dir.filePath(QStringLiteral("fifo.txt"));
            QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
            ModalAnswerer answer(fifo);
            button("btnOpen")->click();
            QCOMPARE(answer.boxTitles(), QStringList{QStringLiteral("Error")});
            QCOMPARE(edit("ruleEdit")->text(), QStringLiteral("typed <> kept"));
            QCOMPARE(m_dialog->rulesPath(), QString());
        }
        {
            ModalAnswerer answer(rules);
            button("btnOpen")->click();
            QCOMPARE(answer.boxTitles(), QStringList());
        }
        QCOMPARE(edit("ruleEdit")->text(), QStringLiteral("x <> y\n"));
        QCOMPARE(m_dialog->rulesPath(), rules);
        // The load is one undo step away from the typed rules.
        edit("ruleEdit")->undo();
        QCOMPARE(edit("ruleEdit")->text(), QStringLiteral("typed <> kept"));
        edit("ruleEdit")->redo();
        // Saving after an open writes back to the opened file.
        setText("ruleEdit", QStringLiteral("x <> z"));
        {
            ModalAnswerer answer(dir.filePath(QStringLiteral("other.txt")));
            button("btnSave")->click();
        }
        QCOMPARE(TestSupport::readBytes(rules), QByteArray("x <> z"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("other.txt"))));
    }

private:
    Editor* edit(const char* name) const { return m_dialog->findChild<Editor*>(QLatin1String(name)); }
    QToolButton* button(const char* name) const { return m_dialog->findChild<QToolButton*>(QLatin1String(name)); }
    void setText(const char* name, const QString& text) { edit(name)->setWholeTextKeepView(text); }

    ScriptDialog* m_dialog = nullptr;
};

QTEST_MAIN(TestBatchReplace)
#include "tst_batchreplace.moc"
