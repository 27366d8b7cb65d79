// The Goto dialog on a real editor, alone and through the main window's action.

#include "TestSupport.h"
#include "editor/Editor.h"
#include "editor/GotoDialog.h"
#include "mainwindow/WindowTest.h"

#include <QApplication>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

class TestGoto : public WindowTest
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void bounds_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("position"); // the caret after acceptance

        QTest::addRow("starts at the caret line") << QByteArray("a\nbb\nccc") << 3 << QString() << 2 << 2;
        QTest::addRow("line 1 is the start") << QByteArray("a\nbb\nccc") << 6 << "1" << 1 << 0;
        QTest::addRow("last line") << QByteArray("a\nbb\nccc") << 0 << "3" << 3 << 5;
        QTest::addRow("0 refused") << QByteArray("a\nbb\nccc") << 6 << "0" << 3 << 5;
        QTest::addRow("past the end refused") << QByteArray("a\nbb\nccc") << 0 << "9" << 1 << 0;
        QTest::addRow("one line") << QByteArray("only") << 2 << "2" << 1 << 0;
    }

    void bounds()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, caret);
        QFETCH(QString, typed);
        QFETCH(int, value);
        QFETCH(int, position);
        Editor editor;
        editor.setText(text);
        editor.setEmptySelection(caret);
        GotoDialog dialog(&editor);
        auto* spinBox = dialog.findChild<QSpinBox*>("linenumberSpinBox");
        QCOMPARE(spinBox->minimum(), 1);
        QCOMPARE(spinBox->maximum(), editor.lineCount());
        // Typed over the selected value, as the user would; a value out of range is not taken.
        if (!typed.isEmpty()) {
            QCOMPARE(spinBox->findChild<QLineEdit*>()->selectedText(), QString::number(spinBox->value()));
            QTest::keyClicks(spinBox, typed);
        }
        QCOMPARE(spinBox->value(), value);
        dialog.accept();
        QCOMPARE(editor.currentPos(), position);
    }

    void throughWindowAction()
    {
        openWindow();
        Editor* tpl = editor("tpl");
        tpl->setText("one\ntwo\nthree");
        QTimer::singleShot(0, m_window, [] {
            auto* dialog = qobject_cast<GotoDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Goto"));
            dialog->findChild<QSpinBox*>("linenumberSpinBox")->setValue(3);
            dialog->accept();
        });
        action("actionGoto")->trigger();
        QCOMPARE(tpl->currentPos(), 8);
        closeWindow();
    }
};

QTEST_MAIN(TestGoto)
#include "tst_goto.moc"
