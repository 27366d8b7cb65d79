// The line operations of the editor's context menu, run through the menu on real editors: the
// result in both encodings and line-end modes, selections, one undo step, caret and view kept.

#include "TestSupport.h"
#include "editor/Editor.h"
#include "settings/Preferences.h"

#include <QMenu>
#include <QtTest>

#include <algorithm>

namespace {

// Finds a menu item by its text; "&Strip|Left" looks into a submenu.
QAction* findAction(QMenu* menu, const QString& path)
{
    const QStringList parts = path.split(QLatin1Char('|'));
    for (int i = 0; i < parts.size(); ++i) {
        QAction* found = nullptr;
        const QList<QAction*> actions = menu->actions();
        for (QAction* action : actions) {
            if (action->text() == parts.at(i))
                found = action;
        }
        if (!found || i == parts.size() - 1)
            return found;
        menu = found->menu();
        if (!menu)
            return nullptr;
    }
    return nullptr;
}

// "a|b|c" -> lines
QStringList lines(const char* joined)
{
    return QString::fromUtf8(joined).split(QLatin1Char('|'));
}

} // namespace

class TestEditorLineOps : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void operation_data();
    void operation();
    void selection_data();
    void selection();
    void randomKeepsLines();
    void keepsCaretAndView();

private:
    // An editor in the given mode holding text, with an empty undo history.
    void prepare(Editor& editor, bool unicode, EolFormat format, const QString& text);
};

void TestEditorLineOps::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
    Preferences::instance();
}

void TestEditorLineOps::prepare(Editor& editor, bool unicode, EolFormat format, const QString& text)
{
    editor.setUnicode(unicode);
    editor.setEolFormat(format);
    editor.setText(editor.toEditorBytes(text));
    editor.emptyUndoBuffer();
    editor.gotoPos(0);
}

void TestEditorLineOps::operation_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("unicode");
    QTest::addColumn<int>("format");
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<QByteArray>("expected");

    const QString upper = QStringLiteral("&Convert|&Upper");
    const QString pad = QStringLiteral("Pad Space");
    const QString left = QStringLiteral("&Align|&Left");
    const QString right = QStringLiteral("&Align|&Right");
    const QString center = QStringLiteral("&Align|&Center");
    const QString numberUp = QStringLiteral("Sort|Numberic Ascending");
    const QString numberDown = QStringLiteral("Sort|Numberic Descending");
    const QString alphaUp = QStringLiteral("Sort|Alphabetic Ascending");
    const QString alphaDown = QStringLiteral("Sort|Alphabetic Descending");
    const QString reverse = QStringLiteral("Sort|Re&verse");

    QTest::newRow("upper unix") << upper << true << int(EolUnix) << lines("ab|cd") << QByteArray("AB\nCD");
    QTest::newRow("upper windows") << upper << true << int(EolWindows) << lines("ab|cd") << QByteArray("AB\r\nCD");
    QTest::newRow("upper mac ansi") << upper << false << int(EolMac) << lines("ab|cd") << QByteArray("AB\rCD");
    QTest::newRow("lower") << QStringLiteral("&Convert|&Lower") << true << int(EolUnix) << lines("AbC|D")
                           << QByteArray("abc\nd");
    QTest::newRow("upper first utf8") << QStringLiteral("&Convert|Upper First Character") << true << int(EolUnix)
                                      << lines("élan||x") << QByteArray("\xc3\x89lan\n\nX");
    QTest::newRow("upper first ansi") << QStringLiteral("&Convert|Upper First Character") << false << int(EolUnix)
                                      << lines("élan||x") << QByteArray("\xc9lan\n\nX");
    QTest::newRow("lower first") << QStringLiteral("&Convert|Lower First Character") << true << int(EolUnix)
                                 << lines("ABC|Déf") << QByteArray("aBC\nd\xc3\xa9"
                                                                   "f");
    QTest::newRow("swap case") << QStringLiteral("&Convert|&Swap Case") << true << int(EolUnix) << lines("aB1|Éx")
                               << QByteArray("Ab1\n\xc3\xa9X");
    QTest::newRow("truncate left") << QStringLiteral("&Truncate|&Left with 1 character") << true << int(EolUnix)
                                   << lines("abc||é") << QByteArray("bc\n\n");
    QTest::newRow("truncate right") << QStringLiteral("&Truncate|&Right with 1 character") << false << int(EolUnix)
                                    << lines("abc||é") << QByteArray("ab\n\n");

    QStringList spaced{QStringLiteral("\t  a b  ")};
    QTest::newRow("strip left") << QStringLiteral("&Strip|Left") << true << int(EolUnix) << spaced
                                << QByteArray("a b  ");
    QTest::newRow("strip right") << QStringLiteral("&Strip|Right") << true << int(EolUnix) << spaced
                                 << QByteArray("\t  a b");
    QTest::newRow("strip both") << QStringLiteral("&Strip|Left and Right") << true << int(EolUnix) << spaced
                                << QByteArray("a b");
    QTest::newRow("remove empty lines")
        << QStringLiteral("Remove Empty Lines") << true << int(EolUnix)
        << QStringList{QStringLiteral("a"), QString(), QStringLiteral("   "), QStringLiteral("\t "),
                       QStringLiteral("b")}
        << QByteArray("a\nb");

    QTest::newRow("pad utf8") << pad << true << int(EolUnix) << lines("a|abc|") << QByteArray("a  \nabc\n   ");
    QTest::newRow("pad ansi") << pad << false << int(EolUnix) << lines("a|abc|") << QByteArray("a  \nabc\n   ");
    QTest::newRow("pad wide utf8") << pad << true << int(EolUnix) << lines("中文|abcde")
                                   << QByteArray("\xe4\xb8\xad\xe6\x96\x87 \nabcde");
    // In ANSI mode the ideographs cannot be held and the width is the number of units.
    QTest::newRow("pad wide ansi") << pad << false << int(EolUnix) << lines("中文|abcde")
                                   << QByteArray("??   \nabcde");

    QTest::newRow("center utf8") << center << true << int(EolUnix) << lines("a|abcd") << QByteArray(" a  \nabcd");
    QTest::newRow("center ansi") << center << false << int(EolUnix) << lines("a|abcd") << QByteArray(" a  \nabcd");
    QTest::newRow("center wide utf8") << center << true << int(EolUnix) << lines("中|abcd")
                                      << QByteArray(" \xe4\xb8\xad \nabcd");
    QTest::newRow("center wide ansi") << center << false << int(EolUnix) << lines("中|abcd")
                                      << QByteArray(" ?  \nabcd");
    QTest::newRow("right utf8") << right << true << int(EolUnix) << lines("a|abcd") << QByteArray("   a\nabcd");
    QTest::newRow("right ansi") << right << false << int(EolWindows) << lines("a|abcd")
                                << QByteArray("   a\r\nabcd");
    QTest::newRow("right wide utf8") << right << true << int(EolUnix) << lines("中|abcd")
                                     << QByteArray("  \xe4\xb8\xad\nabcd");
    QTest::newRow("left utf8") << left << true << int(EolUnix) << lines("  a|abcd  ") << QByteArray("a\nabcd");
    QTest::newRow("left ansi") << left << false << int(EolUnix) << lines("  a|abcd  ") << QByteArray("a\nabcd");

    QTest::newRow("number ascending utf8") << numberUp << true << int(EolUnix) << lines("10|9|x|-1")
                                           << QByteArray("-1\nx\n9\n10");
    QTest::newRow("number ascending ansi") << numberUp << false << int(EolWindows) << lines("10|9|x|-1")
                                           << QByteArray("-1\r\nx\r\n9\r\n10");
    QTest::newRow("number descending utf8") << numberDown << true << int(EolUnix) << lines("9|-1|10|x")
                                            << QByteArray("10\n9\nx\n-1");
    QTest::newRow("number descending ansi") << numberDown << false << int(EolUnix) << lines("9|-1|10|x")
                                            << QByteArray("10\n9\nx\n-1");
    QTest::newRow("alpha ascending utf8") << alphaUp << true << int(EolUnix) << lines("a|B|é|c")
                                          << QByteArray("B\na\nc\n\xc3\xa9");
    QTest::newRow("alpha ascending ansi") << alphaUp << false << int(EolUnix) << lines("a|B|é|c")
                                          << QByteArray("B\na\nc\n\xe9");
    QTest::newRow("alpha descending utf8") << alphaDown << true << int(EolUnix) << lines("a|B|c")
                                           << QByteArray("c\na\nB");
    QTest::newRow("alpha descending ansi") << alphaDown << false << int(EolUnix) << lines("a|B|c")
                                           << QByteArray("c\na\nB");
    QTest::newRow("reverse") << reverse << true << int(EolUnix) << lines("1|2|3") << QByteArray("3\n2\n1");
    QTest::newRow("reverse one line") << reverse << true << int(EolUnix) << lines("only") << QByteArray("only");
    // Without a selection every line takes part, the empty one after a final break too.
    QTest::newRow("whole text with final break")
        << alphaUp << true << int(EolUnix) << lines("b|a|") << QByteArray("\na\nb");
}

void TestEditorLineOps::operation()
{
    QFETCH(QString, item);
    QFETCH(bool, unicode);
    QFETCH(int, format);
    QFETCH(QStringList, input);
    QFETCH(QByteArray, expected);

    Editor editor;
    const QString original = input.join(eolString(EolFormat(format)));
    prepare(editor, unicode, EolFormat(format), original);
    const QByteArray before = editor.getText();
    QAction* action = findAction(editor.contextMenu(), item);
    QVERIFY2(action, qPrintable(item));
    action->trigger();
    QCOMPARE(editor.getText(), expected);

    // One undo step brings the text back.
    QVERIFY(editor.canUndo());
    editor.undo();
    QCOMPARE(editor.getText(), before);
    QVERIFY(!editor.canUndo());
}

void TestEditorLineOps::selection_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("expected");

    QTest::newRow("part of one line is one line")
        << QStringLiteral("&Truncate|&Right with 1 character") << int(EolUnix) << QStringLiteral("hello world\nnext")
        << 0 << 5 << QStringLiteral("hell world\nnext");
    QTest::newRow("upper on two middle lines") << QStringLiteral("&Convert|&Upper") << int(EolUnix)
                                               << QStringLiteral("aa\nbb\ncc\ndd") << 3 << 8
                                               << QStringLiteral("aa\nBB\nCC\ndd");
    // A selection that ends with its line break keeps the break: the next line is not pulled up.
    QTest::newRow("selection ending with a break")
        << QStringLiteral("Sort|Re&verse") << int(EolUnix) << QStringLiteral("1\n2\n3\nrest") << 0 << 6
        << QStringLiteral("3\n2\n1\nrest");
    QTest::newRow("selection ending with CR LF")
        << QStringLiteral("&Convert|&Upper") << int(EolWindows) << QStringLiteral("a\r\nb\r\nc") << 0 << 6
        << QStringLiteral("A\r\nB\r\nc");
    QTest::newRow("selected lines joined by the editor's break")
        << QStringLiteral("Sort|Alphabetic Ascending") << int(EolWindows) << QStringLiteral("x\ny\rb\na") << 0
        << 7 << QStringLiteral("a\r\nb\r\nx\r\ny");
    QTest::newRow("remove empty in selection")
        << QStringLiteral("Remove Empty Lines") << int(EolUnix) << QStringLiteral("a\n\nb\n\nc") << 0 << 4
        << QStringLiteral("a\nb\n\nc");
}

void TestEditorLineOps::selection()
{
    QFETCH(QString, item);
    QFETCH(int, format);
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, expected);

    Editor editor;
    prepare(editor, true, EolFormat(format), text);
    editor.setSel(from, to);
    QAction* action = findAction(editor.contextMenu(), item);
    QVERIFY2(action, qPrintable(item));
    action->trigger();
    QCOMPARE(editor.text(), expected);
    editor.undo();
    QCOMPARE(editor.text(), text);
}

void TestEditorLineOps::randomKeepsLines()
{
    QStringList input;
    for (int i = 0; i < 200; ++i)
        input << QString::number(i);
    Editor editor;
    prepare(editor, true, EolUnix, input.join(QLatin1Char('\n')));
    QAction* random = findAction(editor.contextMenu(), QStringLiteral("Sort|Random"));
    QVERIFY(random);
    random->trigger();
    QStringList result = editor.allLines();
    QCOMPARE(result.size(), input.size());
    QVERIFY(result != input); // 200! orders; staying put is not a shuffle
    std::sort(result.begin(), result.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    QCOMPARE(result, input);
    editor.undo();
    QCOMPARE(editor.allLines(), input);
}

void TestEditorLineOps::keepsCaretAndView()
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
    int line = 0;
    int index = 0;
    editor.cursorPosition(&line, &index);
    QCOMPARE(line, 250);
    QCOMPARE(index, 4);

    // Lines get shorter: the caret stays on its line, at most at its end.
    editor.strip();
    editor.cursorPosition(&line, &index);
    QCOMPARE(line, 250);
    QCOMPARE(index, 4);
    QCOMPARE(editor.firstVisibleLine(), 200);
    editor.setCursorPosition(250, 8); // this one scrolls the caret into view
    const int firstLine = editor.firstVisibleLine();
    editor.truncateRight();
    editor.cursorPosition(&line, &index);
    QCOMPARE(line, 250);
    QCOMPARE(index, 7);
    QCOMPARE(editor.firstVisibleLine(), firstLine);
}

QTEST_MAIN(TestEditorLineOps)
#include "tst_editorlineops.moc"
