// The data generator dialog as the main window brings it up: records from random lines of every
// column, its count range, the progress bar of long runs, stops by button, close, Esc and the main
// window, closing after a run, and the size limit reported.

#include "TestSupport.h"
#include "mainwindow/WindowTest.h"

#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "engine/DataGeneratorDialog.h"
#include "settings/Preferences.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>

class TestDataGenerator : public WindowTest
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TestSupport::useTemporaryConfigHome();
        Preferences::instance()->setEditorEolFormat(EolUnix);
    }
    void init()
    {
        Preferences::instance()->setMiscCloseAfterDataGenerated(false);
        openWindow();
        MetaManager* manager = m_window->metaManager();
        while (manager->count() > 2)
            manager->removeMeta(-1, MetaManager::KeepNumbers);
        while (manager->count() < 2)
            manager->insertMeta(QString(), QString(), -1);
        manager->setMeta(0, QStringLiteral("a\nb\nc"), QStringLiteral("#1#"));
        manager->setMeta(1, QStringLiteral("x\ny"), QStringLiteral("#2#"));
        action("actionDataGeneral")->trigger();
        m_dialog = m_window->findChild<DataGeneratorDialog*>();
        QVERIFY(m_dialog);
        QTRY_VERIFY(m_dialog->isVisible());
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Data Generator"));
    }
    void cleanup() { closeWindow(); }

    void records_data()
    {
        QTest::addColumn<QString>("tpl");
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("secondTicked");
        QTest::addColumn<QString>("pattern"); // every record matches it
        QTest::addRow("many records") << "#1#-#2#" << 50 << true << "[abc]-[xy]";
        QTest::addRow("unticked column takes part") << "#1#-#2#" << 50 << false << "[abc]-[xy]";
        QTest::addRow("no snippet in the template") << "plain" << 5 << true << "plain";
    }

    void records()
    {
        QFETCH(QString, tpl);
        QFETCH(int, records);
        QFETCH(bool, secondTicked);
        QFETCH(QString, pattern);
        m_window->metaManager()->metas().at(1)->setChecked(secondTicked);
        editor("tpl")->setWholeTextKeepView(tpl);
        // What was there, partly selected, goes as a whole.
        Editor* result = editor("result");
        result->setWholeTextKeepView(QStringLiteral("old\ntext"));
        result->setSel(0, 2);
        count()->setValue(records);
        button("btnStart")->click();

        const QString text = result->text();
        QVERIFY(!text.endsWith(QLatin1Char('\n')));
        const QStringList lines = text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), records);
        const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern));
        for (const QString& line : lines)
            QVERIFY2(whole.match(line).hasMatch(), qPrintable(line));
        // Random lines: over many records more than one line of a column turns up.
        if (records >= 20 && pattern.contains(QLatin1Char('[')))
            QVERIFY(QSet<QString>(lines.begin(), lines.end()).size() > 1);
        QCOMPARE(button("btnStart")->text(), QStringLiteral("Start"));
        QVERIFY(m_dialog->isVisible());
    }

    void progressOfLongRuns()
    {
        editor("tpl")->setWholeTextKeepView(QStringLiteral("#1#"));
        QList<int> values;
        QList<bool> shown;
        onProgress([&](int value) {
            values << value;
            shown << bar()->isVisible();
        });
        count()->setValue(20000);
        button("btnStart")->click();
        values.removeAll(0); // the reset before the run, when the bar held something else
        QCOMPARE(values.size(), 100);
        QCOMPARE(values.first(), 200);
        QCOMPARE(values.last(), 20000);
        QVERIFY(!shown.contains(false));
        QVERIFY(!bar()->isVisible());
        QCOMPARE(editor("result")->lineCount(), 20000);

        // A short run advances the bar out of sight.
        shown.clear();
        count()->setValue(10000);
        button("btnStart")->click();
        QVERIFY(!shown.isEmpty());
        QVERIFY(!shown.contains(true));
        QCOMPARE(editor("result")->lineCount(), 10000);
    }

    void stops_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addRow("Stop button") << "button";
        QTest::addRow("close") << "close";
        QTest::addRow("Esc") << "esc";
        QTest::addRow("main window closed") << "window";
    }

    void stops()
    {
        // The stop comes in as the bar reaches 30000 records; the run ends before the next record and
        // shows the ones it built.
        QFETCH(QString, how);
        editor("tpl")->setWholeTextKeepView(QStringLiteral("#1##2#"));
        onProgress([&](int value) {
            if (value != 30000)
                return;
            if (how == QLatin1String("button"))
                button("btnStart")->click();
            else if (how == QLatin1String("close"))
                m_dialog->close();
            else if (how == QLatin1String("esc"))
                QTest::keyClick(m_dialog, Qt::Key_Escape);
            else
                m_window->close();
        });
        count()->setValue(1000000);
        button("btnStart")->click();
        QVERIFY(!m_dialog->isRunning());
        QCOMPARE(editor("result")->lineCount(), 30000);
        QCOMPARE(button("btnStart")->text(), QStringLiteral("Start"));
        if (how == QLatin1String("window"))
            return;
        QVERIFY(m_dialog->isVisible());
        // Idle, the same request closes the dialog.
        if (how == QLatin1String("esc"))
            QTest::keyClick(m_dialog, Qt::Key_Escape);
        else
            m_dialog->close();
        QVERIFY(!m_dialog->isVisible());
        // The next run is not stopped by the last one's request.
        bar()->disconnect(m_dialog);
        action("actionDataGeneral")->trigger();
        count()->setValue(40000);
        button("btnStart")->click();
        QCOMPARE(editor("result")->lineCount(), 40000);
    }

    void closesAfterRunWhenAsked()
    {
        Preferences::instance()->setMiscCloseAfterDataGenerated(true);
        editor("tpl")->setWholeTextKeepView(QStringLiteral("#1#"));
        count()->setValue(3);
        button("btnStart")->click();
        QCOMPARE(editor("result")->lineCount(), 3);
        QVERIFY(!m_dialog->isVisible());
        // Also after a stopped run.
        action("actionDataGeneral")->trigger();
        QTRY_VERIFY(m_dialog->isVisible());
        onProgress([&](int value) {
            if (value == 20000)
                button("btnStart")->click();
        });
        count()->setValue(100000);
        button("btnStart")->click();
        QCOMPARE(editor("result")->lineCount(), 20000);
        QVERIFY(!m_dialog->isVisible());
    }

    void sizeLimitReported()
    {
        m_window->mergeEngine().setResultLimit(20);
        editor("tpl")->setWholeTextKeepView(QStringLiteral("#1#"));
        count()->setValue(100);
        button("btnStart")->click();
        // Records "a" to "c" of one character each, joined by LF: ten fit into twenty characters.
        QCOMPARE(editor("result")->text().size(), 19);
        QVERIFY2(status().contains(QStringLiteral("size limit")), qPrintable(status()));
        // A run that fits says nothing of the kind.
        m_window->statusBar()->clearMessage();
        count()->setValue(5);
        button("btnStart")->click();
        QCOMPARE(status(), QString());
    }

private:
    QSpinBox* count() const { return m_dialog->findChild<QSpinBox*>(QStringLiteral("sbCount")); }
    QPushButton* button(const char* name) const { return m_dialog->findChild<QPushButton*>(QLatin1String(name)); }
    QProgressBar* bar() const { return m_dialog->findChild<QProgressBar*>(QStringLiteral("progressBar")); }
    // Calls step with each value the progress bar takes during the next run.
    void onProgress(const std::function<void(int)>& step)
    {
        connect(bar(), &QProgressBar::valueChanged, m_dialog, step);
    }

    DataGeneratorDialog* m_dialog = nullptr;
};

QTEST_MAIN(TestDataGenerator)
#include "tst_datagenerator.moc"
