#include "TestSupport.h"

#include "mainwindow/AboutDialog.h"
#include "mainwindow/PreferencesDialog.h"
#include "settings/Preferences.h"
#include "widgets/QtColorButton.h"
#include "widgets/QtFontButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBrowser>
#include <QtTest>

#include <functional>

using BoolGetter = std::function<bool()>;
using IntGetter = std::function<int()>;
using ColorGetter = std::function<QColor()>;
Q_DECLARE_METATYPE(BoolGetter)
Q_DECLARE_METATYPE(IntGetter)
Q_DECLARE_METATYPE(ColorGetter)

namespace {

Preferences& prefs()
{
    return *Preferences::instance();
}

// Everything the settings hold, so that a test can tell whether anything at all was written.
QVariantMap settingsSnapshot()
{
    QSettings settings;
    QVariantMap all;
    for (const QString& key : settings.allKeys())
        all.insert(key, settings.value(key));
    return all;
}

template <typename T>
T* child(QWidget* parent, const QString& name)
{
    T* widget = parent->findChild<T*>(name);
    if (!widget)
        qWarning("no child %s", qPrintable(name));
    return widget;
}

// Brings the tab holding widget to the front, as a user would before clicking it.
void showTabOf(PreferencesDialog& dialog, QWidget* widget)
{
    auto* tabs = child<QTabWidget>(&dialog, QStringLiteral("tabWidget"));
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->widget(i)->isAncestorOf(widget)) {
            tabs->setCurrentIndex(i);
            return;
        }
    }
}

void dropColor(QWidget* target, const QColor& color)
{
    QMimeData data;
    data.setColorData(color);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
}

QStringList g_warnings;
QtMessageHandler g_previousHandler = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg)
        g_warnings << message;
    g_previousHandler(type, context, message);
}

} // namespace

class TestPreferencesDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void windowAndFirstTab();
    void constructionWritesNothing();
    void controlsShowStoredValues();

    void checkBoxWritesAtOnce_data();
    void checkBoxWritesAtOnce();
    void radioButtonWritesWhenChecked_data();
    void radioButtonWritesWhenChecked();
    void spinBoxWritesAtOnce_data();
    void spinBoxWritesAtOnce();
    void prefixAndSuffixFollowEveryKeystroke();
    void colorButtonWritesDroppedColor_data();
    void colorButtonWritesDroppedColor();
    void fontButtonWritesChosenFont();

    void highlightColorButtonFollowsCheckBox();
    void encodingGroupStoresNothing();
    void reopenShowsLastChoice();
    void closeButtonCloses();

    void aboutShowsNameAndVersion();
    void aboutIsShownOnce();
    void aboutEscapesMarkup();
};

void TestPreferencesDialog::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
    QCoreApplication::setOrganizationDomain(QStringLiteral("Vardel"));
    QCoreApplication::setApplicationName(QStringLiteral("Lineweld"));
    QCoreApplication::setApplicationVersion(QStringLiteral("3.0.0"));
    QVERIFY(Preferences::instance());
}

void TestPreferencesDialog::cleanupTestCase()
{
    Preferences::destroy();
}

// Every test starts from the defaults of a fresh account, whatever the one before it changed.
void TestPreferencesDialog::init()
{
    Preferences& p = prefs();
    p.setGuiSaveBeforeExit(true);
    p.setGuiOpenLastFile(false);
    p.setGuiLanguage(0);
    p.setGuiToolbarIconSize(24);
    p.setGuiHideMenuBar(false);
    p.setGuiHideStatusBar(false);
    p.setColumnsStartColumns(2);
    p.setColumnsPrefix(QStringLiteral("#"));
    p.setColumnsSuffix(QStringLiteral("#"));
    p.setColumnsSynchronousScroll(true);
    p.setColumnsSynchronousCaret(true);
    p.setColumnsHideToolBar(false);
    p.setColumnsNoDrag(false);
    p.setEditorDisplayLineNumber(true);
    p.setEditorReplaceTabBySpace(true);
    p.setEditorUnicode(false);
    p.setEditorHighlightCurrentLine(true);
    p.setEditorHighlightCurrentLineColor(QColor(232, 232, 255));
    p.setEditorFontColor(QColor(0, 0, 0));
    p.setEditorSelectionBackgroundColor(QColor(0, 0, 255));
    p.setEditorTabWidth(4);
    p.setEditorFont(QApplication::font());
    p.setEditorEolFormat(EolUnix);
    p.setMiscHideAfterMinimized(false);
    p.setMiscCloseAfterDataGenerated(false);
    p.setMiscClearColumnsBeforeLoad(false);
    p.setMiscCopyToClipBoardAfterMerged(false);
    p.setMiscCopyToClipBoardAfterReplaced(false);
}

void TestPreferencesDialog::windowAndFirstTab()
{
    PreferencesDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Preferences"));
    QCOMPARE(dialog.minimumSize(), QSize(413, 284));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
    QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);

    auto* tabs = child<QTabWidget>(&dialog, QStringLiteral("tabWidget"));
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 4);
    const QStringList titles{QStringLiteral("General"), QStringLiteral("Columns"), QStringLiteral("Editor"),
                             QStringLiteral("Misc")};
    for (int i = 0; i < titles.size(); ++i)
        QCOMPARE(tabs->tabText(i), titles.at(i));
    QCOMPARE(tabs->currentIndex(), 0);

    // A tab left open last time does not carry over to the next run.
    tabs->setCurrentIndex(3);
    PreferencesDialog again;
    QCOMPARE(child<QTabWidget>(&again, QStringLiteral("tabWidget"))->currentIndex(), 0);

    auto* buttons = child<QDialogButtonBox>(&dialog, QStringLiteral("buttonBox"));
    QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Close);
}

void TestPreferencesDialog::constructionWritesNothing()
{
    // Differ from every form default, so that loading fires the slots of all controls.
    Preferences& p = prefs();
    p.setGuiSaveBeforeExit(false);
    p.setGuiToolbarIconSize(32);
    p.setGuiHideStatusBar(true);
    p.setColumnsStartColumns(4);
    p.setColumnsPrefix(QStringLiteral("{"));
    p.setColumnsSuffix(QStringLiteral("}"));
    p.setEditorTabWidth(9);
    p.setEditorEolFormat(EolMac);
    p.setMiscCopyToClipBoardAfterReplaced(true);

    const QVariantMap before = settingsSnapshot();
    QSignalSpy prefixSuffix(&p, &Preferences::prefixSuffixChanged);
    QSignalSpy iconSize(&p, &Preferences::toolbarIconSizeChanged);
    QSignalSpy eol(&p, &Preferences::editorEolFormatChanged);
    QSignalSpy tabWidth(&p, &Preferences::tabWidthChanged);
    QSignalSpy highlight(&p, &Preferences::highlightCurrentLineChanged);

    g_warnings.clear();
    g_previousHandler = qInstallMessageHandler(collectWarnings);
    {
        PreferencesDialog dialog;
    }
    qInstallMessageHandler(g_previousHandler);

    // A slot whose name matches no signal is reported while the form connects them.
    for (const QString& warning : qAsConst(g_warnings))
        QVERIFY2(!warning.contains(QStringLiteral("connectSlotsByName")), qPrintable(warning));
    QCOMPARE(prefixSuffix.count(), 0);
    QCOMPARE(iconSize.count(), 0);
    QCOMPARE(eol.count(), 0);
    QCOMPARE(tabWidth.count(), 0);
    QCOMPARE(highlight.count(), 0);
    QCOMPARE(settingsSnapshot(), before);
    QCOMPARE(p.columnsPrefix(), QStringLiteral("{"));
    QCOMPARE(p.columnsSuffix(), QStringLiteral("}"));
}

void TestPreferencesDialog::controlsShowStoredValues()
{
    Preferences& p = prefs();
    p.setGuiSaveBeforeExit(false);
    p.setGuiOpenLastFile(true);
    p.setGuiToolbarIconSize(16);
    p.setGuiHideMenuBar(true);
    p.setColumnsStartColumns(3);
    p.setColumnsPrefix(QStringLiteral("<<"));
    p.setColumnsSuffix(QStringLiteral(">>"));
    p.setColumnsSynchronousScroll(false);
    p.setColumnsNoDrag(true);
    p.setEditorDisplayLineNumber(false);
    p.setEditorUnicode(true);
    p.setEditorHighlightCurrentLineColor(QColor(10, 20, 30));
    p.setEditorFontColor(QColor(40, 50, 60));
    p.setEditorSelectionBackgroundColor(QColor(70, 80, 90));
    p.setEditorTabWidth(7);
    QFont font(QStringLiteral("Monospace"), 15);
    font.setItalic(true);
    p.setEditorFont(font);
    p.setEditorEolFormat(EolWindows);
    p.setMiscClearColumnsBeforeLoad(true);
    p.setMiscCopyToClipBoardAfterMerged(true);

    PreferencesDialog d;
    QVERIFY(!child<QCheckBox>(&d, QStringLiteral("ckbSaveFile"))->isChecked());
    QVERIFY(child<QCheckBox>(&d, QStringLiteral("ckbOpenLastFiles"))->isChecked());
    QVERIFY(child<QRadioButton>(&d, QStringLiteral("rbSmall"))->isChecked());
    QVERIFY(!child<QRadioButton>(&d, QStringLiteral("rbMedium"))->isChecked());
    QVERIFY(child<QCheckBox>(&d, QStringLiteral("ckbHideMenuBar"))->isChecked());
    QVERIFY(!child<QCheckBox>(&d, QStringLiteral("ckbHideStatusBar"))->isChecked());
    QCOMPARE(child<QSpinBox>(&d, QStringLiteral("sbStartColumns"))->value(), 3);
    QCOMPARE(child<QComboBox>(&d, QStringLiteral("cmbPrefix"))->currentText(), QStringLiteral("<<"));
    QCOMPARE(child<QComboBox>(&d, QStringLiteral("cmbSuffix"))->currentText(), QStringLiteral(">>"));
    QVERIFY(!child<QCheckBox>(&d, QStringLiteral("ckbSyncScroll"))->isChecked());
    QVERIFY(child<QCheckBox>(&d, QStringLiteral("ckbSyncCaret"))->isChecked());
    QVERIFY(child<QCheckBox>(&d, QStringLiteral("ckbNoDrag"))->isChecked());
    QVERIFY(!child<QCheckBox>(&d, QStringLiteral("ckbDisplayLineNo"))->isChecked());
    QVERIFY(child<QCheckBox>(&d, QStringLiteral("ckbTabReplace"))->isChecked());
    QVERIFY(child<QCheckBox>(&d, QStringLiteral("ckbUseUnicode"))->isChecked());
    QCOMPARE(child<QtColorButton>(&d, QStringLiteral("btnCurLineBackColor"))->color(), QColor(10, 20, 30));
    QCOMPARE(child<QtColorButton>(&d, QStringLiteral("btnFontColor"))->color(), QColor(40, 50, 60));
    QCOMPARE(child<QtColorButton>(&d, QStringLiteral("btnBackgroundColor"))->color(), QColor(70, 80, 90));
    QCOMPARE(child<QSpinBox>(&d, QStringLiteral("sbTabWidth"))->value(), 7);
    QCOMPARE(child<QtFontButton>(&d, QStringLiteral("btnFontName"))->font(), font);
    QVERIFY(child<QRadioButton>(&d, QStringLiteral("rbFormatWindows"))->isChecked());
    QVERIFY(!child<QRadioButton>(&d, QStringLiteral("rbFormatUnix"))->isChecked());
    QVERIFY(child<QCheckBox>(&d, QStringLiteral("ckbClearBeforeLoad"))->isChecked());
    QVERIFY(child<QCheckBox>(&d, QStringLiteral("ckbCopyMerged"))->isChecked());
    QVERIFY(!child<QCheckBox>(&d, QStringLiteral("ckbCopyBatchReplaced"))->isChecked());
    QCOMPARE(child<QComboBox>(&d, QStringLiteral("cmbLanguage"))->currentText(), QStringLiteral("English"));
}

void TestPreferencesDialog::checkBoxWritesAtOnce_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<BoolGetter>("stored");

    Preferences* p = &prefs();
    auto row = [](const char* name, const char* text, BoolGetter getter) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(text) << getter;
    };
    row("ckbSaveFile", "Auto save file before exit", [p] { return p->guiSaveBeforeExit(); });
    row("ckbOpenLastFiles", "Open last file on startup", [p] { return p->guiOpenLastFile(); });
    row("ckbHideMenuBar", "Hide menu bar(use Alt or F10 key to toggle)", [p] { return p->guiHideMenuBar(); });
    row("ckbHideStatusBar", "Hide status bar", [p] { return p->guiHideStatusBar(); });
    row("ckbSyncScroll", "Synchronous scrolling", [p] { return p->columnsSynchronousScroll(); });
    row("ckbSyncCaret", "Synchronous caret", [p] { return p->columnsSynchronousCaret(); });
    row("ckbHideToolBar", "Hide toolbar", [p] { return p->columnsHideToolBar(); });
    row("ckbNoDrag", "Lock(no drag and drop)", [p] { return p->columnsNoDrag(); });
    row("ckbDisplayLineNo", "Display line number", [p] { return p->editorDisplayLineNumber(); });
    row("ckbHighlightCurLine", "Highlight current line", [p] { return p->editorHighlightCurrentLine(); });
    row("ckbTabReplace", "Replace by space", [p] { return p->editorReplaceTabBySpace(); });
    row("ckbUseUnicode", "Enable Utf-8 encoding", [p] { return p->editorUnicode(); });
    row("ckbHideMinimized", "Hide main window after minimized", [p] { return p->miscHideAfterMinimized(); });
    row("ckbCloseDataGen", "Close after data generated", [p] { return p->miscCloseAfterDataGenerated(); });
    row("ckbClearBeforeLoad", "Clear old columns before load new columns",
        [p] { return p->miscClearColumnsBeforeLoad(); });
    row("ckbCopyMerged", "Auto copy result to clipboard after merged",
        [p] { return p->miscCopyToClipBoardAfterMerged(); });
    row("ckbCopyBatchReplaced", "Auto copy result to clipboard after batch replaced",
        [p] { return p->miscCopyToClipBoardAfterReplaced(); });
}

void TestPreferencesDialog::checkBoxWritesAtOnce()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(BoolGetter, stored);

    PreferencesDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* box = child<QCheckBox>(&dialog, name);
    QVERIFY(box);
    QCOMPARE(box->text(), text);
    showTabOf(dialog, box);
    QVERIFY(box->isVisible());

    const bool initial = stored();
    QCOMPARE(box->isChecked(), initial);
    for (int click = 1; click <= 3; ++click) {
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(5, box->height() / 2));
        const bool expected = (click % 2 == 1) ? !initial : initial;
        QCOMPARE(box->isChecked(), expected);
        QCOMPARE(stored(), expected);
    }
}

void TestPreferencesDialog::radioButtonWritesWhenChecked_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<IntGetter>("stored");
    QTest::addColumn<int>("value");

    Preferences* p = &prefs();
    const IntGetter iconSize = [p] { return p->guiToolbarIconSize(); };
    const IntGetter eol = [p] { return int(p->editorEolFormat()); };
    QTest::newRow("rbSmall") << QStringLiteral("rbSmall") << QStringLiteral("Small") << iconSize << 16;
    QTest::newRow("rbLarge") << QStringLiteral("rbLarge") << QStringLiteral("Large") << iconSize << 32;
    QTest::newRow("rbFormatWindows") << QStringLiteral("rbFormatWindows") << QStringLiteral("Windows") << eol
                                     << int(EolWindows);
    QTest::newRow("rbFormatMac") << QStringLiteral("rbFormatMac") << QStringLiteral("Old Mac") << eol
                                 << int(EolMac);
}

void TestPreferencesDialog::radioButtonWritesWhenChecked()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(IntGetter, stored);
    QFETCH(int, value);

    PreferencesDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* button = child<QRadioButton>(&dialog, name);
    QVERIFY(button);
    QCOMPARE(button->text(), text);
    showTabOf(dialog, button);

    // The checked one of the group at the defaults: medium icons, Unix line ends.
    const bool isIconGroup = name.startsWith(QStringLiteral("rbS")) || name.startsWith(QStringLiteral("rbL"));
    auto* defaultButton =
        child<QRadioButton>(&dialog, isIconGroup ? QStringLiteral("rbMedium") : QStringLiteral("rbFormatUnix"));
    const int defaultValue = stored();
    QVERIFY(defaultButton->isChecked());

    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, button->height() / 2));
    QVERIFY(button->isChecked());
    QCOMPARE(stored(), value);

    QTest::mouseClick(defaultButton, Qt::LeftButton, Qt::NoModifier, QPoint(5, defaultButton->height() / 2));
    QVERIFY(!button->isChecked());
    QCOMPARE(stored(), defaultValue);
}

void TestPreferencesDialog::spinBoxWritesAtOnce_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<IntGetter>("stored");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");

    Preferences* p = &prefs();
    QTest::newRow("sbStartColumns") << QStringLiteral("sbStartColumns")
                                    << IntGetter([p] { return p->columnsStartColumns(); }) << 1 << 4;
    QTest::newRow("sbTabWidth") << QStringLiteral("sbTabWidth") << IntGetter([p] { return p->editorTabWidth(); })
                                << 1 << 16;
}

void TestPreferencesDialog::spinBoxWritesAtOnce()
{
    QFETCH(QString, name);
    QFETCH(IntGetter, stored);
    QFETCH(int, minimum);
    QFETCH(int, maximum);

    PreferencesDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* spin = child<QSpinBox>(&dialog, name);
    QVERIFY(spin);
    showTabOf(dialog, spin);
    QCOMPARE(spin->minimum(), minimum);
    QCOMPARE(spin->maximum(), maximum);

    // Step up past the top and down past the bottom: the store follows every step and no bound.
    for (int step = 0; step <= maximum - minimum + 1; ++step) {
        QTest::keyClick(spin, Qt::Key_Up);
        QCOMPARE(stored(), spin->value());
    }
    QCOMPARE(stored(), maximum);
    for (int step = 0; step <= maximum - minimum + 1; ++step) {
        QTest::keyClick(spin, Qt::Key_Down);
        QCOMPARE(stored(), spin->value());
    }
    QCOMPARE(stored(), minimum);

    // Typed digits count too.
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_3);
    QCOMPARE(stored(), 3);
}

void TestPreferencesDialog::prefixAndSuffixFollowEveryKeystroke()
{
    PreferencesDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* prefixBox = child<QComboBox>(&dialog, QStringLiteral("cmbPrefix"));
    auto* suffixBox = child<QComboBox>(&dialog, QStringLiteral("cmbSuffix"));
    QVERIFY(prefixBox && suffixBox);
    QVERIFY(prefixBox->isEditable() && suffixBox->isEditable());
    showTabOf(dialog, prefixBox);
    QCOMPARE(prefixBox->count(), 8);
    QCOMPARE(prefixBox->itemText(3), QStringLiteral("\""));
    QCOMPARE(suffixBox->itemText(7), QStringLiteral("}"));

    Preferences& p = prefs();
    QSignalSpy changes(&p, &Preferences::prefixSuffixChanged);

    QLineEdit* prefixEdit = prefixBox->lineEdit();
    prefixEdit->setFocus();
    prefixEdit->selectAll();
    QTest::keyClick(prefixEdit, Qt::Key_Delete);
    QCOMPARE(p.columnsPrefix(), QString());

    const QString typed = QStringLiteral("<%a");
    for (int i = 0; i < typed.size(); ++i) {
        QTest::keyClick(prefixEdit, typed.at(i).toLatin1());
        QCOMPARE(p.columnsPrefix(), typed.left(i + 1));
        QCOMPARE(p.columnsSuffix(), QStringLiteral("#"));
        QCOMPARE(changes.last().at(0).toString(), typed.left(i + 1));
        QCOMPARE(changes.last().at(1).toString(), QStringLiteral("#"));
    }
    QTest::keyClick(prefixEdit, Qt::Key_Backspace);
    QCOMPARE(p.columnsPrefix(), QStringLiteral("<%"));

    QLineEdit* suffixEdit = suffixBox->lineEdit();
    suffixEdit->setFocus();
    suffixEdit->selectAll();
    QTest::keyClicks(suffixEdit, QStringLiteral("%>"));
    QCOMPARE(p.columnsSuffix(), QStringLiteral("%>"));
    QCOMPARE(changes.last().at(0).toString(), QStringLiteral("<%"));
    QCOMPARE(changes.last().at(1).toString(), QStringLiteral("%>"));

    // Picking an item from the list is a change as well.
    suffixBox->setCurrentIndex(suffixBox->findText(QStringLiteral("]")));
    QCOMPARE(p.columnsSuffix(), QStringLiteral("]"));
}

void TestPreferencesDialog::colorButtonWritesDroppedColor_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<ColorGetter>("stored");

    Preferences* p = &prefs();
    QTest::newRow("btnCurLineBackColor")
        << QStringLiteral("btnCurLineBackColor") << ColorGetter([p] { return p->editorHighlightCurrentLineColor(); });
    QTest::newRow("btnFontColor") << QStringLiteral("btnFontColor")
                                  << ColorGetter([p] { return p->editorFontColor(); });
    QTest::newRow("btnBackgroundColor") << QStringLiteral("btnBackgroundColor")
                                        << ColorGetter([p] { return p->editorSelectionBackgroundColor(); });
}

void TestPreferencesDialog::colorButtonWritesDroppedColor()
{
    QFETCH(QString, name);
    QFETCH(ColorGetter, stored);

    PreferencesDialog dialog;
    auto* button = child<QtColorButton>(&dialog, name);
    QVERIFY(button);
    QCOMPARE(button->toolTip(), QStringLiteral("Click to choose highlighting color."));
    QCOMPARE(button->color(), stored());

    dropColor(button, QColor(12, 34, 56));
    QCOMPARE(stored(), QColor(12, 34, 56));
    dropColor(button, QColor(200, 100, 0));
    QCOMPARE(stored(), QColor(200, 100, 0));
}

void TestPreferencesDialog::fontButtonWritesChosenFont()
{
    QFont font(QStringLiteral("Monospace"), 19);
    prefs().setEditorFont(font);
    PreferencesDialog dialog;
    auto* button = child<QtFontButton>(&dialog, QStringLiteral("btnFontName"));
    QVERIFY(button);
    QCOMPARE(button->toolTip(), QStringLiteral("Click to choose font."));
    QCOMPARE(button->font(), font);

    QSignalSpy changes(&prefs(), &Preferences::editorFontChanged);
    QAction* defaultEntry = nullptr;
    for (QAction* action : button->menu()->actions())
        if (action->text() == QStringLiteral("Default font"))
            defaultEntry = action;
    QVERIFY(defaultEntry);
    defaultEntry->trigger();
    QCOMPARE(prefs().editorFont(), QFont());
    QCOMPARE(changes.count(), 1);
}

void TestPreferencesDialog::highlightColorButtonFollowsCheckBox()
{
    for (const bool highlight : {true, false}) {
        prefs().setEditorHighlightCurrentLine(highlight);
        PreferencesDialog dialog;
        auto* box = child<QCheckBox>(&dialog, QStringLiteral("ckbHighlightCurLine"));
        auto* button = child<QtColorButton>(&dialog, QStringLiteral("btnCurLineBackColor"));
        QCOMPARE(box->isChecked(), highlight);
        QCOMPARE(!button->isHidden(), highlight);

        box->click();
        QCOMPARE(prefs().editorHighlightCurrentLine(), !highlight);
        QCOMPARE(!button->isHidden(), !highlight);
    }
}

void TestPreferencesDialog::encodingGroupStoresNothing()
{
    PreferencesDialog dialog;
    auto* other = child<QRadioButton>(&dialog, QStringLiteral("rbEncodeOther"));
    auto* utf8 = child<QRadioButton>(&dialog, QStringLiteral("rbEncodeUnicode"));
    auto* encodings = child<QComboBox>(&dialog, QStringLiteral("cbxEncode"));
    QVERIFY(other && utf8 && encodings);
    QVERIFY(!encodings->isEnabled());

    const QVariantMap before = settingsSnapshot();
    other->click();
    QVERIFY(encodings->isEnabled());
    utf8->click();
    QVERIFY(!encodings->isEnabled());
    QCOMPARE(prefs().editorUnicode(), false);
    QCOMPARE(settingsSnapshot(), before);
}

void TestPreferencesDialog::reopenShowsLastChoice()
{
    QSignalSpy iconSize(&prefs(), &Preferences::toolbarIconSizeChanged);
    {
        PreferencesDialog dialog;
        child<QRadioButton>(&dialog, QStringLiteral("rbLarge"))->click();
        QCOMPARE(iconSize.count(), 1);
        QCOMPARE(iconSize.at(0).at(0).toInt(), 32);
    }
    PreferencesDialog again;
    QVERIFY(child<QRadioButton>(&again, QStringLiteral("rbLarge"))->isChecked());
    QVERIFY(!child<QRadioButton>(&again, QStringLiteral("rbMedium"))->isChecked());
    QSettings settings;
    QCOMPARE(settings.value(QStringLiteral("Gui/ToolbarIconSize")).toInt(), 32);
}

void TestPreferencesDialog::closeButtonCloses()
{
    PreferencesDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QPushButton* close = child<QDialogButtonBox>(&dialog, QStringLiteral("buttonBox"))->button(QDialogButtonBox::Close);
    QVERIFY(close);
    QTest::mouseClick(close, Qt::LeftButton);
    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void TestPreferencesDialog::aboutShowsNameAndVersion()
{
    AboutDialog about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Lineweld"));
    QVERIFY(!(about.windowFlags() & Qt::WindowContextHelpButtonHint));
    QVERIFY(about.minimumWidth() <= about.maximumWidth());
    QVERIFY(about.minimumHeight() <= about.maximumHeight());
    auto* browser = child<QTextBrowser>(&about, QStringLiteral("textBrowser"));
    QVERIFY(browser);
    QVERIFY(browser->openExternalLinks());
    const QString text = browser->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("Lineweld")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Version 3.0.0")), qPrintable(text));
    QCOMPARE(child<QLabel>(&about, QStringLiteral("logo"))->size(), QSize(428, 158));
}

void TestPreferencesDialog::aboutIsShownOnce()
{
    QWidget owner;
    auto* about = new AboutDialog(&owner);
    auto visibleAbouts = [] {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (qobject_cast<AboutDialog*>(widget) && widget->isVisible())
                ++count;
        return count;
    };
    const QString text = child<QTextBrowser>(about, QStringLiteral("textBrowser"))->toPlainText();

    about->show();
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QCOMPARE(visibleAbouts(), 1);

    QTest::mouseClick(child<QPushButton>(about, QStringLiteral("pushButton")), Qt::LeftButton);
    QTRY_COMPARE(visibleAbouts(), 0);
    // Closing hides it; the same box comes back with the same text.
    about->show();
    QCOMPARE(visibleAbouts(), 1);
    QCOMPARE(child<QTextBrowser>(about, QStringLiteral("textBrowser"))->toPlainText(), text);
}

void TestPreferencesDialog::aboutEscapesMarkup()
{
    QCoreApplication::setApplicationVersion(QStringLiteral("3.0.0 <b>beta</b> & co"));
    AboutDialog about;
    QCoreApplication::setApplicationVersion(QStringLiteral("3.0.0"));
    const QString text = child<QTextBrowser>(&about, QStringLiteral("textBrowser"))->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("Version 3.0.0 <b>beta</b> & co")), qPrintable(text));
}

QTEST_MAIN(TestPreferencesDialog)
#include "tst_preferencesdialog.moc"
