// The Match window reached through the main window: rows of matches in the grid, its messages, the
// preview kept or replaced safely, loading into columns, its settings and a close during a Find.

#include "CellRows.h"
#include "TestSupport.h"
#include "mainwindow/WindowTest.h"

#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "resources/Resources.h"
#include "settings/Preferences.h"
#include "tools/CellTable.h"
#include "tools/MatchDialog.h"
#include "tools/MatrixView.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "widgets/QComboBoxEx.h"

class TestMatchDialog : public WindowTest
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
        action("actionMatch")->trigger();
        m_dialog = m_window->findChild<MatchDialog*>();
        QVERIFY(m_dialog);
        QTRY_VERIFY(m_dialog->isVisible());
    }
    void cleanup()
    {
        m_dialog = nullptr;
        closeWindow();
    }

    // One row for each box, against one without it; what a pattern matches is the match rows' test.
    void rows_data()
    {
        QTest::addColumn<QString>("pattern");
        // Ticked boxes as letters: r remove duplicated columns, c match case, m multi-line.
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows");
        const auto row = [](const char* name, const char* pattern, const char* boxes, const char* text,
                            const QStringList& rows) {
            QTest::addRow("%s", name) << QString::fromLatin1(pattern) << QString::fromLatin1(boxes)
                                      << QString::fromLatin1(text) << rows;
        };
        row("groups", "(\\w+)=(\\d+)", "", "a=1\na=2", {"a=1|a|1", "a=2|a|2"});
        row("remove: the column of a goes", "(\\w+)=(\\d+)", "r", "a=1\na=2", {"a=1|1", "a=2|2"});
        row("optional group gives an empty cell", "(a)(b)?", "", "ab a", {"ab|a|b", "a|a|"});
        row("match case", "abc", "c", "ABC abc", {"abc"});
        row("^ at the start only", "^x.", "", "x1\nx2", {"x1"});
        row("^ at every line", "^x.", "m", "x1\nx2", {"x1", "x2"});
    }

    void rows()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, boxes);
        QFETCH(QString, text);
        QFETCH(QStringList, rows);
        box("ckbRemove")->setChecked(boxes.contains(QLatin1Char('r')));
        box("ckbMacthCase")->setChecked(boxes.contains(QLatin1Char('c')));
        box("ckbMultiLine")->setChecked(boxes.contains(QLatin1Char('m')));
        box("ckbDotAll")->setChecked(boxes.contains(QLatin1Char('s')));
        find(text, pattern);
        QVERIFY(m_dialog->table());
        QCOMPARE(rowsOf(*m_dialog->table()), rows);
        QCOMPARE(view()->table(), m_dialog->table());
        QCOMPARE(error(), QString());
    }

    void invalidPatternKeepsPreview()
    {
        find(QStringLiteral("a=1"), QStringLiteral("(\\w)=(\\d)"));
        const auto before = m_dialog->table();
        find(QStringLiteral("a=1"), QStringLiteral("(a"));
        QCOMPARE(error(), QStringLiteral("Find: Invalid regular expression."));
        QCOMPARE(m_dialog->table(), before);
        QCOMPARE(view()->table(), before);
        QCOMPARE(rowsOf(*before), QStringList{"a=1|a|1"});
    }

    // The grid must switch to the new empty table before the old one goes; painting it then reads
    // only live cells (the sanitizer build catches the other way round).
    void failedFindAfterSuccess()
    {
        find(QStringLiteral("a=1\nb=2"), QStringLiteral("(\\w)=(\\d)"));
        QCOMPARE(view()->model()->rowCount(), 2);
        view()->grab();
        find(QStringLiteral("a=1\nb=2"), QStringLiteral("zzz"));
        QCOMPARE(error(), QStringLiteral("Find: Can't find text \"zzz\""));
        QVERIFY(m_dialog->table());
        QCOMPARE(m_dialog->table()->rowCount(), 0);
        QCOMPARE(view()->table(), m_dialog->table());
        QCOMPARE(view()->model()->rowCount(), 0);
        QVERIFY(!view()->grab().isNull());
        // A later success clears the message.
        find(QStringLiteral("c=3"), QStringLiteral("(\\w)=(\\d)"));
        QCOMPARE(error(), QString());
    }

    void emptyPatternFocusesPatternBox()
    {
        find(QStringLiteral("a"), QString());
        QVERIFY(!m_dialog->table());
        QCOMPARE(error(), QString());
    }

    void loadIntoColumns()
    {
        find(QStringLiteral("a=1\nb=2"), QStringLiteral("(\\w)=(\\d)"));
        m_dialog->findChild<QPushButton*>(QStringLiteral("btnAppend"))->click();
        QVERIFY(!m_dialog->isVisible());
        const QList<Meta*> metas = m_window->metaManager()->metas();
        QStringList texts;
        for (Meta* meta : metas)
            texts.append(meta->text());
        QVERIFY2(texts.contains(QStringLiteral("a=1\nb=2")), qPrintable(texts.join(QLatin1Char('/'))));
        QVERIFY(texts.contains(QStringLiteral("a\nb")));
        QVERIFY(texts.contains(QStringLiteral("1\n2")));
    }

    void boxesWriteTheirKeys()
    {
        Preferences* p = Preferences::instance();
        const QList<QPair<const char*, std::function<bool()>>> stored{
            {"ckbRemove", [p] { return p->matchRemoveDuplicateColumns(); }},
            {"ckbMacthCase", [p] { return p->matchMatchCase(); }},
            {"ckbUnicode", [p] { return p->matchUnicode(); }},
            {"ckbMultiLine", [p] { return p->matchMultiLine(); }},
            {"ckbDotAll", [p] { return p->matchMatchNewLine(); }}};
        for (const auto& entry : stored) {
            QCheckBox* check = box(entry.first);
            const bool before = check->isChecked();
            QVERIFY2(entry.second() == before, entry.first);
            check->click();
            QVERIFY2(entry.second() == !before, entry.first);
        }
    }

    // A close while the Find runs ends it; the preview and the table stay as they were.
    void closeStopsFind()
    {
        find(QStringLiteral("x=0"), QStringLiteral("(\\w)=(\\d)"));
        const auto before = m_dialog->table();
        editorOf()->loadText(QStringLiteral("a=1\n").repeated(20000));
        QTimer::singleShot(0, m_dialog, &QDialog::close);
        button("btnStart")->click();
        QVERIFY(!m_dialog->isVisible());
        QVERIFY(!m_dialog->isRunning());
        QCOMPARE(m_dialog->table(), before);
        QCOMPARE(view()->table(), before);
        QVERIFY(button("btnStart")->isEnabled());
        // The pattern went into the history on the way.
        QCOMPARE(Preferences::instance()->matchFindWhat(), QStringLiteral("(\\w)=(\\d)"));
    }

private:
    QCheckBox* box(const char* name) const { return m_dialog->findChild<QCheckBox*>(QLatin1String(name)); }
    QPushButton* button(const char* name) const { return m_dialog->findChild<QPushButton*>(QLatin1String(name)); }
    Editor* editorOf() const { return m_dialog->findChild<Editor*>(QStringLiteral("textEdit")); }
    MatrixView* view() const { return m_dialog->findChild<MatrixView*>(QStringLiteral("tableView")); }
    QString error() const { return m_dialog->findChild<QLabel*>(QStringLiteral("lblError"))->text(); }
    void find(const QString& text, const QString& pattern)
    {
        editorOf()->loadText(text);
        m_dialog->findChild<QComboBoxEx*>(QStringLiteral("cbbFindWhat"))->setCurrentText(pattern);
        button("btnStart")->click();
    }

    MatchDialog* m_dialog = nullptr;
};

QTEST_MAIN(TestMatchDialog)
#include "tst_matchdialog.moc"
