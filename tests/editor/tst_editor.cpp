// The editor widget on real Scintilla editors: encodings, text access, line ends, margin, context
// menu, drops, saving and the caret and scroll signals.

#include "TestSupport.h"
#include "editor/CaretSyncTarget.h"
#include "editor/Editor.h"
#include "settings/Preferences.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <tuple>

namespace {

QAction* findAction(QMenu* menu, const QString& text)
{
    QAction* found = nullptr;
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions) {
        if (action->text() == text)
            found = action;
    }
    return found;
}

using SyncCall = std::tuple<QWidget*, int, int, int>;
struct FakeCaretSync : CaretSyncTarget {
    void syncCaret(QWidget* source, int firstVisible, int line, int column) override
    {
        calls.append(SyncCall(source, firstVisible, line, column));
    }
    QVector<SyncCall> calls;
};

QString numberedLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("line %1").arg(i);
    return lines.join(QLatin1Char('\n'));
}

// (line, index) of the caret.
QPoint caret(const Editor& editor)
{
    int line = -1;
    int index = -1;
    editor.cursorPosition(&line, &index);
    return QPoint(line, index);
}

bool showExposed(QWidget& widget)
{
    widget.resize(400, 200);
    widget.show();
    return QTest::qWaitForWindowExposed(&widget);
}

} // namespace

class TestEditor : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TestSupport::useTemporaryConfigHome();
        m_prefs = Preferences::instance();
    }
    void init()
    {
        m_prefs->setEditorUnicode(true);
        m_prefs->setEditorEolFormat(EolUnix);
        m_prefs->setEditorDisplayLineNumber(true);
    }

    void encodingAndSave_data()
    {
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("utf8") << true << QByteArray("a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80\nb")
                              << QString::fromUtf8("a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80\nb");
        // One "?" for each character outside Latin-1, a surrogate pair included.
        QTest::newRow("ansi") << false << QByteArray("a\xe9??\nb") << QStringLiteral("a\u00e9??\nb");
    }
    void encodingAndSave()
    {
        QFETCH(bool, unicode);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, readBack);
        const QString text = QString::fromUtf8("a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80\nb");
        m_prefs->setEditorUnicode(unicode);
        Editor editor;
        editor.appendText(text);
        QCOMPARE(editor.getText(), bytes);
        QCOMPARE(editor.text(), readBack);
        QCOMPARE(editor.fromEditorBytes(bytes.constData(), bytes.size()), readBack);
        QCOMPARE(editor.positionFromLineIndex(0, 3), unicode ? 6 : 3); // an index counts characters, or bytes
        QCOMPARE(editor.positionFromLineIndex(0, 50), int(bytes.indexOf('\n'))); // stops at the line's end

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.txt"));
        QVERIFY(editor.saveToFile(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QVERIFY(!editor.saveToFile(dir.path())); // a folder cannot be written as a file
    }

    void nulBytesAreKept()
    {
        Editor editor;
        editor.appendBytes(QByteArray("a\0b\nc", 5));
        const QString expected = QStringLiteral("a") + QChar(0) + QStringLiteral("b\nc");
        QCOMPARE(editor.text(), expected);
        QCOMPARE(editor.lineText(0).size(), 3);
        // Writing back goes through the target, which takes a length rather than a C string.
        editor.setTextKeepView(expected + QStringLiteral("!"), true);
        QCOMPARE(editor.getText(), QByteArray("a\0b\nc!", 6));
        editor.setSel(0, 3);
        editor.replaceSelection(QString(QChar(0)));
        QCOMPARE(editor.getText(), QByteArray("\0\nc!", 4));
    }

    void selectedLines()
    {
        Editor editor;
        editor.appendBytes("one\r\ntwo\rthree\nfour");
        editor.setSel(6, 15); // a final break adds no line
        QCOMPARE(editor.selectedLines(), (QStringList{"wo", "three"}));
        // A rectangular selection comes from the component in pieces, without its C-string terminator.
        editor.send(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONANCHOR, 1);
        editor.send(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONCARET, 8);
        QCOMPARE(editor.selectedText(), QStringLiteral("ne\nwo\n"));
    }

    void appendLineAndMargin()
    {
        Editor editor;
        const int oneDigit = editor.textWidth(33, "9") + 4;
        const int twoDigits = editor.textWidth(33, "99") + 4;
        editor.appendLine(QStringLiteral("first")); // nothing goes before the first line
        QCOMPARE(editor.getText(), QByteArray("first"));
        QCOMPARE(editor.lineNumberMarginWidth(), oneDigit);
        editor.appendText(QStringLiteral("\n") + numberedLines(8));
        QCOMPARE(editor.lineNumberMarginWidth(), oneDigit);
        editor.appendLine(QStringLiteral("ten")); // CR LF also in a Unix-mode editor
        QVERIFY(editor.getText().endsWith("line 7\r\nten"));
        QCOMPARE(editor.lineNumberMarginWidth(), twoDigits);
        editor.setSel(editor.lineEndPosition(8), editor.textLength());
        editor.removeSelectedText();
        QCOMPARE(editor.lineNumberMarginWidth(), oneDigit);
        // Hidden through the menu item it stays hidden while lines come; the preference shows it again.
        QAction* item = findAction(editor.contextMenu(), QStringLiteral("Display Line Number"));
        QVERIFY(item && item->isChecked());
        item->trigger();
        editor.appendText(numberedLines(10));
        QCOMPARE(editor.lineNumberMarginWidth(), 0);
        m_prefs->setEditorDisplayLineNumber(false);
        m_prefs->setEditorDisplayLineNumber(true);
        QVERIFY(item->isChecked());
        QCOMPARE(editor.lineNumberMarginWidth(), twoDigits);
    }

    void eolPreferenceVersusConvert()
    {
        m_prefs->setEditorEolFormat(EolWindows);
        Editor editor;
        editor.appendBytes("a\r\nb");
        QSignalSpy eolChanged(&editor, &Editor::onEolModeChanged);
        m_prefs->setEditorEolFormat(EolUnix);
        QCOMPARE(eolChanged.count(), 1);
        QCOMPARE(editor.getText(), QByteArray("a\r\nb"));
        editor.gotoPos(editor.textLength());
        editor.send(QsciScintillaBase::SCI_NEWLINE); // a typed break follows the new mode
        QCOMPARE(editor.getText(), QByteArray("a\r\nb\n"));
        editor.emptyUndoBuffer();
        editor.convertEols(EolMac);
        QCOMPARE(editor.getText(), QByteArray("a\rb\r"));
        editor.undo();
        QCOMPARE(editor.getText(), QByteArray("a\r\nb\n"));
        QVERIFY(!editor.canUndo());
        // Setting the format directly neither converts nor signals.
        editor.setEolFormat(EolMac);
        QCOMPARE(eolChanged.count(), 1);
        QCOMPARE(editor.getText(), QByteArray("a\r\nb\n"));
    }

    void setTextKeepView()
    {
        Editor editor;
        QVERIFY(showExposed(editor));
        const QString original = numberedLines(300);
        editor.appendText(original);
        editor.emptyUndoBuffer();
        editor.setCursorPosition(150, 3);
        editor.setFirstVisibleLine(100);
        // Without a selection the whole text goes, in one undo step; caret and view stay.
        editor.setTextKeepView(original.toUpper(), true);
        QCOMPARE(editor.lineText(150), QStringLiteral("LINE 150"));
        QCOMPARE(editor.firstVisibleLine(), 100);
        QCOMPARE(caret(editor), QPoint(150, 3));
        editor.undo();
        QCOMPARE(editor.text(), original);
        QVERIFY(!editor.canUndo());
        // With a selection only the selection goes.
        editor.setSel(editor.positionFromLineIndex(1, 0), editor.positionFromLineIndex(1, 6));
        editor.setTextKeepView(QStringLiteral("B"), false);
        QCOMPARE(editor.allLines().mid(0, 3), (QStringList{"line 0", "B", "line 2"}));
        editor.undo();
        QCOMPARE(editor.text(), original);
        // A caret index that no longer exists ends at the line's end.
        editor.setCursorPosition(2, 4);
        editor.setTextKeepView(QStringLiteral("a\nb\nc"), true);
        QCOMPARE(caret(editor), QPoint(2, 1));
    }

    void contextMenuStates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("clipboardText");
        // Enabled state of the items listed in the test, in order.
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty, clipboard text") << QString() << 0 << 0 << true << "0001000000010";
        QTest::newRow("empty, empty clipboard") << QString() << 0 << 0 << false << "0000000000010";
        QTest::newRow("one line") << "abc" << 0 << 0 << false << "0000110101110";
        QTest::newRow("two lines") << "abc\ndef" << 0 << 0 << false << "0000111111111";
        QTest::newRow("one-line selection in two lines") << "abc\ndef" << 1 << 2 << true << "1111110101110";
        QTest::newRow("selection over a break") << "abc\ndef" << 2 << 5 << false << "1110111111111";
        QTest::newRow("lone CR counts as a break") << "abc\rdef" << 0 << 0 << false << "0000111111111";
    }
    void contextMenuStates()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, clipboardText);
        QFETCH(QString, expected);
        QApplication::clipboard()->setText(clipboardText ? QStringLiteral("clip") : QString());
        Editor editor;
        editor.appendText(text);
        editor.setSel(from, to);
        editor.updateContextMenu();
        QString actual;
        const QString items = QStringLiteral("Cut,Copy,Delete,Paste,SelectAll,Remove Empty Lines,Pad Space,&Strip,"
                                             "&Align,&Convert,&Truncate,Display Line Number,Sort");
        for (const QString& item : items.split(QLatin1Char(','))) {
            QAction* action = findAction(editor.contextMenu(), item);
            QVERIFY2(action, qPrintable(item));
            actual += action->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        }
        QCOMPARE(actual, expected);
    }

    void dropOfTwoFiles()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first.txt"));
        const QString second = dir.filePath(QStringLiteral("second.txt"));
        for (const auto& [path, content] : {std::pair<QString, QByteArray>{first, "one\ntwo"}, {second, "three"}}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        }
        Editor editor;
        editor.appendText(QStringLiteral("start"));
        editor.gotoPos(2); // the drop position plays no part
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second),
                      QUrl::fromLocalFile(dir.filePath(QStringLiteral("missing.txt")))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(editor.viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(editor.viewport(), &drop);
        QVERIFY(enter.isAccepted() && drop.isAccepted() && drop.dropAction() == Qt::CopyAction);
        // Appended in order, in one undo step; an unreadable file adds only its line break.
        QCOMPARE(editor.text(), QStringLiteral("startone\ntwo\nthree\n\n"));
        editor.undo();
        QCOMPARE(editor.text(), QStringLiteral("start"));
    }

    void caretTrackingAndSync()
    {
        QWidget host;
        auto* editor = new Editor(&host);
        auto* other = new QLineEdit(&host);
        editor->resize(300, 150);
        QVERIFY(showExposed(host));
        QApplication::setActiveWindow(&host);
        editor->setFocus();
        QTRY_VERIFY(editor->hasFocus());
        editor->appendText(QStringLiteral("first\n\tx y\nthird"));
        FakeCaretSync sync;
        editor->setColumnManager(&sync);
        QSignalSpy moved(editor, &Editor::cursorPositionChanged);
        editor->setCursorPosition(1, 2);
        QTRY_COMPARE(moved.count(), 1);
        QCOMPARE(moved.last(), (QVariantList{1, 5})); // tab expanded to width 4, then 'x'
        QCOMPARE(sync.calls, QVector<SyncCall>{SyncCall(&host, editor->firstVisibleLine(), 1, 5)});
        editor->viewport()->repaint(); // the same position is not reported twice
        QApplication::processEvents();
        QCOMPARE(moved.count(), 1);
        // No synchronisation when the editor lacks the focus: the columns it moves would move it back.
        other->setFocus();
        QTRY_VERIFY(!editor->hasFocus());
        editor->setCursorPosition(0, 3);
        QTRY_COMPARE(moved.count(), 2);
        QCOMPARE(sync.calls.size(), 1);
    }

    void scrollSignalOncePerMove()
    {
        Editor editor;
        QVERIFY(showExposed(editor));
        editor.appendText(numberedLines(500));
        QApplication::processEvents();
        QSignalSpy scrolled(&editor, &Editor::onScroll);
        // The scroll bar reaches both scrollContentsBy and the component: still one signal.
        editor.verticalScrollBar()->setValue(300);
        QTRY_COMPARE(editor.firstVisibleLine(), 300);
        QTRY_COMPARE(scrolled.count(), 1);
        editor.viewport()->repaint();
        QApplication::processEvents();
        QCOMPARE(scrolled.count(), 1);
        QCOMPARE(scrolled.last().at(0).value<Editor*>(), &editor);
    }

private:
    Preferences* m_prefs = nullptr;
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
