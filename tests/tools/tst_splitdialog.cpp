// The split dialog: worked examples through its controls, the cell limit, loading into columns,
// a close during a split, the filter history and the main window's Split action.

#include "CellRows.h"
#include "TestSupport.h"
#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "editor/TextBytes.h"
#include "mainwindow/MainWindow.h"
#include "settings/Preferences.h"
#include "tools/CellTable.h"
#include "tools/MatrixModel.h"
#include "tools/MatrixView.h"
#include "tools/SplitDialog.h"
#include "widgets/QComboBoxEx.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <cstdio>

namespace {

template <typename T> T* child(const QWidget& w, const char* name)
{
    return w.findChild<T*>(QLatin1String(name));
}

// Fills the controls as the user would and presses "Go".
void go(SplitDialog& dialog, const QString& text, const QString& filter, bool wholeWord = false, int linesPerRow = 1,
        bool removeConstant = false)
{
    child<Editor>(dialog, "textEdit")->setWholeTextKeepView(text);
    child<QComboBoxEx>(dialog, "cbbFilter")->setCurrentText(filter);
    child<QCheckBox>(dialog, "ckbMatchWhole")->setChecked(wholeWord);
    child<QCheckBox>(dialog, "ckbRemove")->setChecked(removeConstant);
    child<QSpinBox>(dialog, "sbLinesPerUnit")->setValue(linesPerRow);
    QTest::mouseClick(child<QPushButton>(dialog, "btnStart"), Qt::LeftButton);
}

QStringList columnTexts(const MetaManager& manager)
{
    QStringList texts;
    for (Meta* meta : manager.metas())
        texts.append(meta->text());
    return texts;
}

} // namespace

class TestSplitDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }
    void init()
    {
        Preferences::instance()->setColumnsStartColumns(1);
        Preferences::instance()->setMiscClearColumnsBeforeLoad(false);
        Preferences::instance()->setEditorUnicode(true);
    }

    // The worked examples of the split, through the dialog's own controls.
    void examples_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<int>("linesPerRow");
        QTest::addColumn<bool>("removeConstant");
        QTest::addColumn<QStringList>("rows");
        const auto row = [](const char* name, const char* text, const char* filter, bool wholeWord, int linesPerRow,
                            bool removeConstant, const QStringList& rows) {
            QTest::addRow("%s", name) << QString::fromUtf8(text) << QString::fromUtf8(filter) << wholeWord
                                      << linesPerRow << removeConstant << rows;
        };
        row("short row padded", "a,b\nc", ",", false, 1, false, {"a|b", "c|"});
        row("adjacent separators count once", "a,,b", ",", false, 1, false, {"a|b"});
        row("whole word keeps the empty cell", "a,,b", ",", true, 1, false, {"a||b"});
        row("trailing separator", "x-y-", "-", false, 1, false, {"x|y|"});
        row("every character, space padded", "ab\nabcd", "", false, 1, false, {"a|b| | ", "a|b|c|d"});
        row("blank lines give no row", "a\n\n \t\nb", ",", false, 1, false, {"a", "b"});
        row("two lines a row on five", "1\n2\n3\n4\n5", ",", false, 2, false, {"1 2", "3 4", "5"});
        row("constant column removed", "k,1\nk,2", ",", false, 1, true, {"1", "2"});
        row("one row keeps its columns", "k,1", ",", false, 1, true, {"k|1"});
    }

    void examples()
    {
        QFETCH(QString, text);
        QFETCH(QString, filter);
        QFETCH(bool, wholeWord);
        QFETCH(int, linesPerRow);
        QFETCH(bool, removeConstant);
        QFETCH(QStringList, rows);
        SplitDialog dialog(nullptr);
        dialog.show();
        go(dialog, text, filter, wholeWord, linesPerRow, removeConstant);
        QVERIFY(dialog.table());
        QCOMPARE(rowsOf(*dialog.table()), rows);
        auto* view = child<MatrixView>(dialog, "tableView");
        QCOMPARE(view->table(), dialog.table());
        QCOMPARE(view->model()->rowCount(), rows.size());
        QVERIFY(dialog.focusWidget() == child<QComboBoxEx>(dialog, "cbbFilter") ||
                dialog.focusWidget()->parentWidget() == child<QComboBoxEx>(dialog, "cbbFilter"));
    }

    void linesPerRowFollowsTheText()
    {
        SplitDialog dialog(nullptr);
        auto* editor = child<Editor>(dialog, "textEdit");
        auto* lines = child<QSpinBox>(dialog, "sbLinesPerUnit");
        editor->setWholeTextKeepView(QStringLiteral("1\n2\n3\n4\n5"));
        QCOMPARE(lines->maximum(), 5);
        lines->setValue(5);
        editor->setWholeTextKeepView(QStringLiteral("1\n2"));
        QCOMPARE(lines->maximum(), 2);
    }

    void cellLimitKeepsThePreviousTable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("filter");
        const QString shortLines = QStringLiteral("ab\n").repeated(10000);
        QTest::addRow("no filter") << shortLines + QString(30000, QLatin1Char('x')) << QString();
        QTest::addRow("with a filter") << shortLines + QStringLiteral("a,").repeated(3000) << QStringLiteral(",");
    }
    void cellLimitKeepsThePreviousTable()
    {
        QFETCH(QString, text);
        QFETCH(QString, filter);
        SplitDialog dialog(nullptr);
        dialog.show();
        go(dialog, QStringLiteral("a,b"), QStringLiteral(","));
        const std::shared_ptr<CellTable> before = dialog.table();
        QVERIFY(before);
        QVERIFY(child<QLabel>(dialog, "lblStatus")->text().isEmpty());
        go(dialog, text, filter);
        QCOMPARE(dialog.table(), before);
        QCOMPARE(rowsOf(*before), QStringList{"a|b"});
        QCOMPARE(child<MatrixView>(dialog, "tableView")->table(), before);
        QVERIFY(child<QLabel>(dialog, "lblStatus")->text().contains(QStringLiteral("Too many cells")));
        // The next split that fits clears the message.
        go(dialog, QStringLiteral("c"), QStringLiteral(","));
        QCOMPARE(rowsOf(*dialog.table()), QStringList{"c"});
        QVERIFY(child<QLabel>(dialog, "lblStatus")->text().isEmpty());
    }

    // Column texts before, the split (text and whether constant columns go), the preference, after.
    void loadIntoColumns_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("removeConstant");
        QTest::addColumn<bool>("clearFirst");
        QTest::addColumn<QStringList>("after");
        QTest::addRow("into the empty column and a new one")
            << QStringList{""} << "a,1\nb,2" << false << false << QStringList{"a\nb", "1\n2"};
        QTest::addRow("full columns kept") << QStringList{"t"} << "a,1" << false << false << QStringList{"t", "a", "1"};
        QTest::addRow("cleared first") << QStringList{"t"} << "a,1" << false << true << QStringList{"a", "1"};
        QTest::addRow("no columns left: nothing cleared, nothing added")
            << QStringList{"t"} << "a,1\na,1" << true << true << QStringList{"t"};
        QTest::addRow("no table yet") << QStringList{"t"} << QString() << false << true << QStringList{"t"};
    }
    void loadIntoColumns()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, text);
        QFETCH(bool, removeConstant);
        QFETCH(bool, clearFirst);
        QFETCH(QStringList, after);
        Preferences::instance()->setColumnsStartColumns(0);
        Preferences::instance()->setMiscClearColumnsBeforeLoad(clearFirst);
        MetaManager manager;
        for (const QString& column : before)
            manager.insertMeta(column, QString(), -1);
        SplitDialog dialog(&manager);
        dialog.show();
        if (!text.isNull())
            go(dialog, text, QStringLiteral(","), false, 1, removeConstant);
        QTest::mouseClick(child<QPushButton>(dialog, "btnAppend"), Qt::LeftButton);
        QCOMPARE(columnTexts(manager), after);
        QVERIFY(!dialog.isVisible());
    }

    // The columns get exactly the bytes the texts of a string split would give them, in either
    // encoding of the dialog's editor and of the columns, each column as one undo step, also when a
    // column goes in in several pieces.
    void loadIntoColumnsBytes_data()
    {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<bool>("sourceUnicode");
        QTest::addColumn<bool>("columnsUnicode");
        // The first column takes the other encoding than the ones the load adds.
        QTest::addColumn<bool>("firstOther");
        const QByteArray mixed = QStringLiteral("\u00e9,\u20ac\r\n\U0001F600,x\rNUL\0in,\u00ff\n\n \nlast,").toUtf8();
        QTest::addRow("UTF-8 into UTF-8") << mixed << true << true << false;
        QTest::addRow("UTF-8 into ANSI") << mixed << true << false << false;
        QTest::addRow("ANSI into UTF-8") << mixed << false << true << false;
        QTest::addRow("ANSI into ANSI") << mixed << false << false << false;
        QTest::addRow("invalid UTF-8") << QByteArray("a\xff,b\xc3\ne\xed\xa0\x80,f") << true << true << false;
        // Written without a temporary per line: a sanitizer build pays dearly for every allocation.
        QByteArray big;
        big.reserve(200000 * 24);
        char line[40];
        for (int i = 0; i < 200000; ++i)
            big.append(line, std::snprintf(line, sizeof line, "user%d,\xc3\xa9%d\n", i, i * 7));
        QTest::addRow("a table of several pieces") << big << true << true << false;
        QTest::addRow("columns of both encodings") << mixed << true << false << true;
    }
    void loadIntoColumnsBytes()
    {
        QFETCH(QByteArray, utf8);
        QFETCH(bool, sourceUnicode);
        QFETCH(bool, columnsUnicode);
        QFETCH(bool, firstOther);
        Preferences::instance()->setColumnsStartColumns(0);
        // The columns, also the one the load adds, take the preference; the dialog's editor is set.
        Preferences::instance()->setEditorUnicode(columnsUnicode);
        MetaManager manager;
        manager.insertMeta(QString(), QString(), -1);
        SplitDialog dialog(&manager);
        dialog.show();
        if (firstOther)
            manager.metaAt(0)->editor()->setUnicode(!columnsUnicode);
        auto* editor = child<Editor>(dialog, "textEdit");
        editor->setUnicode(sourceUnicode);
        // Bytes that ANSI cannot hold arrive as "?".
        editor->setWholeBytesKeepView(sourceUnicode ? utf8 : encodeEditorText(QString::fromUtf8(utf8), false));
        child<QComboBoxEx>(dialog, "cbbFilter")->setCurrentText(QStringLiteral(","));
        QTest::mouseClick(child<QPushButton>(dialog, "btnStart"), Qt::LeftButton);
        QVERIFY(dialog.table());
        const CellTable expected(editor->text(), QStringLiteral(","), false, 1);
        QCOMPARE(rowsOf(*dialog.table()), rowsOf(expected));
        QTest::mouseClick(child<QPushButton>(dialog, "btnAppend"), Qt::LeftButton);
        QCOMPARE(manager.count(), expected.columnCount());
        for (int c = 0; c < expected.columnCount(); ++c) {
            Editor* column = manager.metaAt(c)->editor();
            QVERIFY2(QByteArray(column->characterPointer(), column->textLength()) ==
                         encodeEditorText(expected.columnText(c), column->isUnicode()),
                     qPrintable(QStringLiteral("column %1").arg(c)));
            column->undo();
            QCOMPARE(column->textLength(), 0);
            QVERIFY(!column->canUndo());
        }
    }

    void closeDuringSplitKeepsThePreviousTable()
    {
        SplitDialog dialog(nullptr);
        dialog.show();
        go(dialog, QStringLiteral("a,b"), QStringLiteral(","));
        const std::shared_ptr<CellTable> before = dialog.table();
        // The split lets events run before its first line; the close comes then.
        QTimer::singleShot(0, &dialog, &QDialog::close);
        go(dialog, QStringLiteral("c,d\n").repeated(1000), QStringLiteral(","));
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.isSplitting());
        QCOMPARE(dialog.table(), before);
        QCOMPARE(rowsOf(*dialog.table()), QStringList{"a|b"});
        // Shown again, the dialog splits as before.
        dialog.show();
        go(dialog, QStringLiteral("c,d"), QStringLiteral(","));
        QCOMPARE(rowsOf(*dialog.table()), QStringList{"c|d"});
    }

    void settingsAndHistory()
    {
        Preferences* preferences = Preferences::instance();
        preferences->setSplitFilter({}, QStringLiteral(","));
        {
            SplitDialog dialog(nullptr);
            dialog.show();
            for (const char* filter : {",", ";", ",", "-", "+"})
                go(dialog, QStringLiteral("a"), QLatin1String(filter), true, 1, true);
            QCOMPARE(child<QComboBoxEx>(dialog, "cbbFilter")->items(), (QStringList{"+", "-", ";"}));
        }
        QVERIFY(preferences->splitMatchWholeWord());
        QVERIFY(preferences->splitRemoveDuplicateColumns());
        SplitDialog next(nullptr);
        QCOMPARE(child<QComboBoxEx>(next, "cbbFilter")->currentText(), QStringLiteral("+"));
        QVERIFY(child<QCheckBox>(next, "ckbMatchWhole")->isChecked());
        QVERIFY(child<QCheckBox>(next, "ckbRemove")->isChecked());
        child<QCheckBox>(next, "ckbMatchWhole")->setChecked(false);
        QVERIFY(!preferences->splitMatchWholeWord());
    }

    void splitActionOfTheWindow()
    {
        Preferences::instance()->setColumnsStartColumns(1);
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.findChild<QAction*>(QStringLiteral("actionSplit"))->trigger();
        auto* dialog = window.findChild<SplitDialog*>();
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->isVisible());
        go(*dialog, QStringLiteral("user1,42\nuser2,43"), QStringLiteral(","));
        QTest::mouseClick(child<QPushButton>(*dialog, "btnAppend"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(columnTexts(*window.metaManager()), (QStringList{"user1\nuser2", "42\n43"}));
        // Hidden, not gone: the same dialog comes back with its text and table.
        window.findChild<QAction*>(QStringLiteral("actionSplit"))->trigger();
        QCOMPARE(window.findChildren<SplitDialog*>().size(), 1);
        QVERIFY(dialog->isVisible());
        QCOMPARE(child<Editor>(*dialog, "textEdit")->text(), QStringLiteral("user1,42\nuser2,43"));
        // Closing the window during a split ends it, and the table stays as it was.
        QTimer::singleShot(0, &window, &QWidget::close);
        go(*dialog, QStringLiteral("c,d\n").repeated(1000), QStringLiteral(","));
        QVERIFY(!window.isVisible());
        QCOMPARE(rowsOf(*dialog->table()), (QStringList{"user1|42", "user2|43"}));
        QCOMPARE(child<QLabel>(*dialog, "lblStatus")->text(), QStringLiteral("Stopped; the previous table is kept."));
    }
};

QTEST_MAIN(TestSplitDialog)
#include "tst_splitdialog.moc"
