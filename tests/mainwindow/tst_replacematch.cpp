// Replace Match as the window runs it: stopped by F6 again or by closing the window, and a pattern on
// which the matcher gives up reported rather than passed off as a complete result.

#include "TestSupport.h"
#include "mainwindow/WindowTest.h"

#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "mainwindow/MainWindow.h"

#include <QtTest>
#include <QtWidgets>

class TestReplaceMatch : public WindowTest
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    void stops_data()
    {
        QTest::addColumn<bool>("close");
        QTest::addRow("F6 again") << false;
        QTest::addRow("window closed") << true;
    }

    void stops()
    {
        QFETCH(bool, close);
        const QString text = QString(50000, QLatin1Char('a'));
        setColumn(QStringLiteral("b"), QStringLiteral("a"));
        editor("tpl")->loadText(text);
        // Events run before the first match, so the request comes in before anything is replaced.
        if (close)
            QTimer::singleShot(0, m_window, &QWidget::close);
        else
            QTimer::singleShot(0, action("actionReplace"), &QAction::trigger);
        action("actionReplace")->trigger();
        QCOMPARE(editor("result")->text(), text);
        QCOMPARE(action("actionStart")->isEnabled(), true);
        QCOMPARE(action("actionReplace")->isEnabled(), true);
        QCOMPARE(m_window->isVisible(), !close);
        // The next run is not stopped by the last one's request.
        if (!close) {
            editor("tpl")->loadText(QStringLiteral("aa"));
            action("actionReplace")->trigger();
            QCOMPARE(editor("result")->text(), QStringLiteral("b"));
        }
    }

    void tooComplexSaid()
    {
        // Backtracking over the run of a's exhausts the matcher before the last 'e'.
        const QString text = QStringLiteral("e e e ") + QString(40, QLatin1Char('a')) + QStringLiteral(" e");
        setColumn(QStringLiteral("X\nX\nX\nX"), QStringLiteral("(?:(a|aa)+d|e)"));
        editor("tpl")->loadText(text);
        action("actionReplace")->trigger();
        QCOMPARE(editor("result")->text(),
                 QStringLiteral("X X X ") + QString(40, QLatin1Char('a')) + QStringLiteral(" e"));
        QCOMPARE(status().startsWith(QStringLiteral("Pattern too complex: (?:(a|aa)+d|e).")), true);
        // A pattern the matcher handles leaves no such message.
        m_window->statusBar()->clearMessage();
        setColumn(QStringLiteral("X"), QStringLiteral("e$"));
        action("actionReplace")->trigger();
        QCOMPARE(editor("result")->text(),
                 QStringLiteral("e e e ") + QString(40, QLatin1Char('a')) + QStringLiteral(" X"));
        QCOMPARE(status(), QString());
    }

private:
    void setColumn(const QString& text, const QString& snippet)
    {
        MetaManager* manager = m_window->metaManager();
        while (manager->count() > 1)
            manager->removeMeta(-1, MetaManager::KeepNumbers);
        manager->setMeta(0, text, snippet);
    }
};

QTEST_MAIN(TestReplaceMatch)
#include "tst_replacematch.moc"
