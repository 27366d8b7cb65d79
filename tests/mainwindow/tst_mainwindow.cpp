// The main window as the user meets it: its runs, column rules, template files, menus and dialogs.

#include "TestSupport.h"
#include "mainwindow/ModalAnswerer.h"
#include "mainwindow/WindowTest.h"

#include "columns/Meta.h"
#include "columns/MetaManager.h"
#include "editor/Editor.h"
#include "engine/QTemplate.h"
#include "mainwindow/AboutDialog.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PreferencesDialog.h"
#include "settings/Preferences.h"

#include <QtTest>
#include <QtWidgets>

class TestMainWindow : public WindowTest
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    void mergeThroughColumns()
    {
        // Typed key by key, line breaks as Return, into the two columns the window opens with.
        const QList<QPair<Editor*, QString>> typing = {{manager()->metaAt(0)->editor(), "ann\nbob\nçé"},
                                                       {manager()->metaAt(1)->editor(), "1\n2\n3"},
                                                       {editor("tpl"), "<#1#|#2#>"}};
        for (const auto& typed : typing) {
            for (const QChar c : typed.second)
                QTest::sendKeyEvent(QTest::Click, typed.first,
                                    c == '\n' ? Qt::Key_Return : Qt::Key(c.toUpper().unicode()),
                                    c == '\n' ? QString() : QString(c), {});
            QCOMPARE(typed.first->text(), typed.second);
        }
        action("actionStart")->trigger();
        QCOMPARE(result(), QString("<ann|1>\n<bob|2>\n<çé|3>"));
        // An unticked column takes no part: its snippet stays literal.
        manager()->metaAt(1)->setChecked(false);
        action("actionStart")->trigger();
        QCOMPARE(result(), QString("<ann|#2#>\n<bob|#2#>\n<çé|#2#>"));
        QVERIFY(status().isEmpty());
        // Multi-line off joins the records with nothing between them.
        action("actionRepMultiLine")->setChecked(false);
        action("actionStart")->trigger();
        QCOMPARE(result(), QString("<ann|#2#><bob|#2#><çé|#2#>"));
        // A run cut at the size limit says so rather than passing for a complete one, also when the
        // copy that follows the run shows its own message.
        m_window->mergeEngine().setResultLimit(15);
        Preferences::instance()->setMiscCopyToClipBoardAfterMerged(true);
        action("actionStart")->trigger();
        Preferences::instance()->setMiscCopyToClipBoardAfterMerged(false);
        QCOMPARE(result(), QString("<ann|#2#>"));
        QCOMPARE(QGuiApplication::clipboard()->text(), result());
        QVERIFY2(status().contains("size limit of 15 characters"), qPrintable(status()));
    }

    void shippedSampleOpensAndMerges()
    {
        // The template file the repository ships opens on three columns, each showing its first line
        // once the window has laid them out, and merges one record per name; a column that is filled
        // again keeps the place its user scrolled to.
        QTemporaryDir dir;
        const QString path = dir.filePath("sample.s");
        QVERIFY(QFile::copy(LINEWELD_SOURCE_DIR "/examples/sample.s", path));
        m_window->openFile(path);
        QCOMPARE(m_window->currentFile(), QFileInfo(path).canonicalFilePath());
        QCOMPARE(manager()->count(), 3);
        action("actionStart")->trigger();
        const QStringList records = result().split('\n');
        QCOMPARE(records.size(), manager()->metaAt(0)->lineCount());
        QCOMPARE(records.first(), QString("INSERT INTO users (name, email, role) VALUES "
                                          "('Alice Martin', 'alice.martin@example.com', 'admin');"));
        for (const QString& record : records)
            QVERIFY2(!record.contains('#') && record.endsWith("');"), qPrintable(record));
        auto settle = [this] {
            m_window->grab();
            QCoreApplication::processEvents();
        };
        settle();
        for (Meta* meta : manager()->metas()) {
            int line = -1;
            int index = -1;
            meta->editor()->cursorPosition(&line, &index);
            QCOMPARE(meta->editor()->firstVisibleLine(), 0);
            QCOMPARE(line, 0);
            QVERIFY(meta->editor()->lineCount() > 30);
        }

        Editor* first = manager()->metaAt(0)->editor();
        first->setCursorPosition(12, 0);
        first->setFirstVisibleLine(10);
        settle();
        m_window->openFile(path);
        settle();
        QCOMPARE(first->firstVisibleLine(), 10);
    }

    void columnFormatsReachTheRuns()
    {
        // Chosen through the column's own controls, the escape and the width reach merge and Replace
        // Match; back on None the column merges as before.
        setColumns({"O'Brien\nsay \"hi\"", "7\n-12"});
        Meta* names = manager()->metaAt(0);
        Meta* ids = manager()->metaAt(1);
        names->findChild<QComboBox*>("cbbEscape")->setCurrentIndex(int(ValueEscape::Sql));
        ids->findChild<QSpinBox*>("sbWidth")->setValue(4);
        auto* align = ids->findChild<QComboBox*>("cbbAlign");
        QVERIFY(align->isEnabled());
        align->setCurrentIndex(1);
        ids->findChild<QComboBox*>("cbbPad")->setCurrentIndex(1);
        QCOMPARE(ids->valueFormat().pad, QChar('0'));

        editor("tpl")->setText("('#1#', #2#)");
        action("actionStart")->trigger();
        QCOMPARE(result(), QString("('O''Brien', 0007)\n('say \"hi\"', -012)"));
        action("actionReplace")->trigger();
        QCOMPARE(result(), QString("('O''Brien', 0007)"));

        // The formats go with the working state into the template file and come back with it.
        QTemporaryDir dir;
        const QString path = dir.filePath("formats.s");
        QVERIFY(m_window->saveFile(path));
        names->setValueFormat(ValueFormat());
        ids->setValueFormat(ValueFormat());
        QVERIFY(!align->isEnabled());
        m_window->openFile(path);
        QCOMPARE(manager()->metaAt(0)->valueFormat().escape, ValueEscape::Sql);
        QCOMPARE(manager()->metaAt(1)->valueFormat().width, 4);
        QVERIFY(align->isEnabled());
        names->setValueFormat(ValueFormat());
        ids->setValueFormat(ValueFormat());
        action("actionStart")->trigger();
        QCOMPARE(result(), QString("('O'Brien', 7)\n('say \"hi\"', -12)"));
    }

    void previewFollowsEdits()
    {
        // Hidden until asked for, then the first records follow the template, the columns and their
        // options, while the result editor stays as it was.
        auto* preview = m_window->findChild<QPlainTextEdit*>("preview");
        QVERIFY(preview);
        QVERIFY(!preview->isVisible());
        QVERIFY(!Preferences::instance()->guiShowPreview());
        QStringList names;
        for (int i = 1; i <= 30; ++i)
            names.append(QStringLiteral("n'%1").arg(i));
        setColumns({names.join('\n'), "a\nb"});
        editor("tpl")->setText("<#1#|#2#>");
        action("actionShowPreview")->trigger();
        QVERIFY(preview->isVisible());
        QVERIFY(Preferences::instance()->guiShowPreview());

        QStringList expected;
        for (int i = 0; i < 20; ++i)
            expected.append(QStringLiteral("<%1|%2>").arg(names.at(i), i < 2 ? QString("ab").at(i) : QString()));
        QTRY_COMPARE(preview->toPlainText(), expected.join('\n'));

        QTest::keyClick(editor("tpl"), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(editor("tpl"), "!");
        QTRY_VERIFY(preview->toPlainText().startsWith("<n'1|a>!\n<n'2|b>!\n"));
        manager()->metaAt(0)->findChild<QComboBox*>("cbbEscape")->setCurrentIndex(int(ValueEscape::Sql));
        QTRY_VERIFY(preview->toPlainText().startsWith("<n''1|a>!"));
        manager()->metaAt(1)->setChecked(false);
        QTRY_VERIFY(preview->toPlainText().startsWith("<n''1|#2#>!"));
        manager()->metaAt(0)->setText("x\ny");
        QTRY_COMPARE(preview->toPlainText(), QString("<x|#2#>!\n<y|#2#>!"));
        action("actionRepMultiLine")->setChecked(false);
        QTRY_COMPARE(preview->toPlainText(), QString("<x|#2#>!<y|#2#>!"));

        QCOMPARE(result(), QString());
        QVERIFY(!editor("result")->canUndo());
        action("actionShowPreview")->trigger();
        QVERIFY(!preview->isVisible());
        QVERIFY(!Preferences::instance()->guiShowPreview());
    }

    void secondTriggerStopsLongMerge()
    {
        const int n = 400000;
        QStringList lines;
        for (int i = 0; i < n; ++i)
            lines << QStringLiteral("value%1").arg(i);
        setColumns({lines.join('\n')});
        editor("tpl")->setTextKeepView("<#1#>", Editor::ResetView);
        // The second trigger arrives while the first run processes events, as F5 pressed again would.
        // The timer fires at the run's first pause for events, whatever the machine's load.
        bool sawStopTooltip = false;
        bool resultWasReadOnly = false;
        QTimer::singleShot(0, this, [&] {
            sawStopTooltip = action("actionStart")->toolTip() == QLatin1String("Stop");
            // Typing into the result meanwhile would be lost with its old document.
            resultWasReadOnly = editor("result")->readOnly();
            action("actionStart")->trigger();
        });
        action("actionStart")->trigger();
        QVERIFY(sawStopTooltip);
        QVERIFY(resultWasReadOnly);
        QVERIFY(!editor("result")->readOnly());
        // The records built so far, each whole and in order; a stop before the first leaves none.
        const QString text = result();
        const QStringList records = text.isEmpty() ? QStringList() : text.split('\n');
        QVERIFY2(records.size() < n, qPrintable(QString::number(records.size())));
        for (int i = 0; i < records.size(); ++i)
            if (records.at(i) != QStringLiteral("<value%1>").arg(i))
                QFAIL(qPrintable(QStringLiteral("record %1: %2").arg(i).arg(records.at(i))));
        QCOMPARE(action("actionStart")->toolTip(), QString("Start merge"));
        action("actionStart")->trigger(); // the next one runs to the end again
        QCOMPARE(editor("result")->lineCount(), n);
    }

    void columnChangedDuringMerge()
    {
        // The run copies values from the column's bytes; a column changed while events run must be
        // read anew, never from where its old text was (the sanitizer build would see that).
        const int n = 50000;
        QStringList lines;
        for (int i = 0; i < n; ++i)
            lines << QStringLiteral("value%1").arg(i);
        setColumns({lines.join('\n')});
        editor("tpl")->setTextKeepView("<#1#>", Editor::ResetView);
        // At the run's first round of events, which comes before its first record.
        QTimer::singleShot(0, this, [&] { manager()->metaAt(0)->setText(QStringLiteral("x")); });
        action("actionStart")->trigger();
        Editor* out = editor("result");
        QCOMPARE(out->lineCount(), n);
        QCOMPARE(out->lineText(0), QString("<x>"));
        QCOMPARE(out->lineText(1), QString("<>"));
        QCOMPARE(out->lineText(n - 1), QString("<>"));
    }

    void columnCountRules()
    {
        // The row holds one to four columns, and the two actions follow the count.
        setColumns({""});
        action("actionPopMeta")->trigger();
        for (int count = 1; count <= 4; ++count) {
            QCOMPARE(manager()->count(), count);
            QCOMPARE(action("actionPopMeta")->isEnabled(), count > 1);
            QCOMPARE(action("actionAddMeta")->isEnabled(), count < 4);
            action("actionAddMeta")->trigger();
        }
        QCOMPARE(manager()->count(), 4);
        action("actionPopMeta")->trigger();
        QCOMPARE(manager()->count(), 3);
        QVERIFY(action("actionAddMeta")->isEnabled());
    }

    void openStartsFreshHistory_data()
    {
        QTest::addColumn<bool>("unicode");
        QTest::addRow("UTF-8") << true;
        QTest::addRow("Latin-1") << false;
    }

    void openStartsFreshHistory()
    {
        // A save keeps the working state: texts, snippets, template and the multi-line flag. Each open
        // fills the editors as a fresh text: nothing to undo, in the template or any column, whatever
        // was done before; fewer columns than before, and no result of the state before.
        QFETCH(bool, unicode);
        Preferences::instance()->setEditorUnicode(unicode);
        const auto restore = qScopeGuard([] { Preferences::instance()->setEditorUnicode(false); });
        QTemporaryDir dir;
        const QString path = dir.filePath("fresh.s");
        const QStringList texts = {"café\nStraße\n", "  padded  \n#hash [x]", "\"q\"; a, b = 2\r\nc"};
        const QStringList snippets = {"#1#", "%b%", "@3"};
        const QString tpl = "INSERT INTO t VALUES ('#1#', '%b%');\n-- \"@3\"";
        setColumns(texts, snippets);
        editor("tpl")->setTextKeepView(tpl, Editor::ResetView);
        action("actionRepMultiLine")->setChecked(false);
        QVERIFY(m_window->saveFile(path));
        QCOMPARE(m_window->currentFile(), path);
        QCOMPARE(Preferences::instance()->recentFiles().value(0), QFileInfo(path).canonicalFilePath());
        for (int open = 0; open < 2; ++open) {
            setColumns({"edited", "x", "y", "four"});
            editor("tpl")->setTextKeepView("edited", Editor::ResetView);
            action("actionRepMultiLine")->setChecked(true);
            QVERIFY(editor("tpl")->canUndo());
            editor("result")->setTextKeepView("old result", Editor::ResetView);
            m_window->openFile(path);
            QCOMPARE(manager()->count(), 3);
            QVERIFY(action("actionAddMeta")->isEnabled());
            QCOMPARE(result(), QString());
            for (int i = 0; i < 3; ++i) {
                Meta* meta = manager()->metaAt(i);
                QCOMPARE(meta->editor()->text(), texts.at(i));
                QCOMPARE(meta->snippet(), snippets.at(i));
                QVERIFY2(!meta->editor()->canUndo(), qPrintable(meta->editor()->name()));
                QVERIFY(!meta->findChild<QToolButton*>("btnUndo")->isEnabled());
            }
            QCOMPARE(editor("tpl")->text(), tpl);
            QVERIFY(!editor("tpl")->canUndo());
            QVERIFY(!action("actionRepMultiLine")->isChecked());
        }
        // Saved again unchanged, the file is not written.
        const QByteArray before = TestSupport::readBytes(path);
        QVERIFY(QFile::remove(path) && TestSupport::writeBytes(path, before + "[extra]\nkey=kept\n"));
        QVERIFY(m_window->saveFile(QString()));
        QCOMPARE(TestSupport::readBytes(path), before + "[extra]\nkey=kept\n");
    }

    void stopDuringOpenKeepsState_data()
    {
        QTest::addColumn<bool>("close");
        QTest::addRow("F5") << false;
        QTest::addRow("closing the window") << true;
    }

    void columnRemovedDuringOpen()
    {
        // The read lets events in: a column removed meanwhile is made again for the file's texts.
        QTemporaryDir dir;
        const QString path = dir.filePath("three.s");
        const QStringList texts = {"a\nb", "c", "d\ne\nf"};
        setColumns(texts);
        QVERIFY(m_window->saveFile(path));
        setColumns({"x", "y"});
        int countMeanwhile = -1;
        QTimer::singleShot(0, m_window, [this, &countMeanwhile] {
            manager()->removeMeta(-1, MetaManager::KeepNumbers);
            countMeanwhile = manager()->count();
        });
        m_window->openFile(path);
        QCOMPARE(countMeanwhile, 1); // removed while the open ran
        QCOMPARE(manager()->count(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(manager()->metaAt(i)->editor()->text(), texts.at(i));
    }

    void stopDuringOpenKeepsState()
    {
        // A stop that comes with the first events of the read ends it: the working state, the current
        // file and both files stay as they were; closing the window saves the state into its own file.
        QFETCH(bool, close);
        Preferences::instance()->setGuiSaveBeforeExit(true);
        QTemporaryDir dir;
        const QString current = dir.filePath("current.s");
        const QString other = dir.filePath("other.s");
        setColumns({"a\nb", "c"});
        QVERIFY(m_window->saveFile(other));
        setColumns({"kept", "state"});
        QVERIFY(m_window->saveFile(current));
        setColumns({"kept", "state", "unsaved"});
        const QByteArray otherBytes = TestSupport::readBytes(other);
        QTimer::singleShot(0, m_window, [this, close] {
            if (close)
                m_window->close();
            else
                action("actionStart")->trigger();
        });
        m_window->openFile(other);
        QCOMPARE(manager()->count(), 3);
        QCOMPARE(manager()->metaAt(2)->editor()->text(), QString("unsaved"));
        QCOMPARE(m_window->currentFile(), current);
        QCOMPARE(TestSupport::readBytes(other), otherBytes);
        QCOMPARE(QTemplate(current).columns().size(), close ? 3 : 2);
        QCOMPARE(result(), QString()); // F5 stopped the open and started no merge
    }

    void failedSaveKeepsState()
    {
        QTemporaryDir dir;
        const QString good = dir.filePath("good.s");
        QVERIFY(m_window->saveFile(good));
        const QByteArray goodBytes = TestSupport::readBytes(good);
        // A path that is a folder cannot be written: an "Error" box, and the current file stays.
        const QString folder = dir.filePath("folder.s");
        QVERIFY(QDir().mkdir(folder));
        ModalAnswerer answerer(folder);
        QVERIFY(!m_window->saveFile(folder));
        QCOMPARE(answerer.boxTitles(), QStringList{"Error"});
        QCOMPARE(m_window->currentFile(), good);
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(!goodBytes.isEmpty());
        QCOMPARE(TestSupport::readBytes(good), goodBytes);
        QVERIFY(!Preferences::instance()->recentFiles().contains(QFileInfo(folder).canonicalFilePath()));
    }

    void eleventhRecentFilePushesOldest()
    {
        QTemporaryDir dir;
        Preferences::instance()->setRecentFiles({});
        QStringList paths;
        for (int i = 0; i < 11; ++i) {
            paths << dir.filePath(QStringLiteral("r&%1.s").arg(i));
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
        // The menu lists them in that order, an ampersand doubled so that it shows.
        const QList<QAction*> entries = m_window->findChild<QMenu*>("menuRecentFiles")->actions();
        QCOMPARE(entries.at(0)->text(), QString("1: r&&5.s"));
        QCOMPARE(entries.at(1)->data().toString(), recent.at(1));
    }

    void preferencesReachWindow()
    {
        // Every change in the dialog shows in the window while the dialog is still open.
        Preferences::instance()->setGuiHideStatusBar(false);
        Preferences::instance()->setGuiToolbarIconSize(24);
        PreferencesDialog dialog(m_window);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* tabs = dialog.findChild<QTabWidget*>("tabWidget");
        auto find = [&](const char* name) {
            auto* widget = dialog.findChild<QWidget*>(name);
            for (int i = 0; tabs && widget && i < tabs->count(); ++i)
                if (tabs->widget(i)->isAncestorOf(widget))
                    tabs->setCurrentIndex(i);
            return widget;
        };
        auto click = [](QWidget* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2)); };

        QWidget* hideStatus = find("ckbHideStatusBar");
        QVERIFY(tabs);
        QVERIFY(hideStatus);
        QVERIFY(m_window->statusBar()->isVisible());
        click(hideStatus);
        QVERIFY(!m_window->statusBar()->isVisible());
        click(hideStatus);
        QVERIFY(m_window->statusBar()->isVisible());

        click(find("rbLarge"));
        for (const char* name : {"tbMain", "tbColumns", "tbData", "tbTools", "tbStart"})
            QCOMPARE(m_window->findChild<QToolBar*>(name)->iconSize(), QSize(32, 32));
    }

    void copyToClipboard()
    {
        editor("result")->setTextKeepView("a\nb", Editor::ResetView);
        QApplication::clipboard()->clear();
        action("actionCopyToClipboard")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QString("a\nb"));
        QVERIFY(!editor("result")->hasSelectedText());
        QCOMPARE(status(), QString("Copy Into Clipboard."));
    }

    void aboutBoxShowsOnce()
    {
        for (int i = 0; i < 2; ++i)
            action("actionAbout")->trigger();
        const QList<AboutDialog*> boxes = m_window->findChildren<AboutDialog*>();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes.first()->isVisible());
        boxes.first()->hide();
    }

    void refusedFileSaysWhy_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::addRow("encoded value") << QByteArray("[global]\ntemplate=@Variant(\\0\\0\\0\\t7xeOO)\nmetacounts=1\n")
                                       << "%1 is not a template file.";
        QTest::addRow("folder") << QByteArray() << "Cannot read %1.";
    }

    void refusedFileSaysWhy()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath("refused.s");
        QVERIFY(content.isEmpty() ? QDir().mkpath(path) : TestSupport::writeBytes(path, content));
        editor("tpl")->setTextKeepView("kept", Editor::ResetView);
        ModalAnswerer answerer(path);
        m_window->openFile(path);
        QCOMPARE(answerer.boxTitles(), QStringList{"Error"});
        QCOMPARE(answerer.boxTexts(), QStringList{message.arg(path)});
        QCOMPARE(editor("tpl")->text(), QString("kept"));
    }

    void openAndCloseReplaceWholeTexts()
    {
        // A selection in the template or the result narrows neither an open nor a close.
        QTemporaryDir dir;
        const QString path = dir.filePath("file.s");
        editor("tpl")->setTextKeepView("FILE-TEMPLATE", Editor::ResetView);
        QVERIFY(m_window->saveFile(path));
        editor("tpl")->setTextKeepView("old text here", Editor::ResetView);
        editor("tpl")->setSel(4, 8);
        m_window->openFile(path);
        QCOMPARE(editor("tpl")->text(), QString("FILE-TEMPLATE"));
        editor("tpl")->setSel(4, 8);
        editor("result")->setTextKeepView("result text", Editor::ResetView);
        editor("result")->setSel(0, 6);
        action("actionClose")->trigger();
        QCOMPARE(editor("tpl")->text(), QString());
        QCOMPARE(result(), QString());
        QCOMPARE(m_window->currentFile(), QString());
    }

    void runResultUndoableAfterEdit_data()
    {
        QTest::addColumn<QString>("run");
        QTest::addRow("merge") << "actionStart";
        QTest::addRow("replace match") << "actionReplace";
    }

    void runResultUndoableAfterEdit()
    {
        QFETCH(QString, run);
        setColumns({"a"});
        editor("tpl")->setTextKeepView("<#1#>", Editor::ResetView);
        Editor* out = editor("result");
        // A run's output over an untouched result keeps no history: there is nothing of the user's to lose.
        action(qPrintable(run))->trigger();
        QCOMPARE(result(), QString("<a>"));
        QCOMPARE(out->canUndo(), false);
        action(qPrintable(run))->trigger();
        QCOMPARE(out->canUndo(), false);
        // Text the user added comes back with one undo.
        out->appendText(" mine");
        action(qPrintable(run))->trigger();
        QCOMPARE(result(), QString("<a>"));
        out->undo();
        QCOMPARE(result(), QString("<a> mine"));
    }

    void resultDocumentKeepsEditorSettings()
    {
        // The result of a run comes in as a new document: what the editor had set on the old one
        // must hold for it too, and what follows the text must see it.
        Editor* out = editor("result");
        out->setUnicode(false);
        out->setEolFormat(EolMac);
        out->send(QsciScintillaBase::SCI_SETTABWIDTH, 7);
        QStringList values;
        for (int i = 0; i < 20000; ++i)
            values.append(QString::number(i));
        setColumns({values.join('\n')});
        editor("tpl")->setTextKeepView(QString::fromUtf8("\xc3\xa9#1#"), Editor::ResetView);
        const int narrowMargin = out->lineNumberMarginWidth();
        action("actionStart")->trigger();
        QCOMPARE(out->lineCount(), 20000);
        QCOMPARE(out->textLength(), result().size()); // one byte a character in ANSI
        QCOMPARE(out->lineText(19999), QString::fromUtf8("\xc3\xa9") + "19999");
        QCOMPARE(out->isUnicode(), false);
        QCOMPARE(out->eolFormat(), EolMac);
        QCOMPARE(int(out->send(QsciScintillaBase::SCI_GETTABWIDTH)), 7);
        QVERIFY(out->lineNumberMarginWidth() > narrowMargin);
        // A fresh history, which collects again: typing is one undo away.
        QVERIFY(!out->canUndo());
        out->appendText("!");
        QVERIFY(out->canUndo());
        out->undo();
        QCOMPARE(out->lineText(19999), QString::fromUtf8("\xc3\xa9") + "19999");
    }

    void columnsInOtherEncodings_data()
    {
        QTest::addColumn<bool>("columnUnicode");
        QTest::addColumn<bool>("resultUnicode");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::addRow("ANSI column, UTF-8 result")
            << false << true << QString::fromUtf8("caf\xc3\xa9") << QString::fromUtf8("caf\xc3\xa9");
        QTest::addRow("UTF-8 column, ANSI result")
            << true << false << QString::fromUtf8("\xc3\xa9\xe6\x9d\xb1") << QString::fromUtf8("\xc3\xa9?");
        QTest::addRow("UTF-8 column, UTF-8 result")
            << true << true << QString::fromUtf8("\xf0\x9f\x98\x80") << QString::fromUtf8("\xf0\x9f\x98\x80");
    }

    void columnsInOtherEncodings()
    {
        QFETCH(bool, columnUnicode);
        QFETCH(bool, resultUnicode);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        setColumns({QString()});
        Editor* column = manager()->metaAt(0)->editor();
        column->setUnicode(columnUnicode);
        column->setTextKeepView(value + "\r\nx", Editor::ResetView);
        editor("result")->setUnicode(resultUnicode);
        editor("tpl")->setTextKeepView("[#1#]", Editor::ResetView);
        action("actionStart")->trigger();
        QCOMPARE(result(), "[" + expected + "]\n[x]");
    }

    void exportReportsFailure_data()
    {
        QTest::addColumn<QString>("name"); // in a fresh temporary folder
        QTest::addColumn<bool>("written");
        QTest::addRow("written") << "out.txt" << true;
        QTest::addRow("missing folder") << "missing/out.txt" << false;
    }

    void exportReportsFailure()
    {
        QFETCH(QString, name);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        editor("result")->setTextKeepView("out", Editor::ResetView);
        ModalAnswerer answerer(path);
        action("actionExportAs")->trigger();
        QCOMPARE(answerer.boxTitles(), written ? QStringList() : QStringList{"Error"});
        QCOMPARE(m_window->exportPath(), written ? path : QString());
        QCOMPARE(status(), written ? QString("Export to %1").arg(path) : QString());
        QCOMPARE(QFileInfo::exists(path), written);
    }

    void lengthLabelFollowsLoad()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("short.s");
        editor("tpl")->setTextKeepView("abc", Editor::ResetView);
        QVERIFY(m_window->saveFile(path));
        editor("tpl")->setTextKeepView(QString(), Editor::ResetView);
        QTRY_COMPARE(statusLabel("Length:"), QString("Length:0 Lines:1"));
        m_window->openFile(path);
        QTRY_COMPARE(statusLabel("Length:"), QString("Length:3 Lines:1"));
    }

    void zoomIsClamped_data()
    {
        QTest::addColumn<QString>("zoom");
        QTest::addColumn<int>("presses");
        QTest::addColumn<int>("expected");
        QTest::addRow("in, past the top") << "actionZoomIn" << 30 << 20;
        QTest::addRow("out, past the bottom") << "actionZoomOut" << 60 << -10;
    }

    void zoomIsClamped()
    {
        QFETCH(QString, zoom);
        QFETCH(int, presses);
        QFETCH(int, expected);
        Editor* target = m_window->focusEditor();
        QVERIFY(target);
        for (int i = 0; i < presses; ++i)
            action(qPrintable(zoom))->trigger();
        QCOMPARE(target->zoom(), expected);
    }

    void hiddenMenuBarHidesOnFocusOut()
    {
        auto* bar = m_window->findChild<QMenuBar*>("MainMenu");
        QVERIFY(bar);
        Preferences::instance()->setGuiHideMenuBar(true);
        QVERIFY(bar->isHidden());
        QApplication::setActiveWindow(m_window);
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QTest::keyRelease(m_window, Qt::Key_F10);
        QTRY_VERIFY(bar->isVisible());
        QTRY_VERIFY(bar->hasFocus());
        // Leaving the menus for an editor hides the bar again.
        editor("tpl")->setFocus();
        QTRY_VERIFY(bar->isHidden());
        Preferences::instance()->setGuiHideMenuBar(false);
        QVERIFY(bar->isVisible());
    }

private:
    MetaManager* manager() const { return m_window->metaManager(); }
    QString result() const { return editor("result")->text(); }
    // The text of the status label that starts with prefix.
    QString statusLabel(const char* prefix) const
    {
        for (QLabel* label : m_window->statusBar()->findChildren<QLabel*>()) {
            if (label->text().startsWith(QLatin1String(prefix)))
                return label->text();
        }
        return QString();
    }
    // Column i takes texts[i] and the snippet #i+1# unless snippets says otherwise.
    void setColumns(const QStringList& texts, const QStringList& snippets = {})
    {
        while (manager()->count() > texts.size())
            manager()->removeMeta(-1, MetaManager::KeepNumbers);
        for (int i = 0; i < texts.size(); ++i)
            manager()->setMeta(i, texts.at(i), snippets.value(i, QStringLiteral("#%1#").arg(i + 1)));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
