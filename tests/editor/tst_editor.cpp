// The editor on real Scintilla editors: encodings, saving, line ends, margin and zoom, menu, drops, signals.

#include "TestSupport.h"
#include "editor/CaretSyncTarget.h"
#include "editor/Editor.h"
#include "mainwindow/ModalAnswerer.h"
#include "settings/Preferences.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace {

QAction* findAction(QMenu* menu, const QString& text)
{
    const QList<QAction*> actions = menu->actions();
    const auto it = std::find_if(actions.cbegin(), actions.cend(), [&](QAction* a) { return a->text() == text; });
    return it == actions.cend() ? nullptr : *it;
}

using SyncCall = std::tuple<QWidget*, int, int, int>;
struct FakeCaretSync : CaretSyncTarget
{
    QVector<SyncCall> calls;
    void syncCaret(QWidget* w, int first, int line, int col) override { calls.append({w, first, line, col}); }
};

QString numberedLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("line %1").arg(i);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestEditor : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }
    void init()
    {
        Preferences::instance()->setEditorUnicode(true);
        Preferences::instance()->setEditorEolFormat(EolUnix);
    }

    void encodingAndSave_data()
    {
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("readBack");
        QTest::addColumn<int>("thirdIndex"); // the position of character index 3: characters, or bytes
        const QString text = QString::fromUtf8("a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80\nb");
        QTest::newRow("utf8") << true << text << text.toUtf8() << text << 6;
        // One "?" for each character outside Latin-1, a surrogate pair included.
        QTest::newRow("ansi") << false << text << QByteArray("a\xe9??\nb") << QStringLiteral("a\u00e9??\nb") << 3;
        const QString nul = QStringLiteral("a") + QChar(0) + QStringLiteral("b\nc"); // not the end of the text
        QTest::newRow("NUL") << true << nul << QByteArray("a\0b\nc", 5) << nul << 3;
        // Byte-order marks inside the text are characters, at the start of a line too.
        const QString marks = QString(2, QChar(0xFEFF)) + QStringLiteral("a\n") + QChar(0xFEFF) + QStringLiteral("b");
        QTest::newRow("byte-order marks") << true << marks << marks.toUtf8() << marks << 7;
    }
    void encodingAndSave()
    {
        QFETCH(bool, unicode);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, readBack);
        QFETCH(int, thirdIndex);
        Preferences::instance()->setEditorUnicode(unicode);
        Editor editor;
        editor.appendText(text);
        QCOMPARE(editor.getText(), bytes);
        QCOMPARE(editor.text(), readBack);
        QCOMPARE(editor.lineText(0), readBack.section(QLatin1Char('\n'), 0, 0));
        QCOMPARE(editor.lineText(1), readBack.section(QLatin1Char('\n'), 1, 1));
        QCOMPARE(editor.positionFromLineIndex(0, 3), thirdIndex);
        QCOMPARE(editor.positionFromLineIndex(0, 50), int(bytes.indexOf('\n'))); // stops at the line's end
        // Through the target, which takes a length.
        editor.setTextKeepView(readBack + QStringLiteral("!"), Editor::RestoreView);
        QCOMPARE(editor.getText(), bytes + "!");

        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("out.txt")));
        QVERIFY(editor.saveToFile(file.fileName()));
        QVERIFY(!editor.saveToFile(dir.path())); // a folder is no file
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes + "!");
    }

    void appendLineMarginAndZoom()
    {
        Editor editor;
        const auto width = [&](const char* digits) { return editor.textWidth(33, digits) + 4; };
        editor.appendLine(QStringLiteral("first")); // nothing goes before the first line
        QCOMPARE(editor.getText(), QByteArray("first"));
        editor.appendText(QStringLiteral("\n") + numberedLines(8));
        QCOMPARE(editor.lineNumberMarginWidth(), width("9"));
        editor.appendLine(QStringLiteral("ten")); // CR LF also in a Unix-mode editor
        QVERIFY(editor.getText().endsWith("line 7\r\nten"));
        QCOMPARE(editor.lineNumberMarginWidth(), width("99"));
        editor.setSel(editor.lineEndPosition(8), editor.textLength());
        editor.removeSelectedText();
        QCOMPARE(editor.lineNumberMarginWidth(), width("9"));
    }

    void zoomClampedMarginFollows_data()
    {
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("expected");
        QTest::addRow("above the top") << 25 << 20;
        QTest::addRow("below the bottom") << -15 << -10;
        QTest::addRow("within") << 3 << 3;
    }

    void zoomClampedMarginFollows()
    {
        QFETCH(int, requested);
        QFETCH(int, expected);
        Editor editor;
        const int unzoomed = editor.lineNumberMarginWidth();
        editor.setZoomFactor(requested);
        QCOMPARE(editor.zoom(), expected);
        // The margin is pixels wide: it grows and shrinks with the font.
        QCOMPARE(editor.lineNumberMarginWidth(), editor.textWidth(33, "9") + 4);
        QCOMPARE(editor.lineNumberMarginWidth() > unzoomed, expected > 0);
    }

    void eolPreferenceVersusConvert()
    {
        Preferences::instance()->setEditorEolFormat(EolWindows);
        Editor editor;
        editor.appendBytes("a\r\nb");
        QSignalSpy eolChanged(&editor, &Editor::onEolModeChanged);
        Preferences::instance()->setEditorEolFormat(EolUnix);
        QCOMPARE(eolChanged.count(), 1);
        QCOMPARE(editor.getText(), QByteArray("a\r\nb")); // nothing converted
        editor.gotoPos(editor.textLength());
        editor.send(QsciScintillaBase::SCI_NEWLINE); // a typed break follows the new mode
        QCOMPARE(editor.getText(), QByteArray("a\r\nb\n"));
        editor.emptyUndoBuffer();
        editor.convertEols(EolMac);
        QCOMPARE(editor.getText(), QByteArray("a\rb\r"));
        editor.undo();
        QCOMPARE(editor.getText(), QByteArray("a\r\nb\n"));
        QVERIFY(!editor.canUndo()); // one step
        // Setting the format directly neither converts nor signals.
        editor.setEolFormat(EolMac);
        QCOMPARE(eolChanged.count(), 1);
        QCOMPARE(editor.getText(), QByteArray("a\r\nb\n"));
    }

    void setTextKeepView()
    {
        Editor editor;
        editor.resize(400, 200);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        const QString original = numberedLines(300);
        editor.loadText(original); // with no undo history
        editor.setCursorPosition(150, 3);
        editor.setFirstVisibleLine(100);
        // Without a selection the whole text goes, in one undo step; caret and view stay.
        editor.setTextKeepView(original.toUpper(), Editor::RestoreView);
        QCOMPARE(editor.lineText(150), QStringLiteral("LINE 150"));
        QCOMPARE(editor.firstVisibleLine(), 100);
        QCOMPARE(editor.currentPos(), editor.positionFromLineIndex(150, 3));
        editor.undo();
        QCOMPARE(editor.text(), original);
        QVERIFY(!editor.canUndo());
        // With a selection only the selection goes, also in one step.
        editor.setSel(editor.positionFromLineIndex(1, 0), editor.positionFromLineIndex(1, 6));
        editor.setTextKeepView(QStringLiteral("B"), Editor::ResetView);
        QCOMPARE(editor.allLines().mid(0, 3), (QStringList{"line 0", "B", "line 2"}));
        editor.undo();
        QCOMPARE(editor.text(), original);
        QVERIFY(!editor.canUndo());
        // A caret index that no longer exists ends at the line's end.
        editor.setCursorPosition(2, 4);
        editor.setTextKeepView(QStringLiteral("a\nb\nc"), Editor::RestoreView);
        QCOMPARE(editor.currentPos(), 5);
    }

    // Texts of several pieces go in as one undo step with the caret and view kept; events run
    // between the pieces with the document read-only, and no character or line break is cut.
    void wholeBytesInPieces_data()
    {
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("severalPieces");
        // Written without a temporary per line: a sanitizer build pays dearly for every allocation.
        QByteArray crlf;
        crlf.reserve((3 << 20) + 64);
        char line[64];
        for (int i = 0; crlf.size() < 3 << 20; ++i)
            crlf.append(line,
                        std::snprintf(line, sizeof line, "\xc3\xa9t\xc3\xa9 \xf0\x9f\x98\x80 \xe2\x82\xac %d\r\n", i));
        QTest::addRow("UTF-8, CR LF, several pieces") << true << crlf << true;
        QTest::addRow("one long line stays one piece") << true << QByteArray(3 << 20, 'x') << false;
        QTest::addRow("empty") << true << QByteArray() << false;
    }
    void wholeBytesInPieces()
    {
        QFETCH(bool, unicode);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, severalPieces);
        Editor editor;
        editor.setUnicode(unicode);
        editor.resize(400, 200);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        const QString original = numberedLines(300);
        editor.loadText(original);
        editor.setCursorPosition(150, 3);
        editor.setFirstVisibleLine(100);
        // A selection does not narrow what is replaced.
        editor.setSel(editor.positionFromLineIndex(150, 3), editor.positionFromLineIndex(150, 5));
        const int firstLine = editor.firstVisibleLine();
        QVERIFY(firstLine > 0);
        int calls = 0;
        bool alwaysReadOnly = true;
        const auto between = [&] {
            ++calls;
            alwaysReadOnly = alwaysReadOnly && editor.readOnly();
            // Typing meanwhile changes nothing.
            editor.replaceSelection(QStringLiteral("typed"));
        };
        QVERIFY(editor.setWholeBytesInPieces(bytes, between));
        QCOMPARE(calls > 0, severalPieces);
        QVERIFY(alwaysReadOnly);
        QVERIFY(!editor.readOnly());
        QVERIFY(QByteArray(editor.characterPointer(), editor.textLength()) == bytes);
        // The line numbers' margin fits the new count of digits.
        const QByteArray widest(QByteArray::number(editor.lineCount()).size(), '9');
        QCOMPARE(editor.lineNumberMarginWidth(), editor.textWidth(33, widest.constData()) + 4);
        if (editor.lineCount() > 150) {
            QCOMPARE(editor.firstVisibleLine(), firstLine);
            QCOMPARE(editor.currentPos(), editor.positionFromLineIndex(150, 5));
        }
        editor.undo();
        QCOMPARE(editor.text(), original);
        QVERIFY(!editor.canUndo());
    }

    void wholeBytesInPiecesRefused()
    {
        Editor readOnly;
        readOnly.setWholeTextKeepView(QStringLiteral("kept"));
        readOnly.setReadOnly(true);
        QVERIFY(!readOnly.setWholeBytesInPieces("new", {}));
        QCOMPARE(readOnly.text(), QStringLiteral("kept"));
        // An editor deleted while events run is not touched again.
        auto* gone = new Editor;
        QPointer<Editor> watch(gone);
        QVERIFY(!gone->setWholeBytesInPieces(QByteArray("x\n").repeated(1 << 20), [gone] { delete gone; }));
        QVERIFY(!watch);
    }

    void contextMenuStates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("clipboard");
        QTest::addColumn<QString>("enabled"); // one digit an item, in menu order
        QTest::addRow("empty, clipboard text") << "" << 0 << 0 << true << "0001000000010";
        QTest::addRow("empty, clipboard empty") << "" << 0 << 0 << false << "0000000000010";
        QTest::addRow("one line") << "abc" << 0 << 0 << false << "0000110101110";
        QTest::addRow("two lines") << "abc\ndef" << 0 << 0 << false << "0000111111111";
        QTest::addRow("selection in a line") << "abc\ndef" << 1 << 2 << true << "1111110101110";
        QTest::addRow("selection over a break") << "abc\ndef" << 2 << 5 << false << "1110111111111";
        QTest::addRow("lone CR is a break") << "abc\rdef" << 0 << 0 << false << "0000111111111";
    }

    void contextMenuStates()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, clipboard);
        QFETCH(QString, enabled);
        const QStringList items{"Cut",       "Copy",   "Delete", "Paste",    "SelectAll", "Remove Empty Lines",
                                "Pad Space", "&Strip", "&Align", "&Convert", "&Truncate", "Display Line Number",
                                "Sort"};
        QApplication::clipboard()->setText(clipboard ? QStringLiteral("clip") : QString());
        Editor editor;
        editor.appendText(text);
        editor.setSel(from, to);
        editor.updateContextMenu();
        QString states;
        for (const QString& item : items) {
            QAction* action = findAction(editor.contextMenu(), item);
            QVERIFY2(action, qPrintable(item));
            states += action->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        }
        QCOMPARE(states, enabled);
    }

    void dropOfTwoFiles()
    {
        QTemporaryDir dir;
        QList<QUrl> urls;
        for (const QByteArray& content : {QByteArray("one\ntwo"), QByteArray("three")}) {
            const QString path = dir.filePath(QString::number(urls.size()));
            QVERIFY(TestSupport::writeBytes(path, content));
            urls << QUrl::fromLocalFile(path);
        }
        Editor editor;
        editor.appendText(QStringLiteral("start"));
        editor.gotoPos(2); // the drop position plays no part
        QMimeData data;
        data.setUrls(urls << QUrl::fromLocalFile(dir.filePath(QStringLiteral("missing"))));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(editor.viewport(), &enter);
        ModalAnswerer answerer{QString()};
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(editor.viewport(), &drop);
        QVERIFY(enter.isAccepted());
        QVERIFY(drop.isAccepted());
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        // Appended in order, in one undo step; an unreadable file adds nothing and says why.
        QCOMPARE(editor.text(), QStringLiteral("startone\ntwo\nthree\n"));
        QCOMPARE(answerer.boxTitles(), QStringList{QStringLiteral("Error")});
        editor.undo();
        QCOMPARE(editor.text(), QStringLiteral("start"));
    }

    void caretSelectionAndScrollSignals()
    {
        QWidget host;
        auto* editor = new Editor(&host);
        auto* other = new QLineEdit(&host);
        editor->resize(300, 150);
        host.resize(400, 200);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QApplication::setActiveWindow(&host);
        editor->setFocus();
        QTRY_VERIFY(editor->hasFocus());
        editor->appendText(QStringLiteral("first\n\tx y\n") + numberedLines(500));
        QApplication::processEvents();
        FakeCaretSync sync;
        editor->setColumnManager(&sync);
        QSignalSpy moved(editor, &Editor::cursorPositionChanged);
        QSignalSpy selected(editor, &Editor::selectionChanged);
        QSignalSpy scrolled(editor, &Editor::onScroll);
        editor->setSel(0, 3);
        QTRY_COMPARE(moved.count(), 1);
        QTRY_COMPARE(selected.count(), 1);
        editor->setCursorPosition(1, 2);
        QTRY_COMPARE(moved.count(), 2);
        QTRY_COMPARE(selected.count(), 2);
        QCOMPARE(moved.last(), (QVariantList{1, 5})); // tab expanded to width 4, then 'x'
        QCOMPARE(sync.calls, (QVector<SyncCall>{{&host, 0, 0, 3}, {&host, 0, 1, 5}}));
        // The scroll bar reaches both scrollContentsBy and the component: still one signal.
        editor->verticalScrollBar()->setValue(300);
        QTRY_COMPARE(editor->firstVisibleLine(), 300);
        QTRY_COMPARE(scrolled.count(), 1);
        QCOMPARE(scrolled.last().at(0).value<Editor*>(), editor);
        editor->viewport()->repaint(); // nothing is reported twice
        QApplication::processEvents();
        QCOMPARE(moved.count(), 2);
        QCOMPARE(selected.count(), 2);
        QCOMPARE(scrolled.count(), 1);
        // No synchronisation when the editor lacks the focus: the columns it moves would move it back.
        other->setFocus();
        QTRY_VERIFY(!editor->hasFocus());
        editor->setCursorPosition(0, 3);
        QTRY_COMPARE(moved.count(), 3);
        QCOMPARE(sync.calls.size(), 2);
    }
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
