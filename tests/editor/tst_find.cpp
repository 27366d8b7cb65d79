// Find, replace and the editor's repeatable search, on real editors through the real Find window.

#include "TestSupport.h"
#include "editor/Editor.h"
#include "editor/FindDialog.h"
#include "mainwindow/WindowTest.h"
#include "settings/Preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

const QString EndReached = QStringLiteral("Find: The end of the text has been reached.");
const QString TopReached = QStringLiteral("Find:  The beginning of the text has been reached.");

QString cantFind(const QString& text)
{
    return QStringLiteral("Find: Can't find text \"%1\"").arg(text);
}

// "p-q" for a selection, with the caret end in the search direction, "-" for nothing found.
QString selection(Editor* editor)
{
    return QStringLiteral("%1-%2").arg(editor->anchor()).arg(editor->currentPos());
}

} // namespace

class TestFind : public WindowTest
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    void init()
    {
        Preferences::instance()->setEditorUnicode(true);
        m_editor = new Editor;
        m_editor->resize(400, 300);
        m_editor->show();
        QPointer<Editor> editor(m_editor);
        m_dialog = new FindDialog(Preferences::instance(), [editor] { return editor.data(); });
        m_dialog->show();
    }

    void cleanup()
    {
        if (m_window)
            closeWindow();
        delete m_dialog;
        m_dialog = nullptr;
        delete m_editor;
        m_editor = nullptr;
    }

    void findNext_data()
    {
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<bool>("regex");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<int>("caret");
        // One entry a click: the selection (anchor-caret) and the status line after it.
        QTest::addColumn<QStringList>("selections");
        QTest::addColumn<QStringList>("messages");
        const auto row = [](const char* name, const QString& text, const QString& find, bool regex, bool forward,
                            bool wrap, int caret, const QStringList& selections, const QStringList& messages) {
            QTest::addRow("%s", name) << true << text << find << regex << forward << wrap << caret << selections
                                      << messages;
        };
        row("abab down, wrap", "abab", "ab", false, true, true, 0, {"0-2", "2-4", "0-2"}, {"", "", EndReached});
        // Up from the end reaches the first match, which ends where the second one starts.
        row("abab up, wrap", "abab", "ab", false, false, true, 4, {"4-2", "2-0", "4-2"}, {"", "", TopReached});
        row("aaa up visits the middle", "aaa", "a", false, false, false, 3, {"3-2", "2-1", "1-0", "1-0"},
            {"", "", "", cantFind("a")});
        row("absent, wrap", "abc", "x", false, true, true, 0, {"0-0"}, {cantFind("x")});
        row("invalid pattern", "a(b", "(", true, true, true, 0, {"0-0"}, {cantFind("(")});
        // Empty matches move on rather than selecting the same place forever.
        row("line starts", "a\nb", "^", true, true, true, 0, {"0-0", "2-2", "0-0"}, {"", "", EndReached});
        row("POSIX groups", "xaby", "(a)(b)", true, true, false, 0, {"1-3"}, {""});
        // In ANSI the euro would be written as "?", which is in the text but is not what was asked for.
        QTest::addRow("ANSI euro") << false << "a?b" << QStringLiteral("\u20ac") << false << true << true << 0
                                   << QStringList{"0-0"} << QStringList{cantFind(QStringLiteral("\u20ac"))};
    }

    void findNext()
    {
        QFETCH(bool, unicode);
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(bool, regex);
        QFETCH(bool, forward);
        QFETCH(bool, wrap);
        QFETCH(int, caret);
        QFETCH(QStringList, selections);
        QFETCH(QStringList, messages);
        m_editor->setUnicode(unicode);
        setUp(text, find, QString(), regex, forward, wrap, caret);
        for (int i = 0; i < selections.size(); ++i) {
            click("btnFind");
            QCOMPARE(selection(m_editor), selections.at(i));
            QCOMPARE(m_dialog->statusText(), messages.at(i));
        }
        QCOMPARE(m_editor->text(), text);
    }

    void regexSelectsDown()
    {
        auto* up = child<QRadioButton>("rbUp");
        up->setChecked(true);
        child<QCheckBox>("ckbRegex")->setChecked(true);
        QVERIFY(child<QRadioButton>("rbDown")->isChecked());
        QVERIFY(!up->isEnabled());
        child<QCheckBox>("ckbRegex")->setChecked(false);
        QVERIFY(up->isEnabled());
    }

    void startsFromStoredOptions()
    {
        Preferences* preferences = Preferences::instance();
        preferences->setFindForward(false);
        preferences->setFindUseRegex(true);
        preferences->setFindFindText({"one", "two"}, "two");
        FindDialog dialog(preferences, [this] { return m_editor; });
        // The regular expression wins over the stored Up.
        QVERIFY(dialog.findChild<QRadioButton*>("rbDown")->isChecked());
        QVERIFY(!dialog.findChild<QRadioButton*>("rbUp")->isEnabled());
        auto* box = dialog.findChild<QComboBox*>("cbbFindText");
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->currentText(), QStringLiteral("two"));
        // Searching adds to the history, which reaches the store.
        box->setEditText("three");
        dialog.findChild<QPushButton*>("btnFind")->click();
        QCOMPARE(preferences->findFindList().value(0), QStringLiteral("three"));
        preferences->setFindForward(true);
        preferences->setFindUseRegex(false);
    }

    void replace_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replace");
        QTest::addColumn<bool>("regex");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<int>("caret");
        // After each click: the text, the selection and the status line.
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("selections");
        QTest::addColumn<QStringList>("messages");
        const auto row = [](const char* name, const QString& text, const QString& find, const QString& replace,
                            bool regex, bool forward, bool wrap, int caret, const QStringList& texts,
                            const QStringList& selections, const QStringList& messages) {
            QTest::addRow("%s", name) << text << find << replace << regex << forward << wrap << caret << texts
                                      << selections << messages;
        };
        const QString found = QStringLiteral("Replace: 1 occurrence was replaced. The next occurence found");
        const QString notFound = QStringLiteral("Replace: 1 occurrence was replaced. The next occurence not found");
        row("select, then replace", "xa a", "a", "b", false, true, false, 0, {"xa a", "xb a", "xb b"},
            {"1-2", "3-4", "4-4"}, {"", found, notFound});
        // Upwards the caret stays before the replacement, which holds the find text again.
        row("up, replacement holds the text", "aa", "a", "ba", false, false, false, 2, {"aa", "aba", "baba"},
            {"2-1", "1-0", "0-0"}, {"", found, notFound});
        row("nothing to replace", "abc", "x", "y", false, true, false, 0, {"abc"}, {"0-0"},
            {QStringLiteral("Replace: no occurrence was found.")});
        row("empty match, empty replacement", "ab", "x*", "", true, true, false, 0, {"ab", "ab"}, {"1-1", "1-1"},
            {found, notFound});
        row("groups", "ab", "(a)(b)", "\\2\\1", true, true, false, 0, {"ab", "ba"}, {"0-2", "2-2"}, {"", notFound});
        row("wrap to the top", "aXa", "a", "b", false, true, true, 2, {"aXa", "aXb"}, {"2-3", "0-1"},
            {"", "Replace: Replaced the 1st occurrence from the top. The end of document has been reached."});
        row("wrap to the bottom", "aXa", "a", "b", false, false, true, 1, {"aXa", "bXa"}, {"1-0", "3-2"},
            {"", "Replace: Replaced the 1st occurrence from the bottom. The begin of document has been reached."});
    }

    void replace()
    {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(QString, replace);
        QFETCH(bool, regex);
        QFETCH(bool, forward);
        QFETCH(bool, wrap);
        QFETCH(int, caret);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, selections);
        QFETCH(QStringList, messages);
        setUp(text, find, replace, regex, forward, wrap, caret);
        for (int i = 0; i < texts.size(); ++i) {
            click("btnReplace");
            QCOMPARE(m_editor->text(), texts.at(i));
            QCOMPARE(selection(m_editor), selections.at(i));
            QCOMPARE(m_dialog->statusText(), messages.at(i));
        }
    }

    void replaceAll_data()
    {
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replace");
        QTest::addColumn<bool>("regex");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<int>("selectionStart");
        QTest::addColumn<int>("selectionEnd");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("count");
        const auto row = [](const char* name, bool unicode, const QString& text, const QString& find,
                            const QString& replace, bool regex, bool forward, bool wrap, int from, int to,
                            const QString& expected, int count) {
            QTest::addRow("%s", name) << unicode << text << find << replace << regex << forward << wrap << from << to
                                      << expected << count;
        };
        row("a to bb", true, "aaa", "a", "bb", false, true, true, 0, 0, "bbbbbb", 3);
        row("down from the selection", true, "aaaa", "a", "b", false, true, false, 2, 3, "aabb", 2);
        row("up to the selection", true, "aaaa", "a", "b", false, false, false, 1, 3, "bbba", 3);
        row("replacement holds the text", true, "aa", "a", "ab", false, true, true, 0, 0, "abab", 2);
        // Patterns that match empty text end, each empty match replaced once.
        row("line starts", true, "a\nb\nc", "^", "> ", true, true, true, 0, 0, "> a\n> b\n> c", 3);
        row("a*", true, "baaab", "a*", "y", true, true, true, 0, 0, "ybyb", 2);
        row("groups", true, "ab ab", "(a)(b)", "\\2\\1\\t", true, true, true, 0, 0, "ba\t ba\t", 2);
        row("invalid pattern", true, "a(b", "(", "x", true, true, true, 0, 0, "a(b", 0);
        row("ANSI euro leaves question marks", false, "a?b?", QStringLiteral("\u20ac"), "E", false, true, true, 0, 0,
            "a?b?", 0);
        row("UTF-8", true, QStringLiteral("\u00e9a\u20aca"), "a", QStringLiteral("\u00df"), false, true, true, 0, 0,
            QStringLiteral("\u00e9\u00df\u20ac\u00df"), 2);
    }

    void replaceAll()
    {
        QFETCH(bool, unicode);
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(QString, replace);
        QFETCH(bool, regex);
        QFETCH(bool, forward);
        QFETCH(bool, wrap);
        QFETCH(int, selectionStart);
        QFETCH(int, selectionEnd);
        QFETCH(QString, expected);
        QFETCH(int, count);
        m_editor->setUnicode(unicode);
        setUp(text, find, replace, regex, forward, wrap, 0);
        m_editor->emptyUndoBuffer();
        m_editor->setSel(selectionStart, selectionEnd);
        click("btnReplaceAll");
        QCOMPARE(m_editor->text(), expected);
        QCOMPARE(m_dialog->statusText(), count > 1 ? QStringLiteral("Replace All: %1 targets were replaced.").arg(count)
                                                   : QStringLiteral("Replace All: %1 target was replaced.").arg(count));
        QVERIFY(!m_editor->readOnly());
        // One undo step takes it all back.
        if (count > 0) {
            m_editor->undo();
            QCOMPARE(m_editor->text(), text);
            QVERIFY(!m_editor->canUndo());
        }
    }

    void replaceAllNotifiesOnce()
    {
        m_editor->showLineNumber(true);
        m_editor->setText(QByteArray("x\nx\nx\nx\nx"));
        const int margin = m_editor->lineNumberMarginWidth();
        QSignalSpy changes(m_editor, &Editor::textChanged);
        QCOMPARE(m_editor->replaceAll("x", "x\n1\n2", 0, 0, m_editor->textLength()), 5);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(m_editor->lineCount(), 15);
        // Ten lines and more need a second digit in the margin.
        QVERIFY(m_editor->lineNumberMarginWidth() > margin);
    }

    void replaceAllLockedAndStoppable()
    {
        const QString text = QString(20000, QLatin1Char('a'));
        setUp(text, "a", "b", false, true, true, 0);
        bool lockedMeanwhile = false;
        // Events run before the first search: there the run is found locked, and stopped.
        QTimer::singleShot(0, m_dialog, [&] {
            lockedMeanwhile = m_editor->readOnly() && m_dialog->isReplacingAll();
            m_editor->setText("changed");
            click("btnReplaceAll");
        });
        click("btnReplaceAll");
        QVERIFY(lockedMeanwhile);
        QCOMPARE(m_editor->text(), text);
        QCOMPARE(m_dialog->statusText(), QStringLiteral("Replace All: 0 target was replaced."));
        QVERIFY(!m_editor->readOnly());
        QCOMPARE(child<QPushButton>("btnReplaceAll")->text(), QStringLiteral("Replace All"));
    }

    void replaceAllSurvivesEditorGoing()
    {
        setUp("aaaa", "a", "b", false, true, true, 0);
        QTimer::singleShot(0, m_dialog, [&] {
            delete m_editor;
            m_editor = nullptr;
        });
        click("btnReplaceAll");
        QVERIFY(!m_editor);
        QCOMPARE(m_dialog->statusText(), QStringLiteral("Replace All: 0 target was replaced."));
        QVERIFY(child<QPushButton>("btnFind")->isEnabled());
    }

    void editorSearch_data()
    {
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expr");
        QTest::addColumn<bool>("regex");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<int>("caret");
        // Steps: f findFirst, n findNext, p findPrevious, each with the selection it leaves or "-".
        QTest::addColumn<QStringList>("steps");
        const auto row = [](const char* name, bool unicode, const QString& text, const QString& expr, bool regex,
                            bool wrap, bool forward, int caret, const QStringList& steps) {
            QTest::addRow("%s", name) << unicode << text << expr << regex << wrap << forward << caret << steps;
        };
        row("next before first", true, "abab", "ab", false, true, true, 1, {"n -", "p -"});
        row("previous goes back", true, "aaa", "a", false, false, true, 0,
            {"f 0-1", "n 1-2", "n 2-3", "p 2-1", "p 1-0", "p -"});
    }

    void editorSearch()
    {
        QFETCH(bool, unicode);
        QFETCH(QString, text);
        QFETCH(QString, expr);
        QFETCH(bool, regex);
        QFETCH(bool, wrap);
        QFETCH(bool, forward);
        QFETCH(int, caret);
        QFETCH(QStringList, steps);
        m_editor->setUnicode(unicode);
        m_editor->setText(m_editor->toEditorBytes(text));
        m_editor->setEmptySelection(caret);
        for (const QString& step : steps) {
            const QString before = selection(m_editor);
            bool found = false;
            if (step.startsWith('f'))
                found = m_editor->findFirst(expr, regex, false, false, wrap, forward, -1, -1, true, regex);
            else if (step.startsWith('n'))
                found = m_editor->findNext();
            else
                found = m_editor->findPrevious();
            const QString expected = step.mid(2);
            QCOMPARE(found, expected != "-");
            QCOMPARE(selection(m_editor), found ? expected : before);
        }
    }

    void windowActionsContinueDialogSearch()
    {
        // Only the window's own editors and dialog here.
        cleanup();
        openWindow();
        Editor* tpl = editor("tpl");
        tpl->setText("one two one two one");
        tpl->setEmptySelection(0);
        action("actionFind")->trigger();
        auto* dialog = m_window->findChild<FindDialog*>();
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->isVisible());
        dialog->findChild<QComboBox*>("cbbFindText")->setEditText("one");
        dialog->findChild<QPushButton*>("btnFind")->click();
        QCOMPARE(selection(tpl), QStringLiteral("0-3"));
        action("actionFindNext")->trigger();
        QCOMPARE(selection(tpl), QStringLiteral("8-11"));
        action("actionFindNext")->trigger();
        QCOMPARE(selection(tpl), QStringLiteral("16-19"));
        action("actionFindPrevious")->trigger();
        QCOMPARE(selection(tpl), QStringLiteral("11-8"));
        // Closing hides the window, which keeps its texts for the next time.
        dialog->findChild<QPushButton*>("btnClose")->click();
        QVERIFY(!dialog->isVisible());
        action("actionFind")->trigger();
        QTRY_VERIFY(dialog->isVisible());
        QCOMPARE(dialog->findText(), QStringLiteral("one"));
    }

private:
    template <typename T> T* child(const char* name) const { return m_dialog->findChild<T*>(QLatin1String(name)); }
    void click(const char* name) const { child<QPushButton>(name)->click(); }
    // Sets the texts and options as the user would, in the dialog.
    void setUp(const QString& text, const QString& find, const QString& replace, bool regex, bool forward, bool wrap,
               int caret);

    Editor* m_editor = nullptr;
    FindDialog* m_dialog = nullptr;
};

void TestFind::setUp(const QString& text, const QString& find, const QString& replace, bool regex, bool forward,
                     bool wrap, int caret)
{
    m_editor->setText(m_editor->toEditorBytes(text));
    m_editor->setEmptySelection(caret);
    child<QComboBox>("cbbFindText")->setEditText(find);
    child<QComboBox>("cbbReplace")->setEditText(replace);
    child<QCheckBox>("ckbRegex")->setChecked(regex);
    child<QRadioButton>(forward ? "rbDown" : "rbUp")->setChecked(true);
    child<QCheckBox>("ckbWrapAround")->setChecked(wrap);
}

QTEST_MAIN(TestFind)
#include "tst_find.moc"
