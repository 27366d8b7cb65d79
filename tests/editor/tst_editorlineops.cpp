// The line operations of the editor's context menu, run through the menu on real editors: the
// result in both encodings and line-end modes, selections, one undo step, caret and view kept.

#include "LineOpsReference.h"
#include "TestSupport.h"
#include "editor/Editor.h"
#include "settings/Preferences.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTimer>
#include <QtTest>

#include <algorithm>

namespace {

// Finds a menu item by its text; "&Strip|Left" looks into a submenu.
QAction* findAction(QMenu* menu, const QString& path)
{
    QAction* found = nullptr;
    for (const QString& part : path.split(QLatin1Char('|'))) {
        const QList<QAction*> actions = menu ? menu->actions() : QList<QAction*>();
        const auto it = std::find_if(actions.begin(), actions.end(), [&part](QAction* a) { return a->text() == part; });
        found = it == actions.end() ? nullptr : *it;
        menu = found ? found->menu() : nullptr;
    }
    return found;
}

// An editor in the given mode holding text, with an empty undo history.
void prepare(Editor& editor, bool unicode, EolFormat format, const QString& text)
{
    editor.setUnicode(unicode);
    editor.setEolFormat(format);
    editor.setText(editor.toEditorBytes(text));
    editor.emptyUndoBuffer();
    editor.gotoPos(0);
}

void row(const QString& name, const char* items, bool unicode, int format, const char* text, const QByteArray& expected,
         int from = -1, int to = -1, const char* clipboard = "clip")
{
    QTest::newRow(qPrintable(name)) << QString::fromUtf8(items) << unicode << format << QString::fromUtf8(text) << from
                                    << to << expected << QString::fromUtf8(clipboard);
}

// A UTF-8 editor holding bytes, with an empty undo history.
void prepareBytes(Editor& editor, const QByteArray& bytes, EolFormat format = EolUnix)
{
    prepare(editor, true, format, QString());
    editor.setText(bytes.constData());
    editor.emptyUndoBuffer();
}

void trigger(Editor& editor, const QString& item)
{
    QAction* action = findAction(editor.contextMenu(), item);
    QVERIFY2(action, qPrintable(item));
    action->trigger();
}

QByteArray documentBytes(const Editor& editor)
{
    return QByteArray(editor.characterPointer(), editor.textLength());
}

// What the string frame of the line operations makes of the document: the selected bytes (or all),
// a selection's final break kept aside, the string path in place of the selection.
QByteArray stringFrame(const QByteArray& document, int from, int to, bool unicode, EolFormat eol,
                       const LineOpsReference::Op& op)
{
    const bool whole = from == to;
    if (whole) {
        from = 0;
        to = document.size();
    }
    QByteArray bytes = document.mid(from, to - from);
    QByteArray trailingBreak;
    if (!whole && (bytes.endsWith('\n') || bytes.endsWith('\r'))) {
        trailingBreak = bytes.right(bytes.endsWith("\r\n") ? 2 : 1);
        bytes.chop(trailingBreak.size());
    }
    bool noLines = false;
    const QByteArray result = LineOpsReference::stringPath(op, bytes, eol, unicode, &noLines);
    return document.left(from) + (noLines ? QByteArray() : result + trailingBreak) + document.mid(to);
}

// Enough numbers in no order that a sort of them lets events run before it ends.
QByteArray longNumberText()
{
    QByteArray text;
    for (int i = 0; i < 300000; ++i)
        text.append(QByteArray::number((i * 7919LL) % 100003)).append('\n');
    return text;
}

} // namespace

class TestEditorLineOps : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TestSupport::useTemporaryConfigHome();
        Preferences::instance();
    }

    void operation_data()
    {
        QTest::addColumn<QString>("items"); // triggered in turn
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from"); // -1: no selection
        QTest::addColumn<int>("to");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QString>("clipboard"); // holds "clip" before
        const int lf = EolUnix, crlf = EolWindows, cr = EolMac;
        // These pin the editor's own part: modes, selections, the clipboard items.
        row("right, CR LF", "&Align|&Right", true, crlf, "a\r\nabcd", "   a\r\nabcd");
        row("upper, ANSI, CR", "&Convert|&Upper", false, cr, "ab\rcd", "AB\rCD");
        row("number up, ANSI", "Sort|Numberic Ascending", false, lf, "10\n9\nx\n-1", "-1\nx\n9\n10");
        row("alpha up utf8", "Sort|Alphabetic Ascending", true, lf, "a\nB\né\nc", "B\na\nc\n\xc3\xa9");
        row("alpha up ansi", "Sort|Alphabetic Ascending", false, lf, "a\nB\né\nc", "B\na\nc\n\xe9");
        row("sort above U+E000 as UTF-16", "Sort|Alphabetic Ascending", true, lf, "\ue000\n😀\na", "a\n😀\n\xee\x80\x80");
        // In ANSI mode the ideographs cannot be held and the width is the number of units.
        row("pad wide utf8", "Pad Space", true, lf, "中文\nabcde", "\xe4\xb8\xad\xe6\x96\x87 \nabcde");
        row("pad wide ansi", "Pad Space", false, lf, "中文\nabcde", "??   \nabcde");
        row("truncate right pair", "&Truncate|&Right with 1 character", true, lf, "ab😀\n😀", "ab\n");
        // Without a selection every line takes part, the empty one after a final break too.
        row("whole text with final break", "Sort|Alphabetic Ascending", true, lf, "b\na\n", "\na\nb");
        // A selection inside a line is what the step works on; one ending with its break keeps the break.
        row("part of a line", "&Truncate|&Right with 1 character", true, lf, "ab cd\nnext", "a cd\nnext", 0, 2);
        row("two middle lines", "&Convert|&Upper", true, lf, "aa\nbb\ncc\ndd", "aa\nBB\nCC\ndd", 3, 8);
        row("selection ending with a break", "Sort|Re&verse", true, lf, "1\n2\n3\nrest", "3\n2\n1\nrest", 0, 6);
        row("selection ending with CR LF", "&Convert|&Upper", true, crlf, "a\r\nb\r\nc", "A\r\nB\r\nc", 0, 6);
        row("editor's own break", "Sort|Alphabetic Ascending", true, crlf, "x\ny\rb\na", "a\r\nb\r\nx\r\ny", 0, 7);
        // Removing every selected line removes its last break too.
        row("remove selected blank lines", "Remove Empty Lines", true, lf, "a\n\n\nb", "a\nb", 2, 4);
        row("remove all lines of a selection", "Remove Empty Lines", true, lf, "a\n \n\nb", "a\nb", 2, 5);
        row("cut", "Cut", true, lf, "one two", "one", 3, 7, " two");
        row("copy", "Copy", true, lf, "one two", "one two", 0, 3, "one");
        row("delete", "Delete", true, lf, "one two", "otwo", 1, 4);
        row("paste", "Paste", true, lf, "one two", "clipone two");
        row("select all, cut", "SelectAll,Cut", true, lf, "one\ntwo", "", -1, -1, "one\ntwo");
    }

    void operation()
    {
        QFETCH(QString, items);
        QFETCH(bool, unicode);
        QFETCH(int, format);
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QByteArray, expected);
        QFETCH(QString, clipboard);
        QApplication::clipboard()->setText(QStringLiteral("clip"));
        Editor editor;
        prepare(editor, unicode, EolFormat(format), text);
        if (from >= 0)
            editor.setSel(from, to);
        const QByteArray before = editor.getText();
        for (const QString& item : items.split(QLatin1Char(',')))
            trigger(editor, item);
        QCOMPARE(editor.getText(), expected);
        QCOMPARE(QApplication::clipboard()->text(), clipboard);
        editor.undo(); // one step brings the text back
        QCOMPARE(editor.getText(), before);
        QVERIFY(!editor.canUndo());
    }

    void rectangleTakesWholeLines()
    {
        const QByteArray text = "abcd\nefgh\nijkl";
        for (const auto& [item, expected] : {std::pair<const char*, QByteArray>{"&Convert|&Upper", "ABCD\nEFGH\nIJKL"},
                                             {"Sort|Re&verse", "ijkl\nefgh\nabcd"}}) {
            Editor editor;
            prepareBytes(editor, text);
            // Two characters wide, three lines high: "bc", "fg", "jk".
            editor.send(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONANCHOR, 1);
            editor.send(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONCARET, 13);
            QVERIFY(editor.selectionIsRectangle());
            trigger(editor, QString::fromLatin1(item));
            QCOMPARE(editor.getText(), expected);
            editor.undo();
            QCOMPARE(editor.getText(), text);
        }
    }

    void everyItemRunsItsStep()
    {
        // Each menu item runs its own step, as the string frame does, with a selection and without.
        const QString text = QStringLiteral(" b\u00e9 12\r\n\r\n\U0001F600a x \r\n-3\r\n");
        for (const LineOpsReference::Op& op : LineOpsReference::ops()) {
            for (const bool selection : {false, true}) {
                Editor editor;
                prepare(editor, true, EolWindows, text);
                const QByteArray before = documentBytes(editor);
                const int from = selection ? 1 : 0, to = selection ? before.size() - 4 : 0;
                editor.setSel(from, to);
                trigger(editor, QString::fromUtf8(op.item));
                QVERIFY2(documentBytes(editor) == stringFrame(before, from, to, true, EolWindows, op), op.name);
            }
        }
    }

    void largeResultInPieces_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<bool>("selection");
        QTest::addRow("reverse, whole text") << "reverse" << false;
        QTest::addRow("upper, selection") << "upper" << true;
    }

    void largeResultInPieces()
    {
        // A result of many megabytes is written a piece at a time: the same bytes, one undo step,
        // the caret's line kept and the text editable afterwards.
        QFETCH(QString, op);
        QFETCH(bool, selection);
        QByteArray text;
        for (int i = 0; i < 900000; ++i)
            text.append("line \xc3\xa9 ").append(QByteArray::number(i)).append(i % 3 == 0 ? "\r\n" : "\n");
        Editor editor;
        prepareBytes(editor, text, EolWindows);
        editor.setCursorPosition(5000, 3);
        int from = 0;
        int to = 0;
        if (selection) {
            from = editor.positionBefore(100004);
            to = editor.positionBefore(text.size() - 77);
            editor.setSel(from, to);
        }
        const LineOpsReference::Op& reference = LineOpsReference::op(qPrintable(op));
        const QByteArray expected = stringFrame(text, from, to, true, EolWindows, reference);
        trigger(editor, QString::fromUtf8(reference.item));
        QVERIFY(documentBytes(editor) == expected);
        QVERIFY(!editor.readOnly());
        if (!selection) {
            int line = 0;
            int index = 0;
            editor.cursorPosition(&line, &index);
            QCOMPARE(line, 5000);
        }
        editor.undo();
        QVERIFY(documentBytes(editor) == text);
        QVERIFY(!editor.canUndo());
    }

    void invalidUtf8TakesStringPath()
    {
        // Bytes that are no UTF-8 read as U+FFFD, as the string path has always read them.
        Editor editor;
        prepareBytes(editor, "b\na\xff");
        trigger(editor, QStringLiteral("Sort|Alphabetic Ascending"));
        QCOMPARE(documentBytes(editor), QByteArray("a\xef\xbf\xbd\nb"));
        editor.undo();
        QCOMPARE(documentBytes(editor), QByteArray("b\na\xff"));
    }

    void escapeStopsAndTypingWaits()
    {
        // During a long sort the text it read stays as it is: typing and a second operation
        // are held off, and Esc is the stop, which leaves the text as it was with nothing to undo.
        const QByteArray text = longNumberText();
        Editor editor;
        prepareBytes(editor, text);
        bool wasReadOnly = false;
        QTimer::singleShot(0, &editor, [&] {
            wasReadOnly = editor.readOnly();
            QTest::keyClicks(&editor, "typed");
            trigger(editor, QStringLiteral("Sort|Re&verse"));
            QTest::keyClick(&editor, Qt::Key_Escape);
        });
        trigger(editor, QStringLiteral("Sort|Alphabetic Ascending"));
        QVERIFY(wasReadOnly);
        QVERIFY(documentBytes(editor) == text);
        QVERIFY(!editor.canUndo());
        QVERIFY(!editor.readOnly());
        QTest::keyClicks(&editor, "x");
        QVERIFY(editor.canUndo());
        // The next operation is not held back by the stop before.
        const QByteArray typed = documentBytes(editor);
        trigger(editor, QStringLiteral("Sort|Alphabetic Ascending"));
        QVERIFY(documentBytes(editor) != typed);
    }

    void stopDuringUpperKeepsLines()
    {
        // A per-line step stops after the line in hand: every line is still there, those before
        // the stop done, the others as they were; one undo brings the text back. The stop comes
        // the third time events run.
        QByteArray text;
        for (int i = 0; i < 200000; ++i)
            text.append("line \xc3\xa9 ").append(QByteArray::number(i)).append('\n');
        const QList<QByteArray> before = text.split('\n');
        Editor editor;
        prepareBytes(editor, text);
        int runs = 0;
        QTimer timer;
        timer.setInterval(0);
        connect(&timer, &QTimer::timeout, &editor, [&] {
            if (++runs == 3)
                editor.stopLineOperation();
        });
        timer.start();
        editor.upper();
        timer.stop();
        const QList<QByteArray> after = documentBytes(editor).split('\n');
        QCOMPARE(after.size(), before.size());
        int done = 0;
        while (done < after.size() && after.at(done) != before.at(done))
            ++done;
        for (int i = 0; i < done; ++i)
            QVERIFY(after.at(i) == QByteArray(before.at(i)).replace("line \xc3\xa9", "LINE \xc3\x89"));
        for (int i = done; i < after.size(); ++i)
            QVERIFY(after.at(i) == before.at(i));
        editor.undo();
        QVERIFY(documentBytes(editor) == text);
    }

    void editorDeletedDuringSort()
    {
        // Events run during the sort; the editor may be gone when it returns.
        QPointer<Editor> editor = new Editor;
        editor->setText(longNumberText().constData());
        QTimer::singleShot(0, [&editor] { delete editor.data(); });
        editor->sortAscendAsAlpha();
        QVERIFY(editor.isNull());
    }

    void randomKeepsLines()
    {
        QStringList input;
        for (int i = 0; i < 200; ++i)
            input << QString::number(i);
        for (const bool unicode : {true, false}) {
            Editor editor;
            prepare(editor, unicode, EolUnix, input.join(QLatin1Char('\n')));
            trigger(editor, QStringLiteral("Sort|Random"));
            QStringList result = editor.allLines();
            QVERIFY(result != input); // 200! orders; staying put is not a shuffle
            const auto byValue = [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); };
            std::sort(result.begin(), result.end(), byValue);
            QCOMPARE(result, input);
            editor.undo();
            QCOMPARE(editor.allLines(), input);
        }
    }

    void keepsCaretAndView()
    {
        QStringList input;
        for (int i = 0; i < 400; ++i)
            input << QStringLiteral("  line %1").arg(i);
        Editor editor;
        editor.resize(400, 200);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        prepare(editor, true, EolUnix, input.join(QLatin1Char('\n')));
        editor.setCursorPosition(250, 4);
        editor.setFirstVisibleLine(200);
        editor.upper();
        QCOMPARE(editor.lineText(250), QStringLiteral("  LINE 250"));
        QCOMPARE(editor.firstVisibleLine(), 200);
        QCOMPARE(editor.currentPos(), editor.positionFromLine(250) + 4);
        // Lines get shorter: the caret stays on its line, at most at its end.
        editor.setCursorPosition(250, 10); // at the end; this one scrolls the caret into view
        const int firstLine = editor.firstVisibleLine();
        editor.truncateRight();
        QCOMPARE(editor.currentPos(), editor.positionFromLine(250) + 9);
        QCOMPARE(editor.firstVisibleLine(), firstLine);
    }
};

QTEST_MAIN(TestEditorLineOps)
#include "tst_editorlineops.moc"
