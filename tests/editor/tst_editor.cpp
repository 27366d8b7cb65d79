// The editor widget: encodings, text access, line ends, margin, preferences, tracking signals,
// context menu, drops and saving, on real Scintilla editors.

#include "TestSupport.h"
#include "editor/CaretSyncTarget.h"
#include "editor/Editor.h"
#include "settings/Preferences.h"
#include "widgets/QProgressIndicator.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QVBoxLayout>
#include <QtTest>

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

class FakeCaretSync : public CaretSyncTarget
{
public:
    struct Call {
        QWidget* source;
        int firstVisibleLine;
        int line;
        int column;
    };
    void syncCaret(QWidget* source, int firstVisibleLine, int line, int column) override
    {
        calls.append({source, firstVisibleLine, line, column});
    }
    QVector<Call> calls;
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
    void initTestCase();
    void init();

    void encodingRoundTrip_data();
    void encodingRoundTrip();
    void nulBytesAreKept();
    void followsUnicodePreference();
    void textAccess();
    void lineIndexPositions();
    void emptyDocument();
    void marginFollowsLineCount();
    void hiddenLineNumbers();
    void marginFollowsZoom();
    void zoomClamp_data();
    void zoomClamp();
    void appendLine();
    void eolMapping_data();
    void eolMapping();
    void eolPreferenceVersusConvert();
    void setTextKeepView();
    void setTextKeepViewKeepsScroll();
    void colourConversion();
    void constructionAppliesPreferences();
    void followsPreferences();
    void contextMenuStates_data();
    void contextMenuStates();
    void clipboardItems();
    void displayLineNumberItem();
    void dropOfTwoFiles();
    void dragWithUrlsIsAccepted();
    void saveToFile_data();
    void saveToFile();
    void caretTrackingAndSync();
    void selectionTracking();
    void mousePressAnnouncesEditor();
    void scrollSignal();
    void scrollToLine();
    void busyIndicator();

private:
    Preferences* m_prefs = nullptr;
};

void TestEditor::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
    m_prefs = Preferences::instance();
}

void TestEditor::init()
{
    m_prefs->setEditorUnicode(true);
    m_prefs->setEditorEolFormat(EolUnix);
    m_prefs->setEditorDisplayLineNumber(true);
    m_prefs->setEditorReplaceTabBySpace(true);
    m_prefs->setEditorTabWidth(4);
    m_prefs->setEditorHighlightCurrentLine(true);
    m_prefs->setGuiShowSpace(false);
    m_prefs->setGuiShowEol(false);
    m_prefs->setColumnsSynchronousCaret(true);
    QApplication::clipboard()->clear();
}

void TestEditor::encodingRoundTrip_data()
{
    QTest::addColumn<bool>("unicode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("readBack");

    const QString eAcute = QStringLiteral("\u00e9");
    const QString han = QStringLiteral("\u4e2d");
    const QString emoji = QString::fromUtf8("\xf0\x9f\x98\x80");
    QTest::newRow("utf8 e-acute") << true << eAcute << QByteArray("\xc3\xa9") << eAcute;
    QTest::newRow("ansi e-acute") << false << eAcute << QByteArray("\xe9") << eAcute;
    QTest::newRow("utf8 han") << true << han << QByteArray("\xe4\xb8\xad") << han;
    QTest::newRow("ansi han") << false << han << QByteArray("?") << QStringLiteral("?");
    QTest::newRow("ansi emoji is one question mark") << false << (QStringLiteral("a") + emoji + QStringLiteral("b"))
                                                     << QByteArray("a?b") << QStringLiteral("a?b");
    QTest::newRow("utf8 emoji") << true << emoji << QByteArray("\xf0\x9f\x98\x80") << emoji;
}

void TestEditor::encodingRoundTrip()
{
    QFETCH(bool, unicode);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, readBack);

    m_prefs->setEditorUnicode(unicode);
    Editor editor;
    QCOMPARE(editor.isUnicode(), unicode);
    QCOMPARE(editor.codePage(), unicode ? 65001 : 0);
    editor.appendText(text);
    QCOMPARE(editor.getText(), bytes);
    QCOMPARE(editor.text(), readBack);
    QCOMPARE(editor.lineText(0), readBack);
    QCOMPARE(editor.allLines(), QStringList{readBack});
    QCOMPARE(editor.toEditorBytes(text), bytes);
}

void TestEditor::nulBytesAreKept()
{
    Editor editor;
    editor.appendBytes(QByteArray("a\0b\nc", 5));
    const QString expected = QString(QStringLiteral("a")) + QChar(0) + QStringLiteral("b\nc");
    QCOMPARE(editor.text(), expected);
    QCOMPARE(editor.allLines().first().size(), 3);
    QCOMPARE(editor.lineText(0).size(), 3);

    // Writing back goes through the target, which takes a length rather than a C string.
    editor.setTextKeepView(expected + QStringLiteral("!"), true);
    QCOMPARE(editor.getText(), QByteArray("a\0b\nc!", 6));
    editor.setSel(0, 3);
    editor.replaceSelection(QString(QChar(0)));
    QCOMPARE(editor.getText(), QByteArray("\0\nc!", 4));
}

void TestEditor::followsUnicodePreference()
{
    Editor editor;
    QSignalSpy codec(&editor, &Editor::onCodecChanged);
    QVERIFY(editor.isUnicode());
    m_prefs->setEditorUnicode(false);
    QVERIFY(!editor.isUnicode());
    QCOMPARE(codec.count(), 1);
    editor.appendText(QStringLiteral("\u00e9"));
    QCOMPARE(editor.getText(), QByteArray("\xe9"));
    m_prefs->setEditorUnicode(true);
    QVERIFY(editor.isUnicode());
    QCOMPARE(codec.count(), 2);

    // Setting the mode directly does not announce it.
    editor.setUnicode(false);
    QVERIFY(!editor.isUnicode());
    QCOMPARE(codec.count(), 2);
}

void TestEditor::textAccess()
{
    Editor editor;
    QSignalSpy changed(&editor, &Editor::textChanged);
    editor.appendBytes("one\r\ntwo\rthree\nfour");
    QVERIFY(changed.count() > 0);
    QCOMPARE(editor.lineCount(), 4);
    QCOMPARE(editor.lineText(0), QStringLiteral("one"));
    QCOMPARE(editor.lineText(1), QStringLiteral("two"));
    QCOMPARE(editor.lineText(3), QStringLiteral("four"));
    QCOMPARE(editor.lineText(4), QString());
    QCOMPARE(editor.lineText(-1), QString());
    QCOMPARE(editor.allLines(), (QStringList{"one", "two", "three", "four"}));
    QVERIFY(!editor.hasSelectedText());
    QCOMPARE(editor.selectedOrAllText(), QStringLiteral("one\r\ntwo\rthree\nfour"));
    QCOMPARE(editor.selectedLines(), editor.allLines());

    editor.setSel(6, 15); // "wo\rthree\n"
    QVERIFY(editor.hasSelectedText());
    QCOMPARE(editor.selectedText(), QStringLiteral("wo\rthree\n"));
    QCOMPARE(editor.selectedOrAllText(), editor.selectedText());
    QCOMPARE(editor.selectedLines(), (QStringList{"wo", "three"}));
    int start = 0;
    int end = 0;
    editor.selectionRange(&start, &end);
    QCOMPARE(start, 6);
    QCOMPARE(end, 15);

    editor.removeSelectedText();
    QCOMPARE(editor.text(), QStringLiteral("one\r\ntfour"));

    // A rectangular selection comes from the component in pieces, without its C-string terminator.
    Editor block;
    block.appendText(QStringLiteral("abcd\nefgh\nijkl"));
    block.send(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONANCHOR, 1);
    block.send(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONCARET, 8);
    QVERIFY(block.selectionIsRectangle());
    QCOMPARE(block.selectedText(), QStringLiteral("bc\nfg\n"));
    QCOMPARE(block.selectedLines(), (QStringList{"bc", "fg"}));

    // A document ending with a line break has an empty last line.
    Editor trailing;
    trailing.appendText(QStringLiteral("a\n"));
    QCOMPARE(trailing.allLines(), (QStringList{"a", ""}));
}

void TestEditor::lineIndexPositions()
{
    Editor editor;
    editor.appendText(QStringLiteral("x\na\u00e9\u4e2db\nlast"));
    // Line 1 starts at byte 2: 'a' 1 byte, e-acute 2, the ideograph 3.
    QCOMPARE(editor.positionFromLineIndex(1, 0), 2);
    QCOMPARE(editor.positionFromLineIndex(1, 2), 5);
    QCOMPARE(editor.positionFromLineIndex(1, 3), 8);
    // Past the end of the line stops at its end instead of running into the next line.
    QCOMPARE(editor.positionFromLineIndex(1, 50), 9);
    int line = -1;
    int index = -1;
    editor.lineIndexFromPosition(8, &line, &index);
    QCOMPARE(line, 1);
    QCOMPARE(index, 3);

    editor.setCursorPosition(1, 3);
    QCOMPARE(editor.currentPos(), 8);
    editor.cursorPosition(&line, &index);
    QCOMPARE(line, 1);
    QCOMPARE(index, 3);
    // A line past the last one goes to the last line.
    editor.setCursorPosition(9, 2);
    editor.cursorPosition(&line, &index);
    QCOMPARE(line, 2);
    QCOMPARE(index, 2);

    int lineFrom = 0;
    int indexFrom = 0;
    int lineTo = 0;
    int indexTo = 0;
    QVERIFY(!editor.getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo));
    QCOMPARE(lineFrom, -1);
    QCOMPARE(indexTo, -1);
    editor.setSel(3, 12); // from after 'a' to after "la"
    QVERIFY(editor.getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo));
    QCOMPARE(lineFrom, 1);
    QCOMPARE(indexFrom, 1);
    QCOMPARE(lineTo, 2);
    QCOMPARE(indexTo, 2);

    // In ANSI mode an index is a byte.
    editor.setUnicode(false);
    QCOMPARE(editor.positionFromLineIndex(1, 3), 5);
    editor.lineIndexFromPosition(7, &line, &index);
    QCOMPARE(index, 5);
}

void TestEditor::emptyDocument()
{
    Editor editor;
    QCOMPARE(editor.lineCount(), 1);
    QCOMPARE(editor.allLines(), QStringList{QString()});
    QCOMPARE(editor.text(), QString());
    QCOMPARE(editor.lineNumberMarginWidth(), editor.textWidth(33, "9") + 4);
    QCOMPARE(editor.marginTypeN(1), int(QsciScintillaBase::SC_MARGIN_NUMBER));
}

void TestEditor::marginFollowsLineCount()
{
    Editor editor;
    const int oneDigit = editor.textWidth(33, "9") + 4;
    const int twoDigits = editor.textWidth(33, "99") + 4;
    QVERIFY(twoDigits > oneDigit);
    editor.appendText(numberedLines(9));
    QCOMPARE(editor.lineCount(), 9);
    QCOMPARE(editor.lineNumberMarginWidth(), oneDigit);
    editor.appendLine(QStringLiteral("ten"));
    QCOMPARE(editor.lineCount(), 10);
    QCOMPARE(editor.lineNumberMarginWidth(), twoDigits);
    editor.setSel(editor.lineEndPosition(8), editor.textLength());
    editor.removeSelectedText();
    QCOMPARE(editor.lineCount(), 9);
    QCOMPARE(editor.lineNumberMarginWidth(), oneDigit);
}

void TestEditor::hiddenLineNumbers()
{
    m_prefs->setEditorDisplayLineNumber(false);
    Editor editor;
    QAction* item = findAction(editor.contextMenu(), QStringLiteral("Display Line Number"));
    QVERIFY(item);
    QCOMPARE(editor.lineNumberMarginWidth(), 0);
    QVERIFY(!item->isChecked());
    // Lines added while hidden leave the margin alone.
    editor.appendText(numberedLines(20));
    QCOMPARE(editor.lineNumberMarginWidth(), 0);

    item->trigger();
    QVERIFY(item->isChecked());
    QCOMPARE(editor.lineNumberMarginWidth(), editor.textWidth(33, "99") + 4);

    // The preference follows through its signal.
    m_prefs->setEditorDisplayLineNumber(true);
    m_prefs->setEditorDisplayLineNumber(false);
    QCOMPARE(editor.lineNumberMarginWidth(), 0);
    QVERIFY(!item->isChecked());
}

void TestEditor::marginFollowsZoom()
{
    Editor editor;
    const int normal = editor.lineNumberMarginWidth();
    editor.setZoomFactor(10);
    QCOMPARE(editor.lineNumberMarginWidth(), editor.textWidth(33, "9") + 4);
    QVERIFY(editor.lineNumberMarginWidth() > normal);
}

void TestEditor::zoomClamp_data()
{
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("expected");
    QTest::newRow("too large") << 25 << 20;
    QTest::newRow("too small") << -15 << -10;
    QTest::newRow("upper bound") << 20 << 20;
    QTest::newRow("lower bound") << -10 << -10;
    QTest::newRow("inside") << 3 << 3;
}

void TestEditor::zoomClamp()
{
    QFETCH(int, requested);
    QFETCH(int, expected);
    Editor editor;
    editor.setZoomFactor(requested);
    QCOMPARE(editor.zoom(), expected);
}

void TestEditor::appendLine()
{
    Editor editor;
    editor.appendLine(QStringLiteral("first"));
    QCOMPARE(editor.getText(), QByteArray("first"));
    editor.appendLine(QStringLiteral("second"));
    // CR LF also in a Unix-mode editor.
    QCOMPARE(editor.getText(), QByteArray("first\r\nsecond"));
    editor.appendLines({QStringLiteral("x"), QStringLiteral("y")});
    QCOMPARE(editor.getText(), QByteArray("first\r\nsecond\r\nx\ny"));

    Editor lines;
    lines.appendLines({QStringLiteral("a"), QStringLiteral("b")});
    QCOMPARE(lines.getText(), QByteArray("a\nb"));
}

void TestEditor::eolMapping_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("mode");
    QTest::newRow("windows") << int(EolWindows) << 0;
    QTest::newRow("unix") << int(EolUnix) << 2;
    QTest::newRow("mac") << int(EolMac) << 1;
}

void TestEditor::eolMapping()
{
    QFETCH(int, format);
    QFETCH(int, mode);
    Editor editor;
    editor.setEolFormat(EolFormat(format));
    QCOMPARE(editor.eOLMode(), mode);
    QCOMPARE(int(editor.eolFormat()), format);
    QCOMPARE(Editor::eolModeFromFormat(EolFormat(format)), mode);
    QCOMPARE(int(Editor::formatFromEolMode(mode)), format);
    QCOMPARE(int(Editor::formatFromEolMode(7)), int(EolWindows));
    QCOMPARE(Editor::eolModeFromFormat(EolFormat(9)), 0);
}

void TestEditor::eolPreferenceVersusConvert()
{
    m_prefs->setEditorEolFormat(EolWindows);
    Editor editor;
    QCOMPARE(editor.eolFormat(), EolWindows);
    editor.appendBytes("a\r\nb");
    QSignalSpy eolChanged(&editor, &Editor::onEolModeChanged);

    m_prefs->setEditorEolFormat(EolUnix);
    QCOMPARE(eolChanged.count(), 1);
    QCOMPARE(editor.eolFormat(), EolUnix);
    QCOMPARE(editor.getText(), QByteArray("a\r\nb"));
    // The next typed line break follows the new mode.
    editor.gotoPos(editor.textLength());
    editor.send(QsciScintillaBase::SCI_NEWLINE);
    QCOMPARE(editor.getText(), QByteArray("a\r\nb\n"));

    editor.emptyUndoBuffer();
    editor.convertEols(EolMac);
    QCOMPARE(editor.getText(), QByteArray("a\rb\r"));
    editor.undo();
    QCOMPARE(editor.getText(), QByteArray("a\r\nb\n"));

    // Setting the format directly neither converts nor signals.
    editor.setEolFormat(EolMac);
    QCOMPARE(eolChanged.count(), 1);
    QCOMPARE(editor.getText(), QByteArray("a\r\nb\n"));
}

void TestEditor::setTextKeepView()
{
    Editor editor;
    editor.appendText(QStringLiteral("alpha\nbeta\ngamma"));
    editor.emptyUndoBuffer();
    editor.setCursorPosition(1, 2);

    // Without a selection the whole text goes; the caret comes back to line 1, index 2.
    editor.setTextKeepView(QStringLiteral("ALPHA\nBETA\nGAMMA"), true);
    QCOMPARE(editor.text(), QStringLiteral("ALPHA\nBETA\nGAMMA"));
    int line = 0;
    int index = 0;
    editor.cursorPosition(&line, &index);
    QCOMPARE(line, 1);
    QCOMPARE(index, 2);
    editor.undo();
    QCOMPARE(editor.text(), QStringLiteral("alpha\nbeta\ngamma"));

    // With a selection only the selection goes.
    editor.setSel(6, 10);
    editor.setTextKeepView(QStringLiteral("B"), false);
    QCOMPARE(editor.text(), QStringLiteral("alpha\nB\ngamma"));
    editor.undo();
    QCOMPARE(editor.text(), QStringLiteral("alpha\nbeta\ngamma"));

    // A caret index that no longer exists ends at the line's end.
    editor.setCursorPosition(2, 4);
    editor.setTextKeepView(QStringLiteral("a\nb\nc"), true);
    editor.cursorPosition(&line, &index);
    QCOMPARE(line, 2);
    QCOMPARE(index, 1);

    editor.setLines({QStringLiteral("x"), QStringLiteral("y")}, false);
    QCOMPARE(editor.getText(), QByteArray("x\ny"));
}

void TestEditor::setTextKeepViewKeepsScroll()
{
    Editor editor;
    editor.resize(400, 200);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.appendText(numberedLines(300));
    editor.setCursorPosition(150, 3);
    editor.setFirstVisibleLine(100);
    QCOMPARE(editor.firstVisibleLine(), 100);

    editor.setTextKeepView(editor.text().toUpper(), true);
    QCOMPARE(editor.lineText(150), QStringLiteral("LINE 150"));
    QCOMPARE(editor.firstVisibleLine(), 100);
    int line = 0;
    int index = 0;
    editor.cursorPosition(&line, &index);
    QCOMPARE(line, 150);
    QCOMPARE(index, 3);
}

void TestEditor::colourConversion()
{
    QCOMPARE(Editor::toScintillaColor(QColor(1, 2, 3)), 1 + 2 * 256 + 3 * 65536);
    QCOMPARE(Editor::toScintillaColor(QColor(255, 0, 0)), 0x0000ff);
    QCOMPARE(Editor::toScintillaAlpha(QColor(1, 2, 3)), 256);
    QCOMPARE(Editor::toScintillaAlpha(QColor(1, 2, 3, 100)), 100);
    QCOMPARE(Editor::toScintillaAlpha(QColor(1, 2, 3, 0)), 0);

    Editor editor;
    // The line-number style is grey on grey.
    QCOMPARE(editor.styleBack(33), 0xe4e4e4);
    QCOMPARE(editor.styleFore(33), 0x808080);

    m_prefs->setEditorHighlightCurrentLineColor(QColor(10, 20, 30, 40));
    QCOMPARE(editor.caretLineBack(), 10 + 20 * 256 + 30 * 65536);
    QCOMPARE(editor.caretLineBackAlpha(), 40);
    m_prefs->setEditorHighlightCurrentLineColor(QColor(10, 20, 31));
    QCOMPARE(editor.caretLineBackAlpha(), 256);

    m_prefs->setEditorSelectionBackgroundColor(QColor(5, 6, 7, 80));
    QCOMPARE(editor.selAlpha(), 80);
    m_prefs->setEditorFontColor(QColor(200, 100, 50));
    QCOMPARE(editor.styleFore(0), 200 + 100 * 256 + 50 * 65536);
}

void TestEditor::constructionAppliesPreferences()
{
    m_prefs->setEditorTabWidth(7);
    m_prefs->setEditorReplaceTabBySpace(false);
    m_prefs->setGuiShowSpace(true);
    m_prefs->setGuiShowEol(true);
    m_prefs->setEditorEolFormat(EolMac);
    m_prefs->setEditorHighlightCurrentLine(false);
    m_prefs->setEditorUnicode(false);
    m_prefs->setEditorFontColor(QColor(1, 2, 3));
    Editor editor;
    QCOMPARE(editor.tabWidth(), 7);
    QVERIFY(editor.useTabs());
    QCOMPARE(editor.viewWS(), 1);
    QVERIFY(editor.viewEOL());
    QCOMPARE(editor.eolFormat(), EolMac);
    QVERIFY(!editor.caretLineVisible());
    QVERIFY(!editor.isUnicode());
    QCOMPARE(editor.styleFore(0), 0x030201);
    QCOMPARE(editor.name(), QString());
    QCOMPARE(editor.focusPolicy(), Qt::WheelFocus);
}

void TestEditor::followsPreferences()
{
    Editor editor;
    QCOMPARE(editor.viewWS(), 0);
    m_prefs->setGuiShowSpace(true);
    QCOMPARE(editor.viewWS(), 1);
    m_prefs->setGuiShowSpace(false);
    QCOMPARE(editor.viewWS(), 0);
    editor.setViewWhitespace(true);
    QCOMPARE(editor.viewWS(), 1);

    m_prefs->setGuiShowEol(true);
    QVERIFY(editor.viewEOL());
    m_prefs->setEditorHighlightCurrentLine(false);
    QVERIFY(!editor.caretLineVisible());
    m_prefs->setEditorTabWidth(9);
    QCOMPARE(editor.tabWidth(), 9);
    QVERIFY(!editor.useTabs());
    m_prefs->setEditorReplaceTabBySpace(false);
    QVERIFY(editor.useTabs());

    QFont font(QStringLiteral("Monospace"), 17);
    m_prefs->setEditorFont(font);
    QCOMPARE(editor.font().pointSize(), 17);
}

void TestEditor::contextMenuStates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionEnd");
    QTest::addColumn<bool>("clipboardText");
    // Expected enabled state of: Cut, Copy, Delete, Paste, SelectAll, Remove Empty Lines, Pad Space,
    // &Strip, &Align, &Convert, &Truncate, Display Line Number, Sort.
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty, clipboard text") << QString() << 0 << 0 << true << QStringLiteral("0001000000010");
    QTest::newRow("empty, empty clipboard") << QString() << 0 << 0 << false << QStringLiteral("0000000000010");
    QTest::newRow("one line") << QStringLiteral("abc") << 0 << 0 << false << QStringLiteral("0000110101110");
    QTest::newRow("two lines") << QStringLiteral("abc\ndef") << 0 << 0 << false << QStringLiteral("0000111111111");
    QTest::newRow("one-line selection in two lines")
        << QStringLiteral("abc\ndef") << 1 << 2 << true << QStringLiteral("1111110101110");
    QTest::newRow("selection over a break") << QStringLiteral("abc\ndef") << 2 << 5 << false
                                            << QStringLiteral("1110111111111");
    QTest::newRow("lone CR counts as a break") << QStringLiteral("abc\rdef") << 0 << 0 << false
                                               << QStringLiteral("0000111111111");
}

void TestEditor::contextMenuStates()
{
    QFETCH(QString, text);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionEnd);
    QFETCH(bool, clipboardText);
    QFETCH(QString, expected);

    if (clipboardText)
        QApplication::clipboard()->setText(QStringLiteral("clip"));
    Editor editor;
    editor.appendText(text);
    editor.setSel(selectionStart, selectionEnd);
    editor.updateContextMenu();

    const QStringList items = {QStringLiteral("Cut"),         QStringLiteral("Copy"),
                               QStringLiteral("Delete"),      QStringLiteral("Paste"),
                               QStringLiteral("SelectAll"),   QStringLiteral("Remove Empty Lines"),
                               QStringLiteral("Pad Space"),   QStringLiteral("&Strip"),
                               QStringLiteral("&Align"),      QStringLiteral("&Convert"),
                               QStringLiteral("&Truncate"),   QStringLiteral("Display Line Number"),
                               QStringLiteral("Sort")};
    QString actual;
    for (const QString& item : items) {
        QAction* action = findAction(editor.contextMenu(), item);
        QVERIFY2(action, qPrintable(item));
        actual += action->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    }
    QCOMPARE(actual, expected);
}

void TestEditor::clipboardItems()
{
    Editor editor;
    editor.appendText(QStringLiteral("one two"));
    QMenu* menu = editor.contextMenu();
    editor.setSel(0, 3);
    findAction(menu, QStringLiteral("Copy"))->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("one"));
    editor.setSel(3, 7);
    findAction(menu, QStringLiteral("Cut"))->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral(" two"));
    QCOMPARE(editor.text(), QStringLiteral("one"));
    editor.gotoPos(0);
    findAction(menu, QStringLiteral("Paste"))->trigger();
    QCOMPARE(editor.text(), QStringLiteral(" twoone"));
    findAction(menu, QStringLiteral("SelectAll"))->trigger();
    QCOMPARE(editor.selectedText(), QStringLiteral(" twoone"));
    editor.setSel(1, 4);
    findAction(menu, QStringLiteral("Delete"))->trigger();
    QCOMPARE(editor.text(), QStringLiteral(" one"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral(" two"));
}

void TestEditor::displayLineNumberItem()
{
    Editor editor;
    QAction* item = findAction(editor.contextMenu(), QStringLiteral("Display Line Number"));
    QVERIFY(item && item->isCheckable());
    QVERIFY(item->isChecked());
    item->trigger();
    QVERIFY(!item->isChecked());
    QCOMPARE(editor.lineNumberMarginWidth(), 0);
    editor.showLineNumber(true);
    QVERIFY(item->isChecked());
    QVERIFY(editor.lineNumberMarginWidth() > 0);
}

void TestEditor::dropOfTwoFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = dir.filePath(QStringLiteral("first.txt"));
    const QString second = dir.filePath(QStringLiteral("second.txt"));
    for (const auto& [path, content] : {std::pair<QString, QByteArray>{first, "one\ntwo"}, {second, "three"}}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    Editor editor;
    editor.appendText(QStringLiteral("start"));
    editor.gotoPos(2); // the drop position plays no part
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second),
                  QUrl::fromLocalFile(dir.filePath(QStringLiteral("missing.txt")))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.viewport(), &drop);

    QVERIFY(drop.isAccepted());
    QCOMPARE(drop.dropAction(), Qt::CopyAction);
    // An unreadable file adds only its line break.
    QCOMPARE(editor.text(), QStringLiteral("startone\ntwo\nthree\n\n"));
    editor.undo();
    QCOMPARE(editor.text(), QStringLiteral("start"));

    // An empty list of URLs changes nothing.
    QMimeData empty;
    empty.setUrls({});
    empty.setData(QStringLiteral("text/uri-list"), QByteArray());
    QDragEnterEvent emptyEnter(QPoint(5, 5), Qt::CopyAction, &empty, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.viewport(), &emptyEnter);
    QDropEvent emptyDrop(QPointF(5, 5), Qt::CopyAction, &empty, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.viewport(), &emptyDrop);
    QCOMPARE(editor.text(), QStringLiteral("start"));
}

void TestEditor::dragWithUrlsIsAccepted()
{
    Editor editor;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/x.txt"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(editor.viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDragMoveEvent move(QPoint(6, 6), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    move.setAccepted(false);
    QApplication::sendEvent(editor.viewport(), &move);
    QVERIFY(move.isAccepted());
    QCOMPARE(move.dropAction(), Qt::CopyAction);
}

void TestEditor::saveToFile_data()
{
    QTest::addColumn<bool>("unicode");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("utf8") << true << QByteArray("a\xc3\xa9\nb");
    QTest::newRow("ansi") << false << QByteArray("a\xe9\nb");
}

void TestEditor::saveToFile()
{
    QFETCH(bool, unicode);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    m_prefs->setEditorUnicode(unicode);
    Editor editor;
    editor.appendText(QStringLiteral("a\u00e9\nb"));
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    QVERIFY(editor.saveToFile(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
    // A folder cannot be written as a file.
    QVERIFY(!editor.saveToFile(dir.path()));
}

void TestEditor::caretTrackingAndSync()
{
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    auto* editor = new Editor(&host);
    layout->addWidget(editor);
    host.resize(400, 300);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QApplication::setActiveWindow(&host);
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());

    editor->appendText(QStringLiteral("first\n\tx y\nthird"));
    QSignalSpy moved(editor, &Editor::cursorPositionChanged);
    // Without a column manager only the signal goes out.
    editor->setCursorPosition(1, 2);
    QTRY_VERIFY(!moved.isEmpty());
    QCOMPARE(moved.last().at(0).toInt(), 1);
    QCOMPARE(moved.last().at(1).toInt(), 5); // tab expanded to width 4, then 'x'

    FakeCaretSync sync;
    editor->setColumnManager(&sync);
    moved.clear();
    editor->setCursorPosition(2, 3);
    QTRY_VERIFY(!moved.isEmpty());
    QCOMPARE(moved.last().at(0).toInt(), 2);
    QCOMPARE(moved.last().at(1).toInt(), 3);
    QCOMPARE(sync.calls.size(), 1);
    QCOMPARE(sync.calls.last().source, &host);
    QCOMPARE(sync.calls.last().firstVisibleLine, editor->firstVisibleLine());
    QCOMPARE(sync.calls.last().line, 2);
    QCOMPARE(sync.calls.last().column, 3);

    // The same position is not reported twice.
    const int reported = moved.count();
    editor->viewport()->repaint();
    QApplication::processEvents();
    QCOMPARE(moved.count(), reported);

    // No synchronisation when the preference is off.
    m_prefs->setColumnsSynchronousCaret(false);
    editor->setCursorPosition(0, 1);
    QTRY_COMPARE(moved.count(), reported + 1);
    QCOMPARE(sync.calls.size(), 1);

    // Nor when the editor does not have the focus.
    m_prefs->setColumnsSynchronousCaret(true);
    auto* other = new QLineEdit(&host);
    layout->addWidget(other);
    other->setFocus();
    QTRY_VERIFY(!editor->hasFocus());
    editor->setCursorPosition(0, 3);
    QTRY_COMPARE(moved.count(), reported + 2);
    QCOMPARE(sync.calls.size(), 1);
}

void TestEditor::selectionTracking()
{
    Editor editor;
    editor.resize(300, 200);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.appendText(QStringLiteral("some text here"));
    QSignalSpy selection(&editor, &Editor::selectionChanged);
    QApplication::processEvents();
    selection.clear();
    editor.setSel(2, 6);
    QTRY_COMPARE(selection.count(), 1);
    // A repaint without a change reports nothing.
    editor.viewport()->repaint();
    QApplication::processEvents();
    QCOMPARE(selection.count(), 1);
    editor.setSel(2, 7);
    QTRY_COMPARE(selection.count(), 2);
}

void TestEditor::mousePressAnnouncesEditor()
{
    Editor editor;
    editor.resize(300, 200);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QList<Editor*> announced;
    const auto connection = connect(m_prefs, &Preferences::focusEditorChanged, this,
                                    [&announced](Editor* e) { announced.append(e); });
    QTest::mouseClick(editor.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
    disconnect(connection);
    QCOMPARE(announced, QList<Editor*>{&editor});
}

void TestEditor::scrollSignal()
{
    Editor editor;
    editor.resize(300, 150);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.appendText(numberedLines(500));
    QApplication::processEvents();
    QSignalSpy scrolled(&editor, &Editor::onScroll);
    editor.setFirstVisibleLine(200);
    QTRY_VERIFY(!scrolled.isEmpty());
    QCOMPARE(scrolled.last().at(0).value<Editor*>(), &editor);

    // Dragging the scroll bar reaches both scrollContentsBy and the component: still one signal.
    scrolled.clear();
    editor.verticalScrollBar()->setValue(300);
    QTRY_COMPARE(editor.firstVisibleLine(), 300);
    QTRY_COMPARE(scrolled.count(), 1);
    editor.viewport()->repaint();
    QApplication::processEvents();
    QCOMPARE(scrolled.count(), 1);
}

void TestEditor::scrollToLine()
{
    Editor editor;
    editor.resize(300, 150);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.appendText(numberedLines(100));

    editor.scrollToLine(10, 12);
    QCOMPARE(editor.firstVisibleLine(), 10);
    int line = 0;
    int index = 0;
    editor.cursorPosition(&line, &index);
    QCOMPARE(line, 12);
    QCOMPARE(index, 0);

    // A caret line past the end goes to the last line.
    editor.scrollToLine(0, 1000);
    editor.cursorPosition(&line, &index);
    QCOMPARE(line, 99);

    // A first line past the end: the view stops where the component lets it, the caret keeps its
    // distance from the first visible line.
    editor.scrollToLine(500, 501);
    const int first = editor.firstVisibleLine();
    QVERIFY(first > 50 && first <= 99);
    editor.cursorPosition(&line, &index);
    QCOMPARE(line, first + 1);
}

void TestEditor::busyIndicator()
{
    Editor editor;
    auto* indicator = editor.findChild<QProgressIndicator*>();
    QVERIFY(indicator);
    QVERIFY(!indicator->isAnimated());
    editor.startBusy();
    QCOMPARE(indicator->startDelay(), 1500);
    QVERIFY(!indicator->isAnimated());
    QTRY_VERIFY_WITH_TIMEOUT(indicator->isAnimated(), 5000);
    editor.stopBusy();
    QVERIFY(!indicator->isAnimated());
    QVERIFY(!indicator->isVisible());
}

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
