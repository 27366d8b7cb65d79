// The Set window reached through the main window: the regions written to the result, the page that
// the ticked, non-empty columns allow, reloads, and the sets kept safe while work is under way.

#include "TestSupport.h"
#include "mainwindow/WindowTest.h"

#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "resources/Resources.h"
#include "settings/Preferences.h"
#include "tools/DiffDialog.h"

#include <QToolBox>
#include <QToolButton>
#include <QtTest>

class TestSetDialog : public WindowTest
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TestSupport::useTemporaryConfigHome();
        lineweldInitResources();
    }
    void init()
    {
        openWindow();
        m_dialog = m_window->findChild<DiffDialog*>();
        QVERIFY(m_dialog);
    }
    void cleanup()
    {
        m_dialog = nullptr;
        closeWindow();
    }

    // One row a button of the regions; what a set operation gives is the set engine's test.
    void results_data()
    {
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("result");
        const auto row = [](const char* name, const QStringList& columns, const char* button, const char* result) {
            QTest::addRow("%s", name) << columns << QString::fromLatin1(button) << QString::fromLatin1(result);
        };
        const QStringList two{"a\nb\nb", "b\nc"};
        row("2: intersection", two, "tb211", "b");
        row("2: union in first-appearance order", two, "tb212", "a\nb\nc");
        row("2: S1 - S2", two, "tb213", "a");
        row("2: S2 - S1", two, "tb214", "c");
        const QStringList three{"a\nb\nc\nd", "b\nc\ne", "c\nd\ne\nf"};
        row("3: only in S2 and S3", three, "tb321", "e");
        row("3: only in S1 and S3", three, "tb314", "d");
        row("3: only in S3", three, "tb324", "f");
        const QStringList four{"a\nab\nabd\nabcd", "b\nab\nabd\nabcd\nbc", "c\nabcd\nbc\ncd", "d\nabd\nabcd\ncd"};
        row("4: intersection", four, "tb411", "abcd");
        row("4: only in S3 and S4", four, "tb431", "cd");
        row("4: only in S2 and S3", four, "tb433", "bc");
        row("4: only in S1, S2 and S4", four, "tb442", "abd");
        row("4: only in S4", four, "tb422", "d");
        row("4: union", four, "tb412", "a\nab\nabd\nabcd\nb\nbc\nc\ncd\nd");
    }

    void results()
    {
        QFETCH(QStringList, columns);
        QFETCH(QString, button);
        QFETCH(QString, result);
        setColumns(columns);
        openDialog(columns.size());
        click(button);
        QCOMPARE(resultText(), result);
    }

    // The single-column page joins with the preferred line break.
    void oneColumn_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("lines");
        QTest::addRow("remove repetition") << "tb111" << QStringList{"a", "b"};
        QTest::addRow("reserve repetition") << "tb112" << QStringList{"a"};
    }
    void oneColumn()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, lines);
        setColumns({"a\na\nb"});
        openDialog(1);
        click(button);
        QCOMPARE(resultText(), lines.join(Preferences::instance()->eolString()));
    }

    void pageFollowsColumns_data()
    {
        QTest::addColumn<QStringList>("columns");
        // Per column: whether it is ticked.
        QTest::addColumn<QList<bool>>("ticked");
        QTest::addColumn<int>("page");
        QTest::addRow("empty column left out") << QStringList{"a", "", "b"} << QList<bool>{true, true, true} << 2;
        QTest::addRow("unticked column left out") << QStringList{"a", "b", "c"} << QList<bool>{true, false, true} << 2;
        QTest::addRow("three columns") << QStringList{"a", "b", "c"} << QList<bool>{true, true, true} << 3;
        QTest::addRow("none") << QStringList{"", "x"} << QList<bool>{true, false} << 0;
    }
    void pageFollowsColumns()
    {
        QFETCH(QStringList, columns);
        QFETCH(QList<bool>, ticked);
        QFETCH(int, page);
        setColumns(columns);
        for (int i = 0; i < ticked.size(); ++i)
            manager()->metaAt(i)->setChecked(ticked.at(i));
        action("actionDiff")->trigger();
        QTRY_COMPARE(m_dialog->engineColumns(), page);
        QTRY_VERIFY(!m_dialog->isBusy());
        for (int i = 0; i < 4; ++i)
            QCOMPARE(toolBox()->isItemEnabled(i), i + 1 == page);
    }

    void reloads()
    {
        setColumns({"a\nb", "b"});
        openDialog(2);
        click("tb211");
        QCOMPARE(resultText(), QStringLiteral("b"));
        // Typed while hidden: seen at the next showing.
        m_dialog->close();
        manager()->setMeta(1, QStringLiteral("a"), QStringLiteral("#2#"));
        openDialog(2);
        click("tb211");
        QCOMPARE(resultText(), QStringLiteral("a"));
        // A column added while it is open moves it to the next page.
        manager()->insertMeta(QStringLiteral("a\nz"), QString(), -1);
        QTRY_VERIFY(toolBox()->isItemEnabled(2));
        QTRY_COMPARE(toolBox()->currentIndex(), 2);
        click("tb311");
        QCOMPARE(resultText(), QStringLiteral("a"));
    }

    // While the columns are read no click computes anything and a reload waits for the end of the
    // one under way, which then runs on the new columns.
    void busyKeepsSetsInUse()
    {
        setColumns({"a\na\nb"});
        openDialog(1);
        editor("result")->loadText(QStringLiteral("untouched"));
        bool busy = false;
        bool boxEnabled = true;
        QString resultDuringLoad;
        QTimer::singleShot(0, m_dialog, [&] {
            busy = m_dialog->isBusy();
            boxEnabled = toolBox()->isEnabled();
            m_dialog->on_tb112_clicked();
            m_dialog->on_tb112_clicked();
            resultDuringLoad = resultText();
            // Brings a reload while this one still reads the columns it listed before.
            manager()->insertMeta(QStringLiteral("b\nc"), QString(), -1);
        });
        m_dialog->load();
        QVERIFY(busy);
        QVERIFY(!boxEnabled);
        QCOMPARE(resultDuringLoad, QStringLiteral("untouched"));
        QTRY_COMPARE(m_dialog->engineColumns(), 2);
        QTRY_VERIFY(!m_dialog->isBusy());
        QVERIFY(toolBox()->isEnabled());
        click("tb211");
        QCOMPARE(resultText(), QStringLiteral("b"));
    }

private:
    MetaManager* manager() const { return m_window->metaManager(); }
    QToolBox* toolBox() const { return m_dialog->findChild<QToolBox*>(QStringLiteral("toolBox")); }
    QString resultText() const { return editor("result")->text(); }
    void setColumns(const QStringList& texts)
    {
        while (manager()->count() > texts.size())
            manager()->removeMeta(-1, MetaManager::KeepNumbers);
        for (int i = 0; i < texts.size(); ++i)
            manager()->setMeta(i, texts.at(i), QStringLiteral("#%1#").arg(i + 1));
    }
    void openDialog(int page)
    {
        action("actionDiff")->trigger();
        QTRY_VERIFY(m_dialog->isVisible());
        QTRY_VERIFY(toolBox()->isItemEnabled(page - 1));
        QTRY_VERIFY(!m_dialog->isBusy());
        QCOMPARE(toolBox()->currentIndex(), page - 1);
    }
    void click(const QString& button)
    {
        QToolButton* b = m_dialog->findChild<QToolButton*>(button);
        QVERIFY2(b, qPrintable(button));
        b->click();
    }

    DiffDialog* m_dialog = nullptr;
};

QTEST_MAIN(TestSetDialog)
#include "tst_setdialog.moc"
