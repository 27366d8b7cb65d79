// The resize dialog: worked examples and repeated presses through its controls, the spin box range,
// a selection in the target, undo, a text that cannot be copied whole, and the window's Resize action.

#include "TestSupport.h"
#include "editor/Editor.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/ModalAnswerer.h"
#include "settings/Preferences.h"
#include "tools/CellTable.h"
#include "tools/ResizeDialog.h"

#include <QAction>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

namespace {

template <typename T> T* child(const QWidget& w, const char* name)
{
    return w.findChild<T*>(QLatin1String(name));
}

// Shows the dialog and waits for its table, as the user waits for "OK" to come alive.
bool loaded(ResizeDialog& dialog)
{
    dialog.show();
    auto* ok = child<QPushButton>(dialog, "btnOK");
    if (ok->isEnabled())
        return false; // nothing may be pressed before the table is there
    return QTest::qWaitFor([ok] { return ok->isEnabled(); }) && dialog.table() != nullptr;
}

void press(ResizeDialog& dialog, int columns)
{
    child<QSpinBox>(dialog, "sbColumns")->setValue(columns);
    QTest::mouseClick(child<QPushButton>(dialog, "btnOK"), Qt::LeftButton);
}

} // namespace

class TestResizeDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TestSupport::useTemporaryConfigHome();
        Preferences::instance()->setEditorUnicode(true);
    }

    // Presses is the number of times "OK" is pressed with the same value.
    void examples_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("result");
        QTest::addRow("five lines by two") << "a\nb\nc\nd\ne" << 2 << 1 << "a b\nc d\ne";
        QTest::addRow("blank lines removed") << "a\n\n \t\nb\r\nc\n" << 2 << 1 << "a b\nc";
        QTest::addRow("by one: the non-blank lines") << "a\n\nb c" << 1 << 1 << "a\nb c";
        QTest::addRow("second press joins cells without separator") << "a\nb\nc\nd" << 2 << 2 << "ab cd";
        QTest::addRow("wider than the lines") << "a\nb" << 5 << 1 << "a b";
        QTest::addRow("a NUL byte loses nothing")
            << QString::fromLatin1("a\0b\nc", 5) << 2 << 1 << QString::fromLatin1("a\0b c", 5);
        QTest::addRow("only blank lines: empty text") << "\n \n\t" << 1 << 1 << "";
    }
    void examples()
    {
        QFETCH(QString, text);
        QFETCH(int, columns);
        QFETCH(int, presses);
        QFETCH(QString, result);
        Editor editor;
        editor.setWholeTextKeepView(text);
        ResizeDialog dialog(&editor);
        QVERIFY(loaded(dialog));
        for (int i = 0; i < presses; ++i)
            press(dialog, columns);
        QCOMPARE(editor.text(), result);
        QCOMPARE(Preferences::instance()->miscResizeColumn(), child<QSpinBox>(dialog, "sbColumns")->value());
        // One undo step a press.
        for (int i = 0; i < presses; ++i)
            editor.undo();
        QCOMPARE(editor.text(), text);
    }

    void spinBoxRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::addRow("stored value in range") << "1\n2\n3\n4\n5" << 3 << 5 << 3;
        QTest::addRow("clamped to the rows") << "1\n\n2" << 4 << 2 << 2;
        QTest::addRow("no rows: one") << " \n" << 3 << 1 << 1;
    }
    void spinBoxRange()
    {
        QFETCH(QString, text);
        QFETCH(int, stored);
        QFETCH(int, maximum);
        QFETCH(int, value);
        Preferences::instance()->setMiscResizeColumn(stored);
        Editor editor;
        editor.setWholeTextKeepView(text);
        ResizeDialog dialog(&editor);
        QVERIFY(loaded(dialog));
        auto* columns = child<QSpinBox>(dialog, "sbColumns");
        QCOMPARE(columns->maximum(), maximum);
        QCOMPARE(columns->value(), value);
    }

    void selectionInTargetKeepsViewAndUndoes()
    {
        QStringList lines;
        for (int i = 0; i < 300; ++i)
            lines << QString::number(i);
        const QString text = lines.join(QLatin1Char('\n'));
        Editor editor;
        editor.resize(300, 200);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        editor.setWholeTextKeepView(text);
        editor.emptyUndoBuffer();
        editor.setCursorPosition(150, 1);
        editor.setFirstVisibleLine(140);
        editor.setSel(editor.positionFromLine(150), editor.positionFromLine(152));
        const int first = editor.firstVisibleLine();
        QVERIFY(first > 100);
        ResizeDialog dialog(&editor);
        QVERIFY(loaded(dialog));
        press(dialog, 1);
        // The whole text was rewritten, not the selected part, and the view stayed.
        QCOMPARE(editor.text(), text);
        QCOMPARE(editor.firstVisibleLine(), first);
        press(dialog, 3);
        QCOMPARE(editor.lineCount(), 100);
        QCOMPARE(editor.lineText(0), QStringLiteral("0 1 2"));
        QCOMPARE(editor.firstVisibleLine(), qMin(first, editor.lineCount() - editor.linesOnScreen()));
        editor.undo();
        QCOMPARE(editor.text(), text);
        editor.undo();
        QCOMPARE(editor.text(), text);
        QVERIFY(!editor.canUndo());
    }

    void textNotCopiedWholeIsRefused()
    {
        Editor editor;
        const QByteArray bytes("a\nb\xff\nc");
        editor.setText(bytes);
        editor.emptyUndoBuffer();
        ModalAnswerer answerer{QString()};
        ResizeDialog dialog(&editor);
        dialog.show();
        QTRY_COMPARE(answerer.boxTitles(), QStringList{"Error"});
        QVERIFY(!child<QPushButton>(dialog, "btnOK")->isEnabled());
        QVERIFY(!dialog.table());
        QCOMPARE(editor.getText(), bytes);
        QVERIFY(!editor.canUndo());
    }

    void resizeActionOfTheWindow()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        Editor* tpl = window.findChild<Editor*>(QStringLiteral("tpl"));
        tpl->setWholeTextKeepView(QStringLiteral("1\n2\n3\n4\n5\n6"));
        tpl->setFocus();
        QTRY_COMPARE(window.focusEditor(), tpl);
        // The dialog runs modally; it is answered from the event loop it runs.
        bool answered = false;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<ResizeDialog*>(QApplication::activeModalWidget());
            if (!dialog || !child<QPushButton>(*dialog, "btnOK")->isEnabled())
                return;
            press(*dialog, 3);
            QTest::mouseClick(child<QPushButton>(*dialog, "btnClose"), Qt::LeftButton);
            answered = true;
        });
        timer.start(20);
        window.findChild<QAction*>(QStringLiteral("actionResize"))->trigger();
        QVERIFY(answered);
        QCOMPARE(tpl->text(), QStringLiteral("1 2 3\n4 5 6"));
    }
};

QTEST_MAIN(TestResizeDialog)
#include "tst_resizedialog.moc"
