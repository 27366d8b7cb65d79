// The line operations of the editor's context menu, run through the menu on real editors: the
// result in both encodings and line-end modes, selections, one undo step, caret and view kept.

#include "TestSupport.h"
#include "editor/Editor.h"
#include "editor/LineList.h"
#include "editor/TextBytes.h"
#include "settings/Preferences.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QRandomGenerator>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>

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

QByteArray documentBytes(const Editor& editor)
{
    return QByteArray(editor.characterPointer(), editor.textLength());
}

// The operations that run on the editor's bytes, with the LineList step they must match.
struct ByteOp
{
    const char* item;
    std::function<void(LineList&)> step;
};

const std::vector<ByteOp>& byteOps()
{
    static const std::vector<ByteOp> table = {
        {"&Convert|&Upper", [](LineList& l) { l.toUpper(); }},
        {"&Convert|&Lower", [](LineList& l) { l.toLower(); }},
        {"Remove Empty Lines", [](LineList& l) { l.removeEmptyLines(); }},
        {"Pad Space", [](LineList& l) { l.pad(); }},
        {"&Align|&Left", [](LineList& l) { l.align(LineList::AlignLeft); }},
        {"&Align|&Right", [](LineList& l) { l.align(LineList::AlignRight); }},
        {"&Align|&Center", [](LineList& l) { l.align(LineList::AlignCenter); }},
        {"Sort|Alphabetic Ascending", [](LineList& l) { l.sort(LineList::SortText, Qt::AscendingOrder); }},
        {"Sort|Alphabetic Descending", [](LineList& l) { l.sort(LineList::SortText, Qt::DescendingOrder); }},
        {"Sort|Numberic Ascending", [](LineList& l) { l.sort(LineList::SortNumber, Qt::AscendingOrder); }},
        {"Sort|Numberic Descending", [](LineList& l) { l.sort(LineList::SortNumber, Qt::DescendingOrder); }},
        {"Sort|Re&verse", [](LineList& l) { l.reverse(); }},
        {"&Convert|Upper First Character", [](LineList& l) { l.upperFirstChar(); }},
        {"&Convert|Lower First Character", [](LineList& l) { l.lowerFirstChar(); }},
        {"&Convert|&Swap Case", [](LineList& l) { l.swapCase(); }},
        {"&Truncate|&Left with 1 character", [](LineList& l) { l.truncateLeft(); }},
        {"&Truncate|&Right with 1 character", [](LineList& l) { l.truncateRight(); }},
        {"&Strip|Left", [](LineList& l) { l.lstrip(); }},
        {"&Strip|Right", [](LineList& l) { l.rstrip(); }},
        {"&Strip|Left and Right", [](LineList& l) { l.strip(); }},
    };
    return table;
}

// What the string frame of the line operations makes of the document: the selected bytes (or all)
// decoded line by line, a selection's final break kept aside, the step, the lines joined with the
// editor's break and encoded in place of the selection.
QByteArray stringFrame(const QByteArray& document, int from, int to, bool unicode, EolFormat eol,
                       const std::function<void(LineList&)>& step)
{
    const bool whole = from == to;
    if (whole) {
        from = 0;
        to = document.size();
    }
    const QByteArray bytes = document.mid(from, to - from);
    auto decode = [&](int a, int b) {
        return unicode ? decodeUtf8(bytes.constData() + a, b - a) : QString::fromLatin1(bytes.constData() + a, b - a);
    };
    QStringList lines;
    QByteArray trailingBreak;
    int start = 0;
    int lastBreak = -1;
    for (int i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c != '\n' && c != '\r')
            continue;
        lines.append(decode(start, i));
        lastBreak = i;
        if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size() || whole)
        lines.append(decode(start, bytes.size()));
    else
        trailingBreak = bytes.mid(lastBreak);
    LineList list(lines, eol, unicode);
    step(list);
    const QByteArray result =
        list.lines().isEmpty() ? QByteArray() : encodeEditorText(list.joined(), unicode) + trailingBreak;
    return document.left(from) + result + document.mid(to);
}

QString randomEditorLine(QRandomGenerator& random)
{
    static const QStringList atoms = {QStringLiteral("a"),
                                      QStringLiteral("B"),
                                      QStringLiteral("z"),
                                      QStringLiteral("7"),
                                      QStringLiteral("-"),
                                      QStringLiteral("12"),
                                      QStringLiteral(" "),
                                      QStringLiteral("\t"),
                                      QStringLiteral("\u00e9"),
                                      QStringLiteral("\u00df"),
                                      QStringLiteral("\u00ff"),
                                      QStringLiteral("\u00a0"),
                                      QStringLiteral("\u3000"),
                                      QStringLiteral("\u4e2d"),
                                      QStringLiteral("\ue000"),
                                      QStringLiteral("\uffee"),
                                      QStringLiteral("\u0663"),
                                      QString::fromUtf8("\xf0\x9f\x98\x80"),
                                      QString::fromUtf8("\xf0\x90\x80\x80")};
    QString line;
    for (int i = 0, n = int(random.bounded(6)); i < n; ++i)
        line += atoms.at(int(random.bounded(atoms.size())));
    return line;
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
        for (const bool u : {true, false}) {
            const QString m = QLatin1String(u ? "utf8 " : "ansi ");
            row(m + "center", "&Align|&Center", u, lf, "a\nabcd", " a  \nabcd");
            row(m + "right", "&Align|&Right", u, crlf, "a\r\nabcd", "   a\r\nabcd");
            row(m + "left", "&Align|&Left", u, lf, "  a\nabcd  ", "a\nabcd");
            row(m + "pad", "Pad Space", u, lf, "a\nabc\n", "a  \nabc\n   ");
            row(m + "number up", "Sort|Numberic Ascending", u, crlf, "10\r\n9\r\nx\r\n-1", "-1\r\nx\r\n9\r\n10");
            row(m + "number down", "Sort|Numberic Descending", u, lf, "9\n-1\n10\nx", "10\n9\nx\n-1");
            row(m + "alpha down", "Sort|Alphabetic Descending", u, lf, "a\nB\nc", "c\na\nB");
            row(m + "reverse", "Sort|Re&verse", u, cr, "1\r2\r3", "3\r2\r1");
        }
        row("alpha up utf8", "Sort|Alphabetic Ascending", true, lf, "a\nB\né\nc", "B\na\nc\n\xc3\xa9");
        row("alpha up ansi", "Sort|Alphabetic Ascending", false, lf, "a\nB\né\nc", "B\na\nc\n\xe9");
        // In ANSI mode the ideographs cannot be held and the width is the number of units.
        row("pad wide utf8", "Pad Space", true, lf, "中文\nabcde", "\xe4\xb8\xad\xe6\x96\x87 \nabcde");
        row("pad wide ansi", "Pad Space", false, lf, "中文\nabcde", "??   \nabcde");
        row("center wide utf8", "&Align|&Center", true, lf, "中\nabcd", " \xe4\xb8\xad \nabcd");
        row("right wide utf8", "&Align|&Right", true, lf, "中\nabcd", "  \xe4\xb8\xad\nabcd");
        row("upper", "&Convert|&Upper", false, cr, "ab\rcd", "AB\rCD");
        row("lower", "&Convert|&Lower", true, lf, "AbC\nD", "abc\nd");
        row("upper first utf8", "&Convert|Upper First Character", true, lf, "élan\n\nx", "\xc3\x89lan\n\nX");
        row("lower first", "&Convert|Lower First Character", true, lf, "ABC\nDéx", "aBC\nd\xc3\xa9x");
        row("swap case", "&Convert|&Swap Case", true, lf, "aB1\nÉx", "Ab1\n\xc3\xa9X");
        row("truncate left pair", "&Truncate|&Left with 1 character", true, lf, "😀ab\n\n😀", "ab\n\n");
        row("truncate right pair", "&Truncate|&Right with 1 character", true, lf, "ab😀\n😀", "ab\n");
        row("strip left", "&Strip|Left", true, lf, "\t  a b  ", "a b  ");
        row("strip right", "&Strip|Right", true, lf, "\t  a b  ", "\t  a b");
        row("strip both", "&Strip|Left and Right", true, lf, "\t  a b  ", "a b");
        row("remove empty lines", "Remove Empty Lines", true, lf, "a\n\n   \n\t \nb", "a\nb");
        // Without a selection every line takes part, the empty one after a final break too.
        row("whole text with final break", "Sort|Alphabetic Ascending", true, lf, "b\na\n", "\na\nb");
        // A selection inside a line is what the step works on; one ending with its break keeps the break.
        row("part of a line", "&Truncate|&Right with 1 character", true, lf, "ab cd\nnext", "a cd\nnext", 0, 2);
        row("two middle lines", "&Convert|&Upper", true, lf, "aa\nbb\ncc\ndd", "aa\nBB\nCC\ndd", 3, 8);
        row("selection ending with a break", "Sort|Re&verse", true, lf, "1\n2\n3\nrest", "3\n2\n1\nrest", 0, 6);
        row("selection ending with CR LF", "&Convert|&Upper", true, crlf, "a\r\nb\r\nc", "A\r\nB\r\nc", 0, 6);
        row("editor's own break", "Sort|Alphabetic Ascending", true, crlf, "x\ny\rb\na", "a\r\nb\r\nx\r\ny", 0, 7);
        row("cut", "Cut", true, lf, "one two", "one", 3, 7, " two");
        row("copy", "Copy", true, lf, "one two", "one two", 0, 3, "one");
        row("delete", "Delete", true, lf, "one two", "otwo", 1, 4);
        row("paste", "Paste", true, lf, "one two", "clipone two");
        row("select all, cut", "SelectAll,Cut", true, lf, "one\ntwo", "", -1, -1, "one\ntwo");
        row("remove empty in selection", "Remove Empty Lines", true, lf, "a\n\nb\n\nc", "a\nb\n\nc", 0, 4);
        row("remove selected blank lines", "Remove Empty Lines", true, lf, "a\n\n\nb", "a\nb", 2, 4);
        row("remove all lines of a selection", "Remove Empty Lines", true, lf, "a\n \n\nb", "a\nb", 2, 5);
        row("sort above U+E000 as UTF-16", "Sort|Alphabetic Ascending", true, lf, "\ue000\n😀\na", "a\n😀\n\xee\x80\x80");
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
        for (const QString& item : items.split(QLatin1Char(','))) {
            QAction* action = findAction(editor.contextMenu(), item);
            QVERIFY2(action, qPrintable(item));
            action->trigger();
        }
        QCOMPARE(editor.getText(), expected);
        QCOMPARE(QApplication::clipboard()->text(), clipboard);
        editor.undo(); // one step brings the text back
        QCOMPARE(editor.getText(), before);
        QVERIFY(!editor.canUndo());
    }

    void rectangleTakesWholeLines_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QByteArray>("expected");
        QTest::addRow("upper") << "&Convert|&Upper" << QByteArray("ABCD\nEFGH\nIJKL");
        QTest::addRow("reverse") << "Sort|Re&verse" << QByteArray("ijkl\nefgh\nabcd");
        QTest::addRow("truncate right") << "&Truncate|&Right with 1 character" << QByteArray("abc\nefg\nijk");
        QTest::addRow("alpha down") << "Sort|Alphabetic Descending" << QByteArray("ijkl\nefgh\nabcd");
        QTest::addRow("center") << "&Align|&Center" << QByteArray("abcd\nefgh\nijkl");
    }

    void rectangleTakesWholeLines()
    {
        QFETCH(QString, item);
        QFETCH(QByteArray, expected);
        Editor editor;
        prepare(editor, true, EolUnix, QStringLiteral("abcd\nefgh\nijkl"));
        // Two characters wide, three lines high: "bc", "fg", "jk".
        editor.send(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONANCHOR, 1);
        editor.send(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONCARET, 13);
        QVERIFY(editor.selectionIsRectangle());
        QAction* action = findAction(editor.contextMenu(), item);
        QVERIFY2(action, qPrintable(item));
        action->trigger();
        QCOMPARE(editor.getText(), expected);
        editor.undo();
        QCOMPARE(editor.getText(), QByteArray("abcd\nefgh\nijkl"));
    }

    void bytePathMatchesStrings()
    {
        // Random documents and selections in both encodings and every line-end mode: the result is
        // the string frame's, and one undo brings the text back.
        QRandomGenerator random(20261208);
        static const char* const Breaks[] = {"\n", "\r\n", "\r"};
        for (int round = 0; round < 400; ++round) {
            const ByteOp& op = byteOps()[size_t(round) % byteOps().size()];
            const bool unicode = random.bounded(2) == 0;
            const EolFormat eol = EolFormat(random.bounded(3));
            QString text;
            for (int i = 0, n = int(random.bounded(1, 12)); i < n; ++i) {
                if (i > 0)
                    text += QLatin1String(Breaks[random.bounded(3)]);
                text += randomEditorLine(random);
            }
            if (random.bounded(3) == 0)
                text += QLatin1String(Breaks[random.bounded(3)]);
            Editor editor;
            prepare(editor, unicode, eol, text);
            const QByteArray before = documentBytes(editor);
            int from = 0;
            int to = 0;
            if (random.bounded(3) != 0) {
                // Both ends on character boundaries, never inside a CR LF.
                auto snap = [&](int p) { return p >= before.size() ? p : editor.positionBefore(p + 1); };
                from = snap(int(random.bounded(before.size() + 1)));
                to = snap(int(random.bounded(before.size() + 1)));
                if (from > to)
                    std::swap(from, to);
                editor.setSel(from, to);
            }
            const QByteArray expected = stringFrame(before, from, to, unicode, eol, op.step);
            QAction* action = findAction(editor.contextMenu(), QString::fromUtf8(op.item));
            QVERIFY2(action, op.item);
            action->trigger();
            QVERIFY2(documentBytes(editor) == expected,
                     qPrintable(QStringLiteral("round %1, %2, %3 [%4, %5): %6 gave %7, want %8")
                                    .arg(round)
                                    .arg(QString::fromUtf8(op.item))
                                    .arg(unicode ? QStringLiteral("utf8") : QStringLiteral("ansi"))
                                    .arg(from)
                                    .arg(to)
                                    .arg(QString::fromLatin1(before.toHex(' ')))
                                    .arg(QString::fromLatin1(documentBytes(editor).toHex(' ')))
                                    .arg(QString::fromLatin1(expected.toHex(' ')))));
            if (editor.canUndo()) {
                editor.undo();
                QVERIFY(documentBytes(editor) == before);
            }
            QVERIFY(!editor.canUndo());
        }
    }

    void largeResultInPieces_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("selection");
        for (const char* item : {"Sort|Re&verse", "&Convert|&Upper", "Sort|Alphabetic Ascending"}) {
            QTest::addRow("%s, whole text", item) << item << false;
            QTest::addRow("%s, selection", item) << item << true;
        }
    }

    void largeResultInPieces()
    {
        // A result of many megabytes is written a piece at a time: the same bytes, one undo step,
        // the caret's line kept and the text editable afterwards.
        QFETCH(QString, item);
        QFETCH(bool, selection);
        QByteArray text;
        for (int i = 0; i < 900000; ++i)
            text.append("line \xc3\xa9 ").append(QByteArray::number(i)).append(i % 3 == 0 ? "\r\n" : "\n");
        Editor editor;
        prepare(editor, true, EolWindows, QString());
        editor.setText(text.constData());
        editor.emptyUndoBuffer();
        editor.setCursorPosition(5000, 3);
        int from = 0;
        int to = 0;
        if (selection) {
            from = editor.positionBefore(100004);
            to = editor.positionBefore(text.size() - 77);
            editor.setSel(from, to);
        }
        const auto it = std::find_if(byteOps().begin(), byteOps().end(),
                                     [&item](const ByteOp& op) { return QString::fromUtf8(op.item) == item; });
        QVERIFY(it != byteOps().end());
        const QByteArray expected = stringFrame(text, from, to, true, EolWindows, it->step);
        findAction(editor.contextMenu(), item)->trigger();
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
        prepare(editor, true, EolUnix, QString());
        editor.setText("b\na\xff");
        editor.emptyUndoBuffer();
        findAction(editor.contextMenu(), QStringLiteral("Sort|Alphabetic Ascending"))->trigger();
        QCOMPARE(documentBytes(editor), QByteArray("a\xef\xbf\xbd\nb"));
        editor.undo();
        QCOMPARE(documentBytes(editor), QByteArray("b\na\xff"));
    }

    void stopDuringLongSortLeavesText_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addRow("numeric") << "Sort|Numberic Ascending";
        QTest::addRow("alphabetic") << "Sort|Alphabetic Descending";
        QTest::addRow("reverse") << "Sort|Re&verse";
    }

    void stopDuringLongSortLeavesText()
    {
        // A stop asked for while a sort runs leaves the text as it was, with nothing to undo.
        QFETCH(QString, item);
        const QByteArray text = longNumberText();
        Editor editor;
        prepare(editor, true, EolUnix, QString());
        editor.setText(text.constData());
        editor.emptyUndoBuffer();
        QTimer::singleShot(0, &editor, [&editor] { editor.stopLineOperation(); });
        findAction(editor.contextMenu(), item)->trigger();
        QVERIFY(documentBytes(editor) == text);
        QVERIFY(!editor.canUndo());
        // The next operation is not held back by the stop before.
        findAction(editor.contextMenu(), item)->trigger();
        QVERIFY(documentBytes(editor) != text);
    }

    void escapeStopsAndTypingWaits()
    {
        // During a long sort the text it read stays as it is: typing and a second operation
        // are held off, and Esc is the stop.
        const QByteArray text = longNumberText();
        Editor editor;
        prepare(editor, true, EolUnix, QString());
        editor.setText(text.constData());
        editor.emptyUndoBuffer();
        bool wasReadOnly = false;
        QTimer::singleShot(0, &editor, [&] {
            wasReadOnly = editor.readOnly();
            QTest::keyClicks(&editor, "typed");
            findAction(editor.contextMenu(), QStringLiteral("Sort|Re&verse"))->trigger();
            QTest::keyClick(&editor, Qt::Key_Escape);
        });
        findAction(editor.contextMenu(), QStringLiteral("Sort|Alphabetic Ascending"))->trigger();
        QVERIFY(wasReadOnly);
        QVERIFY(documentBytes(editor) == text);
        QVERIFY(!editor.canUndo());
        QVERIFY(!editor.readOnly());
        QTest::keyClicks(&editor, "x");
        QVERIFY(editor.canUndo());
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
        prepare(editor, true, EolUnix, QString());
        editor.setText(text.constData());
        editor.emptyUndoBuffer();
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
        QByteArray text;
        for (int i = 0; i < 300000; ++i)
            text.append(QByteArray::number((i * 7919LL) % 100003)).append('\n');
        QPointer<Editor> editor = new Editor;
        editor->setText(text.constData());
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
            findAction(editor.contextMenu(), QStringLiteral("Sort|Random"))->trigger();
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
