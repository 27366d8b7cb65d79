// The main window as the user meets it: its runs, column rules, template files, menus and dialogs.

#include "TestSupport.h"

#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "mainwindow/AboutDialog.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PreferencesDialog.h"
#include "settings/Preferences.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QMenu>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void mergeThroughColumns();
    void shippedSampleMerges();
    void replaceMatchThroughColumns();
    void secondTriggerStopsLongMerge();
    void columnCountRules();
    void saveAndReopenTemplate();
    void saveTwiceWritesOnce();
    void openTwoColumnsOnFour();
    void failedSaveKeepsState();
    void eleventhRecentFilePushesOldest();
    void preferencesReachWindowAndColumns();
    void copyToClipboard();
    void recentFilesClearDisablesMenu();
    void editMenuFollowsFocusEditor();
    void aboutBoxShowsOnce();

private:
    QAction* action(const char* name) const { return m_window->findChild<QAction*>(QLatin1String(name)); }
    Editor* editor(const char* name) const { return m_window->findChild<Editor*>(QLatin1String(name)); }
    MetaManager* manager() const { return m_window->metaManager(); }
    void setColumns(const QStringList& texts, const QStringList& snippets);

    MainWindow* m_window = nullptr;
};

void TestMainWindow::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
    Preferences::instance();
}

void TestMainWindow::init()
{
    m_window = new MainWindow;
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestMainWindow::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestMainWindow::setColumns(const QStringList& texts, const QStringList& snippets)
{
    while (manager()->count() > texts.size())
        manager()->removeMeta(-1, false);
    for (int i = 0; i < texts.size(); ++i)
        manager()->setMeta(i, texts.at(i), snippets.at(i));
}

void TestMainWindow::mergeThroughColumns()
{
    setColumns({QStringLiteral("ann\nbob\nçé"), QStringLiteral("1\n2\n3")}, {QStringLiteral("#1#"), QStringLiteral("#2#")});
    editor("tpl")->setTextKeepView(QStringLiteral("INSERT INTO t VALUES ('#1#', #2#);"), false);
    action("actionStart")->trigger();
    QCOMPARE(editor("result")->text(), QStringLiteral("INSERT INTO t VALUES ('ann', 1);\n"
                                                      "INSERT INTO t VALUES ('bob', 2);\n"
                                                      "INSERT INTO t VALUES ('çé', 3);"));
    // An unticked column takes no part: its snippet stays literal.
    manager()->metaAt(1)->setChecked(false);
    action("actionStart")->trigger();
    QCOMPARE(editor("result")->text(), QStringLiteral("INSERT INTO t VALUES ('ann', #2#);\n"
                                                      "INSERT INTO t VALUES ('bob', #2#);\n"
                                                      "INSERT INTO t VALUES ('çé', #2#);"));
    QVERIFY(m_window->statusBar()->currentMessage().isEmpty());
    // A run cut at the size limit says so rather than passing for a complete one.
    m_window->mergeEngine().setResultLimit(40);
    action("actionStart")->trigger();
    QCOMPARE(editor("result")->text(), QStringLiteral("INSERT INTO t VALUES ('ann', #2#);"));
    QVERIFY2(m_window->statusBar()->currentMessage().contains(QLatin1String("size limit of 40 characters")),
             qPrintable(m_window->statusBar()->currentMessage()));
}

void TestMainWindow::shippedSampleMerges()
{
    // The template file the repository ships opens on three columns and merges one record per name.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sample.s"));
    QVERIFY(QFile::copy(QStringLiteral(LINEWELD_SOURCE_DIR "/examples/sample.s"), path));
    m_window->openFile(path);
    QCOMPARE(m_window->currentFile(), QFileInfo(path).canonicalFilePath());
    QCOMPARE(manager()->count(), 3);
    action("actionStart")->trigger();
    const QStringList records = editor("result")->text().split(QLatin1Char('\n'));
    QCOMPARE(records.size(), manager()->metaAt(0)->lineCount());
    QVERIFY(records.size() > 10);
    QCOMPARE(records.first(), QStringLiteral("INSERT INTO users (name, email, role) VALUES "
                                             "('Alice Martin', 'alice.martin@example.com', 'admin');"));
    for (const QString& record : records)
        QVERIFY2(!record.contains(QLatin1Char('#')) && record.endsWith(QLatin1String("');")), qPrintable(record));
}

void TestMainWindow::replaceMatchThroughColumns()
{
    // A column's snippet is a pattern; its matches take the column's lines one after the other,
    // and a later column can match what an earlier one inserted.
    setColumns({QStringLiteral("A\nB"), QStringLiteral("x")}, {QStringLiteral("\\d+"), QStringLiteral("B")});
    editor("tpl")->setTextKeepView(QStringLiteral("1 2 3"), false);
    action("actionReplace")->trigger();
    QCOMPARE(editor("result")->text(), QStringLiteral("A x "));
    QVERIFY(action("actionStart")->isEnabled());
    QVERIFY(action("actionReplace")->isEnabled());
}

void TestMainWindow::secondTriggerStopsLongMerge()
{
    QStringList lines;
    const int n = 400000;
    lines.reserve(n);
    for (int i = 0; i < n; ++i)
        lines << QStringLiteral("value%1").arg(i);
    setColumns({lines.join(QLatin1Char('\n'))}, {QStringLiteral("#1#")});
    editor("tpl")->setTextKeepView(QStringLiteral("<#1#>"), false);
    // The second trigger arrives while the first run processes events, as F5 pressed again would.
    bool sawStopTooltip = false;
    QTimer::singleShot(20, this, [&] {
        sawStopTooltip = action("actionStart")->toolTip() == QStringLiteral("Stop");
        action("actionStart")->trigger();
    });
    action("actionStart")->trigger();
    QVERIFY(sawStopTooltip);
    const QString result = editor("result")->text();
    const QStringList records = result.split(QLatin1Char('\n'));
    QVERIFY2(records.size() < n, qPrintable(QString::number(records.size())));
    // The records built so far, each whole and in order.
    for (int i = 0; i < records.size(); ++i) {
        if (records.at(i) != QStringLiteral("<value%1>").arg(i))
            QFAIL(qPrintable(QStringLiteral("record %1: %2").arg(i).arg(records.at(i))));
    }
    QCOMPARE(action("actionStart")->toolTip(), QStringLiteral("Start merge"));
    // The next trigger runs to the end again.
    action("actionStart")->trigger();
    QCOMPARE(editor("result")->lineCount(), n);
}

void TestMainWindow::columnCountRules()
{
    setColumns({QString()}, {QStringLiteral("#1#")});
    QCOMPARE(manager()->count(), 1);
    QVERIFY(!action("actionPopMeta")->isEnabled());
    QVERIFY(action("actionAddMeta")->isEnabled());
    action("actionPopMeta")->trigger();
    QCOMPARE(manager()->count(), 1);
    for (int i = 0; i < 3; ++i)
        action("actionAddMeta")->trigger();
    QCOMPARE(manager()->count(), 4);
    QVERIFY(!action("actionAddMeta")->isEnabled());
    QVERIFY(action("actionPopMeta")->isEnabled());
    action("actionAddMeta")->trigger();
    QCOMPARE(manager()->count(), 4);
    action("actionPopMeta")->trigger();
    QCOMPARE(manager()->count(), 3);
    QVERIFY(action("actionAddMeta")->isEnabled());

    // Clear Columns empties the ticked columns only.
    setColumns({QStringLiteral("x"), QStringLiteral("y")}, {QStringLiteral("#1#"), QStringLiteral("#2#")});
    manager()->metaAt(1)->setChecked(false);
    action("actionClearAllMeta")->trigger();
    QCOMPARE(manager()->metaAt(0)->editor()->text(), QString());
    QCOMPARE(manager()->metaAt(1)->editor()->text(), QStringLiteral("y"));
}

void TestMainWindow::saveAndReopenTemplate()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("state.s"));
    const QStringList texts = {QStringLiteral("a \"quoted\" value\nsecond; line = 2"), QStringLiteral("caf\u00e9\nStra\u00dfe"),
                               QStringLiteral("  padded  \n#hash [x]"), QStringLiteral("4")};
    const QStringList snippets = {QStringLiteral("#1#"), QStringLiteral("%b%"), QStringLiteral("#3#"), QStringLiteral("@4")};
    setColumns(texts, snippets);
    const QString tpl = QStringLiteral("INSERT INTO t VALUES ('#1#', '%b%');\n-- \"#3#\" @4");
    editor("tpl")->setTextKeepView(tpl, false);
    action("actionRepMultiLine")->setChecked(false);
    QVERIFY(m_window->saveFile(path));
    QCOMPARE(m_window->currentFile(), path);
    QCOMPARE(Preferences::instance()->recentFiles().value(0), QFileInfo(path).canonicalFilePath());

    delete m_window;
    m_window = new MainWindow;
    QCOMPARE(manager()->count(), 2);
    m_window->openFile(path);
    QCOMPARE(manager()->count(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(manager()->metaAt(i)->editor()->text(), texts.at(i));
        QCOMPARE(manager()->metaAt(i)->snippet(), snippets.at(i));
    }
    QCOMPARE(editor("tpl")->text(), tpl);
    QVERIFY(!action("actionRepMultiLine")->isChecked());
    QCOMPARE(m_window->currentFile(), path);
    action("actionRepMultiLine")->setChecked(true);
}

void TestMainWindow::saveTwiceWritesOnce()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("twice.s"));
    setColumns({QStringLiteral("x\ny")}, {QStringLiteral("#1#")});
    editor("tpl")->setTextKeepView(QStringLiteral("<#1#>"), false);
    QVERIFY(m_window->saveFile(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray before = file.readAll();
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
    file.close();
    QVERIFY(m_window->saveFile(QString()));
    QCOMPARE(QFileInfo(path).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestMainWindow::openTwoColumnsOnFour()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("two.s"));
    setColumns({QStringLiteral("a"), QStringLiteral("b")}, {QStringLiteral("#1#"), QStringLiteral("#2#")});
    QVERIFY(m_window->saveFile(path));
    setColumns({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")},
               {QStringLiteral("#1#"), QStringLiteral("#2#"), QStringLiteral("#3#"), QStringLiteral("#4#")});
    editor("result")->setTextKeepView(QStringLiteral("old result"), false);
    m_window->openFile(path);
    QCOMPARE(manager()->count(), 2);
    QCOMPARE(manager()->metaAt(1)->editor()->text(), QStringLiteral("b"));
    QVERIFY(action("actionAddMeta")->isEnabled());
    QCOMPARE(editor("result")->text(), QString());
}

void TestMainWindow::failedSaveKeepsState()
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.s"));
    QVERIFY(m_window->saveFile(good));
    // A path that is a folder cannot be written: an "Error" box, and the current file stays.
    const QString folder = dir.filePath(QStringLiteral("folder.s"));
    QVERIFY(QDir().mkdir(folder));
    QString boxTitle;
    // The box is modal: poll until it shows, then close it.
    QTimer closer;
    closer.setInterval(20);
    connect(&closer, &QTimer::timeout, this, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box && box->isVisible()) {
                boxTitle = box->windowTitle();
                box->done(QMessageBox::Ok);
                closer.stop();
            }
        }
    });
    closer.start();
    QVERIFY(!m_window->saveFile(folder));
    closer.stop();
    QCOMPARE(boxTitle, QStringLiteral("Error"));
    QCOMPARE(m_window->currentFile(), good);
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(!Preferences::instance()->recentFiles().contains(QFileInfo(folder).canonicalFilePath()));
}

void TestMainWindow::eleventhRecentFilePushesOldest()
{
    QTemporaryDir dir;
    Preferences::instance()->setRecentFiles({});
    QStringList paths;
    for (int i = 0; i < 11; ++i) {
        paths << dir.filePath(QStringLiteral("r%1.s").arg(i));
        QVERIFY(m_window->saveFile(paths.last()));
    }
    // Saving an older one again moves it to the top without a duplicate.
    QVERIFY(m_window->saveFile(paths.at(5)));
    const QStringList recent = Preferences::instance()->recentFiles();
    QCOMPARE(recent.size(), 10);
    QCOMPARE(recent.first(), QFileInfo(paths.at(5)).canonicalFilePath());
    QCOMPARE(recent.count(recent.first()), 1);
    QVERIFY(!recent.contains(QFileInfo(paths.at(0)).canonicalFilePath()));
    QCOMPARE(recent.at(1), QFileInfo(paths.at(10)).canonicalFilePath());
}

void TestMainWindow::preferencesReachWindowAndColumns()
{
    // Every change in the dialog shows in the window while the dialog is still open.
    Preferences* prefs = Preferences::instance();
    prefs->setGuiHideStatusBar(false);
    prefs->setGuiToolbarIconSize(24);
    PreferencesDialog dialog(m_window);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* tabs = dialog.findChild<QTabWidget*>(QStringLiteral("tabWidget"));
    QVERIFY(tabs);
    auto showTabOf = [tabs](QWidget* widget) {
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(widget))
                tabs->setCurrentIndex(i);
    };

    auto* hideStatus = dialog.findChild<QCheckBox*>(QStringLiteral("ckbHideStatusBar"));
    QVERIFY(hideStatus);
    showTabOf(hideStatus);
    QVERIFY(m_window->statusBar()->isVisible());
    QTest::mouseClick(hideStatus, Qt::LeftButton, {}, QPoint(4, hideStatus->height() / 2));
    QVERIFY(!m_window->statusBar()->isVisible());
    QTest::mouseClick(hideStatus, Qt::LeftButton, {}, QPoint(4, hideStatus->height() / 2));
    QVERIFY(m_window->statusBar()->isVisible());

    auto* large = dialog.findChild<QRadioButton*>(QStringLiteral("rbLarge"));
    QVERIFY(large);
    showTabOf(large);
    QTest::mouseClick(large, Qt::LeftButton, {}, QPoint(4, large->height() / 2));
    for (const char* name : {"tbMain", "tbColumns", "tbData", "tbTools", "tbStart"})
        QCOMPARE(m_window->findChild<QToolBar*>(QLatin1String(name))->iconSize(), QSize(32, 32));

    // The snippet prefix typed one character at a time renames the columns each time.
    setColumns({QString(), QString()}, {QStringLiteral("#1#"), QStringLiteral("#2#")});
    auto* prefixBox = dialog.findChild<QComboBox*>(QStringLiteral("cmbPrefix"));
    QVERIFY(prefixBox && prefixBox->lineEdit());
    showTabOf(prefixBox);
    QLineEdit* prefixEdit = prefixBox->lineEdit();
    prefixEdit->setFocus();
    prefixEdit->selectAll();
    QTest::keyClick(prefixEdit, Qt::Key_Delete);
    QTest::keyClick(prefixEdit, '$');
    QCOMPARE(manager()->metaAt(0)->snippet(), QStringLiteral("$1#"));
    QTest::keyClick(prefixEdit, '$');
    QCOMPARE(manager()->metaAt(1)->snippet(), QStringLiteral("$$2#"));
    QTest::keyClick(prefixEdit, Qt::Key_Backspace);
    QTest::keyClick(prefixEdit, Qt::Key_Backspace);
    QTest::keyClick(prefixEdit, '#');
    QCOMPARE(manager()->metaAt(0)->snippet(), QStringLiteral("#1#"));
}

void TestMainWindow::copyToClipboard()
{
    editor("result")->setTextKeepView(QStringLiteral("a\nb"), false);
    QApplication::clipboard()->clear();
    action("actionCopyToClipboard")->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("a\nb"));
    QVERIFY(!editor("result")->hasSelectedText());
    QCOMPARE(m_window->statusBar()->currentMessage(), QStringLiteral("Copy Into Clipboard."));
}

void TestMainWindow::recentFilesClearDisablesMenu()
{
    QTemporaryDir dir;
    QStringList files;
    for (const char* name : {"f0.s", "f&1.s", "f2.s"})
        files << dir.filePath(QLatin1String(name));
    Preferences::instance()->setRecentFiles(files);
    delete m_window;
    m_window = new MainWindow;
    auto* recent = m_window->findChild<QMenu*>(QStringLiteral("menuRecentFiles"));
    QVERIFY(recent->isEnabled());
    QCOMPARE(recent->actions().at(0)->text(), QStringLiteral("1: f0.s"));
    QCOMPARE(recent->actions().at(2)->data().toString(), files.at(2));
    QVERIFY(recent->actions().at(2)->isVisible());
    QVERIFY(!recent->actions().at(3)->isVisible());
    // An ampersand in a name is doubled so that the menu shows it.
    QCOMPARE(recent->actions().at(1)->text(), QStringLiteral("2: f&&1.s"));
    // A listed file that is gone opens nothing and leaves the current file empty.
    recent->actions().at(0)->trigger();
    QVERIFY(m_window->currentFile().isEmpty());
    action("actionClearRecentFiles")->trigger();
    QVERIFY(Preferences::instance()->recentFiles().isEmpty());
    QVERIFY(!recent->isEnabled());
    QVERIFY(!action("actionClearRecentFiles")->isEnabled());
    QVERIFY(!recent->actions().at(0)->isVisible());
}

void TestMainWindow::editMenuFollowsFocusEditor()
{
    Editor* tpl = editor("tpl");
    tpl->setFocus();
    QTRY_VERIFY(tpl->hasFocus());
    QCOMPARE(m_window->focusEditor(), tpl);
    tpl->setTextKeepView(QStringLiteral("abc"), false);
    tpl->setEmptySelection(0);
    auto* edit = m_window->findChild<QMenu*>(QStringLiteral("menuEdit"));
    QMetaObject::invokeMethod(edit, "aboutToShow");
    QVERIFY(!action("actionCut")->isEnabled());
    QVERIFY(action("actionPaste")->isEnabled());
    tpl->selectAll();
    QMetaObject::invokeMethod(edit, "aboutToShow");
    QVERIFY(action("actionCut")->isEnabled());
    QVERIFY(action("actionCopy")->isEnabled());
    action("actionCopy")->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("abc"));
    action("actionDelete")->trigger();
    QCOMPARE(tpl->text(), QString());

    // The line-ending menu disables the focused editor's own format.
    tpl->setTextKeepView(QStringLiteral("a\nb"), false);
    action("actionFormatWindows")->trigger();
    QCOMPARE(tpl->eolFormat(), EolWindows);
    QCOMPARE(tpl->textLength(), 4);
    auto* eol = m_window->findChild<QMenu*>(QStringLiteral("menuEolMode"));
    QMetaObject::invokeMethod(eol, "aboutToShow");
    QVERIFY(!action("actionFormatWindows")->isEnabled());
    QVERIFY(action("actionFormatUnix")->isEnabled());
    QVERIFY(action("actionFormatMac")->isEnabled());
}

void TestMainWindow::aboutBoxShowsOnce()
{
    action("actionAbout")->trigger();
    action("actionAbout")->trigger();
    const QList<AboutDialog*> boxes = m_window->findChildren<AboutDialog*>();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes.first()->isVisible());
    boxes.first()->hide();
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
