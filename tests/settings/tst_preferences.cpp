// The settings store: defaults on a fresh account, read rules for stored values of the wrong type,
// write-through and reload, change signals, and setters that must leave the settings alone.

#include "TestSupport.h"
#include "settings/Preferences.h"

#include <QDate>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

// Stand-in for the editor widget: a QObject whose pointer travels through focusEditorChanged.
class Editor : public QObject
{
    Q_OBJECT
};

namespace {

// One spy per signal of the store, so that a test can tell which signals fired and which did not.
class AllSignals
{
public:
    explicit AllSignals(Preferences* prefs)
    {
        const QMetaObject* meta = prefs->metaObject();
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            if (method.methodType() == QMetaMethod::Signal)
                m_spies.emplace_back(method.methodSignature(), std::make_unique<QSignalSpy>(prefs, method));
        }
    }
    // Signatures of the signals that fired, with their count when above one.
    QStringList fired() const
    {
        QStringList names;
        for (const auto& spy : m_spies) {
            if (spy.second->count() == 1)
                names << QString::fromLatin1(spy.first);
            else if (spy.second->count() > 1)
                names << QStringLiteral("%1 x%2").arg(QString::fromLatin1(spy.first)).arg(spy.second->count());
        }
        return names;
    }
    QList<QVariant> arguments(const QByteArray& signature) const
    {
        for (const auto& spy : m_spies) {
            if (spy.first == signature && !spy.second->isEmpty())
                return spy.second->first();
        }
        return {};
    }

private:
    std::vector<std::pair<QByteArray, std::unique_ptr<QSignalSpy>>> m_spies;
};

// A setter given a value other than the default, the check that the value is held, and the
// signal it has to emit (empty for keys without one).
struct Change
{
    QString key;
    std::function<void(Preferences*)> set;
    std::function<bool(Preferences*)> holds;
    QByteArray signal;
    QVariant argument;
};

const QDate someDay(2001, 2, 3);

std::vector<Change> changes()
{
    QFont font(QStringLiteral("Monospace"), 17);
    font.setItalic(true);
    const QStringList files = {QStringLiteral("/a/b.s"), QStringLiteral("/c d/e.s")};
    // clang-format off
    return {
        {"Gui/SaveBeforeExit", [](Preferences* p) { p->setGuiSaveBeforeExit(false); }, [](Preferences* p) { return !p->guiSaveBeforeExit(); }, {}, {}},
        {"Gui/OpenLastFile", [](Preferences* p) { p->setGuiOpenLastFile(true); }, [](Preferences* p) { return p->guiOpenLastFile(); }, {}, {}},
        {"Gui/AlwaysOnTop", [](Preferences* p) { p->setGuiAlwaysOnTop(true); }, [](Preferences* p) { return p->guiAlwaysOnTop(); }, {}, {}},
        {"Gui/HideMenuBar", [](Preferences* p) { p->setGuiHideMenuBar(true); }, [](Preferences* p) { return p->guiHideMenuBar(); }, "hideMenuBarChanged(bool)", true},
        {"Gui/HideStatusBar", [](Preferences* p) { p->setGuiHideStatusBar(true); }, [](Preferences* p) { return p->guiHideStatusBar(); }, "hideStatusBarChanged(bool)", true},
        {"Gui/ShowSpace", [](Preferences* p) { p->setGuiShowSpace(true); }, [](Preferences* p) { return p->guiShowSpace(); }, "showSpaceChanged(bool)", true},
        {"Gui/ShowEol", [](Preferences* p) { p->setGuiShowEol(true); }, [](Preferences* p) { return p->guiShowEol(); }, "showEolChanged(bool)", true},
        {"Gui/ToolbarIconSize", [](Preferences* p) { p->setGuiToolbarIconSize(32); }, [](Preferences* p) { return p->guiToolbarIconSize() == 32; }, "toolbarIconSizeChanged(int)", 32},
        {"Gui/Language", [](Preferences* p) { p->setGuiLanguage(3); }, [](Preferences* p) { return p->guiLanguage() == 3; }, "languageChanged(int)", 3},
        {"Gui/RecentFiles", [files](Preferences* p) { p->setRecentFiles(files); }, [files](Preferences* p) { return p->recentFiles() == files; }, {}, {}},
        {"Columns/StartColumns", [](Preferences* p) { p->setColumnsStartColumns(4); }, [](Preferences* p) { return p->columnsStartColumns() == 4; }, {}, {}},
        {"Columns/SynchronousScroll", [](Preferences* p) { p->setColumnsSynchronousScroll(false); }, [](Preferences* p) { return !p->columnsSynchronousScroll(); }, {}, {}},
        {"Columns/SynchronousCaret", [](Preferences* p) { p->setColumnsSynchronousCaret(false); }, [](Preferences* p) { return !p->columnsSynchronousCaret(); }, {}, {}},
        {"Columns/HideToolBar", [](Preferences* p) { p->setColumnsHideToolBar(true); }, [](Preferences* p) { return p->columnsHideToolBar(); }, "columnsHideToolbarChanged(bool)", true},
        {"Columns/NoDrag", [](Preferences* p) { p->setColumnsNoDrag(true); }, [](Preferences* p) { return p->columnsNoDrag(); }, {}, {}},
        {"Editor/DisplayLineNumber", [](Preferences* p) { p->setEditorDisplayLineNumber(false); }, [](Preferences* p) { return !p->editorDisplayLineNumber(); }, "showLineNumberChanged(bool)", false},
        {"Editor/ReplaceTabBySpace", [](Preferences* p) { p->setEditorReplaceTabBySpace(false); }, [](Preferences* p) { return !p->editorReplaceTabBySpace(); }, "useSpaceChanged(bool)", false},
        {"Editor/Unicode", [](Preferences* p) { p->setEditorUnicode(true); }, [](Preferences* p) { return p->editorUnicode(); }, "useUnicodeChanged(bool)", true},
        {"Editor/HighlightCurrentLine", [](Preferences* p) { p->setEditorHighlightCurrentLine(false); }, [](Preferences* p) { return !p->editorHighlightCurrentLine(); }, "highlightCurrentLineChanged(bool)", false},
        {"Editor/HighlightCurrentLineColor", [](Preferences* p) { p->setEditorHighlightCurrentLineColor(QColor(1, 2, 3)); }, [](Preferences* p) { return p->editorHighlightCurrentLineColor() == QColor(1, 2, 3); }, "highlightCurrentLineColorChanged(QColor)", QColor(1, 2, 3)},
        {"Editor/FontColor", [](Preferences* p) { p->setEditorFontColor(QColor(250, 128, 0)); }, [](Preferences* p) { return p->editorFontColor() == QColor(250, 128, 0); }, "editorFontColorChanged(QColor)", QColor(250, 128, 0)},
        {"Editor/SelectionBackgroundColor", [](Preferences* p) { p->setEditorSelectionBackgroundColor(QColor(0, 255, 0)); }, [](Preferences* p) { return p->editorSelectionBackgroundColor() == QColor(0, 255, 0); }, "editorSelectionBackgroundColorChanged(QColor)", QColor(0, 255, 0)},
        {"Editor/TabWidth", [](Preferences* p) { p->setEditorTabWidth(8); }, [](Preferences* p) { return p->editorTabWidth() == 8; }, "tabWidthChanged(int)", 8},
        {"Editor/Font", [font](Preferences* p) { p->setEditorFont(font); }, [font](Preferences* p) { return p->editorFont() == font; }, "editorFontChanged(QFont)", font},
        {"Editor/EolFormat", [](Preferences* p) { p->setEditorEolFormat(EolMac); }, [](Preferences* p) { return p->editorEolFormat() == EolMac; }, "editorEolFormatChanged(EolFormat)", QVariant::fromValue(EolMac)},
        {"Split/RemoveDuplicateColumns", [](Preferences* p) { p->setSplitRemoveDuplicateColumns(true); }, [](Preferences* p) { return p->splitRemoveDuplicateColumns(); }, {}, {}},
        {"Split/MatchWholeWord", [](Preferences* p) { p->setSplitMatchWholeWord(true); }, [](Preferences* p) { return p->splitMatchWholeWord(); }, {}, {}},
        {"Match/RemoveDuplicateColumns", [](Preferences* p) { p->setMatchRemoveDuplicateColumns(true); }, [](Preferences* p) { return p->matchRemoveDuplicateColumns(); }, {}, {}},
        {"Match/MatchCase", [](Preferences* p) { p->setMatchMatchCase(true); }, [](Preferences* p) { return p->matchMatchCase(); }, {}, {}},
        {"Match/Unicode", [](Preferences* p) { p->setMatchUnicode(true); }, [](Preferences* p) { return p->matchUnicode(); }, {}, {}},
        {"Match/MultiLine", [](Preferences* p) { p->setMatchMultiLine(false); }, [](Preferences* p) { return !p->matchMultiLine(); }, {}, {}},
        {"Match/MatchNewLine", [](Preferences* p) { p->setMatchMatchNewLine(true); }, [](Preferences* p) { return p->matchMatchNewLine(); }, {}, {}},
        {"Find/MatchCase", [](Preferences* p) { p->setFindMatchCase(true); }, [](Preferences* p) { return p->findMatchCase(); }, {}, {}},
        {"Find/WholeWord", [](Preferences* p) { p->setFindWholeWord(true); }, [](Preferences* p) { return p->findWholeWord(); }, {}, {}},
        {"Find/UseRegex", [](Preferences* p) { p->setFindUseRegex(true); }, [](Preferences* p) { return p->findUseRegex(); }, {}, {}},
        {"Find/WrapAround", [](Preferences* p) { p->setFindWrapAround(true); }, [](Preferences* p) { return p->findWrapAround(); }, {}, {}},
        {"Find/Forward", [](Preferences* p) { p->setFindForward(false); }, [](Preferences* p) { return !p->findForward(); }, {}, {}},
        {"DataSetting/NumberFrom", [](Preferences* p) { p->setDataSettingNumberFrom(-5); }, [](Preferences* p) { return p->dataSettingNumberFrom() == -5; }, {}, {}},
        {"DataSetting/NumberTo", [](Preferences* p) { p->setDataSettingNumberTo(5000); }, [](Preferences* p) { return p->dataSettingNumberTo() == 5000; }, {}, {}},
        {"DataSetting/NumberBase", [](Preferences* p) { p->setDataSettingNumberBase(16); }, [](Preferences* p) { return p->dataSettingNumberBase() == 16; }, {}, {}},
        {"DataSetting/NumberUpper", [](Preferences* p) { p->setDataSettingNumberUpper(true); }, [](Preferences* p) { return p->dataSettingNumberUpper(); }, {}, {}},
        {"DataSetting/DateFrom", [](Preferences* p) { p->setDataSettingDateFrom(someDay.toJulianDay()); }, [](Preferences* p) { return p->dataSettingDateFrom() == someDay.toJulianDay(); }, {}, {}},
        {"DataSetting/DateTo", [](Preferences* p) { p->setDataSettingDateTo(someDay.addDays(9).toJulianDay()); }, [](Preferences* p) { return p->dataSettingDateTo() == someDay.addDays(9).toJulianDay(); }, {}, {}},
        {"DataSetting/DateFormat", [](Preferences* p) { p->setDataSettingDateFormat(QStringLiteral("dd.MM.yy")); }, [](Preferences* p) { return p->dataSettingDateFormat() == QLatin1String("dd.MM.yy"); }, {}, {}},
        {"DataSetting/LetterFrom", [](Preferences* p) { p->setDataSettingLetterFrom(11); }, [](Preferences* p) { return p->dataSettingLetterFrom() == 11; }, {}, {}},
        {"DataSetting/LetterTo", [](Preferences* p) { p->setDataSettingLetterTo(20); }, [](Preferences* p) { return p->dataSettingLetterTo() == 20; }, {}, {}},
        {"DataSetting/LetterUpper", [](Preferences* p) { p->setDataSettingLetterUpper(true); }, [](Preferences* p) { return p->dataSettingLetterUpper(); }, {}, {}},
        {"DataSetting/TimeFrom", [](Preferences* p) { p->setDataSettingTimeFrom(3600000); }, [](Preferences* p) { return p->dataSettingTimeFrom() == 3600000; }, {}, {}},
        {"DataSetting/TimeTo", [](Preferences* p) { p->setDataSettingTimeTo(7200001); }, [](Preferences* p) { return p->dataSettingTimeTo() == 7200001; }, {}, {}},
        {"DataSetting/TimeFormat", [](Preferences* p) { p->setDataSettingTimeFormat(QStringLiteral("HH:mm")); }, [](Preferences* p) { return p->dataSettingTimeFormat() == QLatin1String("HH:mm"); }, {}, {}},
        {"Misc/HideAfterMinimized", [](Preferences* p) { p->setMiscHideAfterMinimized(true); }, [](Preferences* p) { return p->miscHideAfterMinimized(); }, {}, {}},
        {"Misc/CloseAfterDataGenerated", [](Preferences* p) { p->setMiscCloseAfterDataGenerated(true); }, [](Preferences* p) { return p->miscCloseAfterDataGenerated(); }, {}, {}},
        {"Misc/ClearColumnsBeforeLoad", [](Preferences* p) { p->setMiscClearColumnsBeforeLoad(true); }, [](Preferences* p) { return p->miscClearColumnsBeforeLoad(); }, {}, {}},
        {"Misc/CopyToClipBoardAfterMerged", [](Preferences* p) { p->setMiscCopyToClipBoardAfterMerged(true); }, [](Preferences* p) { return p->miscCopyToClipBoardAfterMerged(); }, {}, {}},
        {"Misc/CopyToClipBoardAfterReplaced", [](Preferences* p) { p->setMiscCopyToClipBoardAfterReplaced(true); }, [](Preferences* p) { return p->miscCopyToClipBoardAfterReplaced(); }, {}, {}},
        {"Misc/ResizeColumn", [](Preferences* p) { p->setMiscResizeColumn(7); }, [](Preferences* p) { return p->miscResizeColumn() == 7; }, {}, {}},
    };
    // clang-format on
}

// Every setter and history slot, each given the value the store already holds.
void setEverythingToHeldValues(Preferences* p)
{
    p->setGuiSaveBeforeExit(p->guiSaveBeforeExit());
    p->setGuiOpenLastFile(p->guiOpenLastFile());
    p->setGuiAlwaysOnTop(p->guiAlwaysOnTop());
    p->setGuiHideMenuBar(p->guiHideMenuBar());
    p->setGuiHideStatusBar(p->guiHideStatusBar());
    p->setGuiShowSpace(p->guiShowSpace());
    p->setGuiShowEol(p->guiShowEol());
    p->setGuiToolbarIconSize(p->guiToolbarIconSize());
    p->setGuiLanguage(p->guiLanguage());
    p->setRecentFiles(p->recentFiles());
    p->setColumnsStartColumns(p->columnsStartColumns());
    p->setColumnsPrefix(p->columnsPrefix());
    p->setColumnsSuffix(p->columnsSuffix());
    p->setColumnsSynchronousScroll(p->columnsSynchronousScroll());
    p->setColumnsSynchronousCaret(p->columnsSynchronousCaret());
    p->setColumnsHideToolBar(p->columnsHideToolBar());
    p->setColumnsNoDrag(p->columnsNoDrag());
    p->setEditorDisplayLineNumber(p->editorDisplayLineNumber());
    p->setEditorReplaceTabBySpace(p->editorReplaceTabBySpace());
    p->setEditorUnicode(p->editorUnicode());
    p->setEditorHighlightCurrentLine(p->editorHighlightCurrentLine());
    // Equal by value, not the same object.
    p->setEditorHighlightCurrentLineColor(QColor(p->editorHighlightCurrentLineColor().name()));
    p->setEditorFontColor(QColor(p->editorFontColor().name()));
    p->setEditorSelectionBackgroundColor(QColor(p->editorSelectionBackgroundColor().name()));
    p->setEditorTabWidth(p->editorTabWidth());
    QFont font;
    font.fromString(p->editorFont().toString());
    p->setEditorFont(font);
    p->setEditorEolFormat(p->editorEolFormat());
    p->setSplitRemoveDuplicateColumns(p->splitRemoveDuplicateColumns());
    p->setSplitMatchWholeWord(p->splitMatchWholeWord());
    p->setSplitFilter(p->splitFilterList(), p->splitFilter());
    p->setMatchFindWhat(p->matchFindList(), p->matchFindWhat());
    p->setMatchRemoveDuplicateColumns(p->matchRemoveDuplicateColumns());
    p->setMatchMatchCase(p->matchMatchCase());
    p->setMatchUnicode(p->matchUnicode());
    p->setMatchMultiLine(p->matchMultiLine());
    p->setMatchMatchNewLine(p->matchMatchNewLine());
    p->setFindFindText(p->findFindList(), p->findFindWhat());
    p->setFindReplaceText(p->findReplaceList(), p->findReplaceWhat());
    p->setFindMatchCase(p->findMatchCase());
    p->setFindWholeWord(p->findWholeWord());
    p->setFindUseRegex(p->findUseRegex());
    p->setFindWrapAround(p->findWrapAround());
    p->setFindForward(p->findForward());
    p->setDataSettingNumberFrom(p->dataSettingNumberFrom());
    p->setDataSettingNumberTo(p->dataSettingNumberTo());
    p->setDataSettingNumberBase(p->dataSettingNumberBase());
    p->setDataSettingNumberUpper(p->dataSettingNumberUpper());
    p->setDataSettingDateFrom(p->dataSettingDateFrom());
    p->setDataSettingDateTo(p->dataSettingDateTo());
    p->setDataSettingDateFormat(p->dataSettingDateFormat());
    p->setDataSettingLetterFrom(p->dataSettingLetterFrom());
    p->setDataSettingLetterTo(p->dataSettingLetterTo());
    p->setDataSettingLetterUpper(p->dataSettingLetterUpper());
    p->setDataSettingTimeFrom(p->dataSettingTimeFrom());
    p->setDataSettingTimeTo(p->dataSettingTimeTo());
    p->setDataSettingTimeFormat(p->dataSettingTimeFormat());
    p->setMiscHideAfterMinimized(p->miscHideAfterMinimized());
    p->setMiscCloseAfterDataGenerated(p->miscCloseAfterDataGenerated());
    p->setMiscClearColumnsBeforeLoad(p->miscClearColumnsBeforeLoad());
    p->setMiscCopyToClipBoardAfterMerged(p->miscCopyToClipBoardAfterMerged());
    p->setMiscCopyToClipBoardAfterReplaced(p->miscCopyToClipBoardAfterReplaced());
    p->setMiscResizeColumn(p->miscResizeColumn());
}

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void freshAccountGivesDefaults();
    void freshAccountWritesNothing();
    void settingsAreFiledUnderTheDomain();
    void signalsInDeclaredOrder();
    void heldValueWritesAndEmitsNothing();
    void heldValueAfterReloadWritesNothing();
    void changeWritesEmitsAndReloads();
    void prefixSuffixCarriesBoth();
    void historyPairs();
    void storedEncodings();
    void readRules_data();
    void readRules();
    void windowState();
    void eolStringFollowsFormat();
    void queuedConnections();

private:
    // Settings as another process would see them after the store has gone.
    QVariant storedValue(const QString& key);
    void writeRaw(const QString& key, const QVariant& value);

    QString m_configHome;
    QString m_settingsFile;
};

void TestPreferences::initTestCase()
{
    m_configHome = TestSupport::useTemporaryConfigHome();
    QCoreApplication::setOrganizationDomain(QStringLiteral("Vardel"));
    QCoreApplication::setApplicationName(QStringLiteral("Lineweld"));
    m_settingsFile = m_configHome + QStringLiteral("/Vardel/Lineweld.conf");
    qRegisterMetaType<Editor*>();
}

void TestPreferences::init()
{
    Preferences::destroy();
    QSettings settings;
    settings.clear();
    settings.sync();
    QFile::remove(m_settingsFile);
}

void TestPreferences::cleanupTestCase()
{
    Preferences::destroy();
}

QVariant TestPreferences::storedValue(const QString& key)
{
    Preferences::destroy();
    QSettings settings;
    settings.sync();
    return settings.value(key);
}

void TestPreferences::writeRaw(const QString& key, const QVariant& value)
{
    QSettings settings;
    settings.setValue(key, value);
    settings.sync();
}

void TestPreferences::freshAccountGivesDefaults()
{
    const QDate today = QDate::currentDate();
    Preferences* p = Preferences::instance();

    QCOMPARE(p->guiSaveBeforeExit(), true);
    QCOMPARE(p->guiOpenLastFile(), false);
    QCOMPARE(p->guiAlwaysOnTop(), false);
    QCOMPARE(p->guiHideMenuBar(), false);
    QCOMPARE(p->guiHideStatusBar(), false);
    QCOMPARE(p->guiShowSpace(), false);
    QCOMPARE(p->guiShowEol(), false);
    QCOMPARE(p->guiToolbarIconSize(), 24);
    QCOMPARE(p->guiLanguage(), 0);
    QCOMPARE(p->recentFiles(), QStringList());

    QCOMPARE(p->columnsStartColumns(), 2);
    QCOMPARE(p->columnsPrefix(), QStringLiteral("#"));
    QCOMPARE(p->columnsSuffix(), QStringLiteral("#"));
    QCOMPARE(p->columnsSynchronousScroll(), true);
    QCOMPARE(p->columnsSynchronousCaret(), true);
    QCOMPARE(p->columnsHideToolBar(), false);
    QCOMPARE(p->columnsNoDrag(), false);

    QCOMPARE(p->editorDisplayLineNumber(), true);
    QCOMPARE(p->editorReplaceTabBySpace(), true);
    QCOMPARE(p->editorUnicode(), false);
    QCOMPARE(p->editorHighlightCurrentLine(), true);
    QCOMPARE(p->editorHighlightCurrentLineColor(), QColor(232, 232, 255));
    QCOMPARE(p->editorFontColor(), QColor(0, 0, 0));
    QCOMPARE(p->editorSelectionBackgroundColor(), QColor(0, 0, 255));
    QCOMPARE(p->editorTabWidth(), 4);
    // The application's font.
    QCOMPARE(p->editorFont(), QFont());
    QCOMPARE(p->editorEolFormat(), EolUnix);

    QCOMPARE(p->splitRemoveDuplicateColumns(), false);
    QCOMPARE(p->splitMatchWholeWord(), false);
    QCOMPARE(p->splitFilterList(), QStringList());
    const QString separators = QStringLiteral(",") + QLatin1Char(' ') + QStringLiteral("'.-_[]()~!@#$%^&*+|<>?/;:\"\\");
    QCOMPARE(p->splitFilter(), separators);
    QCOMPARE(p->splitFilter().size(), 29);

    QCOMPARE(p->matchFindList(), QStringList());
    QCOMPARE(p->matchFindWhat(), QString());
    QCOMPARE(p->matchRemoveDuplicateColumns(), false);
    QCOMPARE(p->matchMatchCase(), false);
    QCOMPARE(p->matchUnicode(), false);
    QCOMPARE(p->matchMultiLine(), true);
    QCOMPARE(p->matchMatchNewLine(), false);

    QCOMPARE(p->findFindList(), QStringList());
    QCOMPARE(p->findFindWhat(), QString());
    QCOMPARE(p->findReplaceList(), QStringList());
    QCOMPARE(p->findReplaceWhat(), QString());
    QCOMPARE(p->findMatchCase(), false);
    QCOMPARE(p->findWholeWord(), false);
    QCOMPARE(p->findUseRegex(), false);
    QCOMPARE(p->findWrapAround(), false);
    QCOMPARE(p->findForward(), true);

    QCOMPARE(p->dataSettingNumberFrom(), 0);
    QCOMPARE(p->dataSettingNumberTo(), 100);
    QCOMPARE(p->dataSettingNumberBase(), 10);
    QCOMPARE(p->dataSettingNumberUpper(), false);
    // The store may have been made just after midnight; both dates move together then.
    const qint64 dayShift = p->dataSettingDateFrom() - today.toJulianDay();
    QVERIFY(dayShift == 0 || dayShift == 1);
    QCOMPARE(p->dataSettingDateFrom(), today.addDays(dayShift).toJulianDay());
    QCOMPARE(p->dataSettingDateTo(), today.addDays(dayShift).addYears(1).toJulianDay());
    QCOMPARE(p->dataSettingDateFormat(), QStringLiteral("yyyy-MM-dd"));
    QCOMPARE(p->dataSettingLetterFrom(), 10);
    QCOMPARE(p->dataSettingLetterTo(), 35);
    QCOMPARE(p->dataSettingLetterUpper(), false);
    QCOMPARE(p->dataSettingTimeFrom(), 0);
    QCOMPARE(p->dataSettingTimeTo(), 86399999);
    QCOMPARE(p->dataSettingTimeFormat(), QStringLiteral("hh:mm:ss"));

    QCOMPARE(p->miscHideAfterMinimized(), false);
    QCOMPARE(p->miscCloseAfterDataGenerated(), false);
    QCOMPARE(p->miscClearColumnsBeforeLoad(), false);
    QCOMPARE(p->miscCopyToClipBoardAfterMerged(), false);
    QCOMPARE(p->miscCopyToClipBoardAfterReplaced(), false);
    QCOMPARE(p->miscResizeColumn(), 2);

    QCOMPARE(p->eolString(), QStringLiteral("\n"));
}

void TestPreferences::freshAccountWritesNothing()
{
    Preferences::instance();
    Preferences::destroy();
    QVERIFY(!QFile::exists(m_settingsFile));
}

void TestPreferences::settingsAreFiledUnderTheDomain()
{
    // The identity set above (domain, no organisation name) decides the file; the program sets it
    // before the store is first used.
    QCOMPARE(QSettings().fileName(), m_settingsFile);
    Preferences::instance()->setEditorTabWidth(6);
    Preferences::destroy();
    QVERIFY(QFile::exists(m_settingsFile));
}

void TestPreferences::signalsInDeclaredOrder()
{
    const QStringList expected = {
        QStringLiteral("languageChanged(int)"),
        QStringLiteral("showLineNumberChanged(bool)"),
        QStringLiteral("focusEditorChanged(Editor*)"),
        QStringLiteral("showSpaceChanged(bool)"),
        QStringLiteral("useSpaceChanged(bool)"),
        QStringLiteral("useUnicodeChanged(bool)"),
        QStringLiteral("showEolChanged(bool)"),
        QStringLiteral("hideMenuBarChanged(bool)"),
        QStringLiteral("columnsHideToolbarChanged(bool)"),
        QStringLiteral("hideStatusBarChanged(bool)"),
        QStringLiteral("highlightCurrentLineChanged(bool)"),
        QStringLiteral("highlightCurrentLineColorChanged(QColor)"),
        QStringLiteral("tabWidthChanged(int)"),
        QStringLiteral("toolbarIconSizeChanged(int)"),
        QStringLiteral("editorEolFormatChanged(EolFormat)"),
        QStringLiteral("editorFontChanged(QFont)"),
        QStringLiteral("editorFontColorChanged(QColor)"),
        QStringLiteral("editorSelectionBackgroundColorChanged(QColor)"),
        QStringLiteral("prefixSuffixChanged(QString,QString)"),
    };
    const QMetaObject& meta = Preferences::staticMetaObject;
    QStringList signatures;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        if (meta.method(i).methodType() == QMetaMethod::Signal)
            signatures << QString::fromLatin1(meta.method(i).methodSignature());
    }
    QCOMPARE(signatures, expected);
}

void TestPreferences::heldValueWritesAndEmitsNothing()
{
    Preferences* p = Preferences::instance();
    AllSignals spies(p);
    setEverythingToHeldValues(p);
    QCOMPARE(spies.fired(), QStringList());
    Preferences::destroy();
    QVERIFY(!QFile::exists(m_settingsFile));
}

void TestPreferences::heldValueAfterReloadWritesNothing()
{
    // Non-default values loaded from the settings: setting them again must not write either. The
    // keys are removed behind the store's back, so any write would bring them back.
    Preferences* p = Preferences::instance();
    const std::vector<Change> all = changes();
    for (const Change& change : all)
        change.set(p);
    p->setColumnsPrefix(QStringLiteral("<"));
    p->setSplitFilter({QStringLiteral(",;")}, QStringLiteral(";"));
    p->setFindReplaceText({QStringLiteral("x"), QStringLiteral("y")}, QStringLiteral("y"));
    Preferences::destroy();

    p = Preferences::instance();
    {
        QSettings settings;
        settings.clear();
        settings.sync();
    }
    AllSignals spies(p);
    setEverythingToHeldValues(p);
    QCOMPARE(spies.fired(), QStringList());
    QCOMPARE(QSettings().allKeys(), QStringList());
    Preferences::destroy();
    QCOMPARE(QSettings().allKeys(), QStringList());
}

void TestPreferences::changeWritesEmitsAndReloads()
{
    const std::vector<Change> all = changes();
    Preferences* p = Preferences::instance();
    for (const Change& change : all) {
        const QByteArray key = change.key.toUtf8();
        QVERIFY2(!change.holds(p), key);
        AllSignals spies(p);
        change.set(p);
        QVERIFY2(change.holds(p), key);
        const QStringList expected =
            change.signal.isEmpty() ? QStringList() : QStringList{QString::fromLatin1(change.signal)};
        QCOMPARE(spies.fired(), expected);
        if (!change.signal.isEmpty())
            QCOMPARE(spies.arguments(change.signal), QList<QVariant>{change.argument});
        QVERIFY2(QSettings().contains(change.key), key);

        // A second time with the same value changes nothing.
        AllSignals again(p);
        change.set(p);
        QCOMPARE(again.fired(), QStringList());
    }

    // A second store reads back every value the first one wrote.
    Preferences::destroy();
    p = Preferences::instance();
    for (const Change& change : all)
        QVERIFY2(change.holds(p), change.key.toUtf8());
}

void TestPreferences::prefixSuffixCarriesBoth()
{
    Preferences* p = Preferences::instance();
    QSignalSpy spy(p, &Preferences::prefixSuffixChanged);
    p->setColumnsSuffix(QStringLiteral("]"));
    p->setColumnsPrefix(QStringLiteral("["));
    p->setColumnsPrefix(QStringLiteral("["));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0), (QList<QVariant>{QStringLiteral("#"), QStringLiteral("]")}));
    QCOMPARE(spy.at(1), (QList<QVariant>{QStringLiteral("["), QStringLiteral("]")}));

    Preferences::destroy();
    p = Preferences::instance();
    QCOMPARE(p->columnsPrefix(), QStringLiteral("["));
    QCOMPARE(p->columnsSuffix(), QStringLiteral("]"));
}

void TestPreferences::historyPairs()
{
    Preferences* p = Preferences::instance();
    AllSignals spies(p);
    const QStringList replaces = {QStringLiteral("first"), QString(), QStringLiteral("a, b")};
    p->setFindReplaceText(replaces, QStringLiteral("a, b"));
    p->setFindFindText({QStringLiteral("needle")}, QStringLiteral("needle"));
    p->setMatchFindWhat({QStringLiteral("(\\d+)")}, QStringLiteral("(\\w+)"));
    p->setSplitFilter({QStringLiteral(",;")}, QString());
    QCOMPARE(spies.fired(), QStringList());

    // Only the text differs: both keys are written again.
    p->setFindFindText({QStringLiteral("needle")}, QStringLiteral("hay"));
    QCOMPARE(p->findFindWhat(), QStringLiteral("hay"));

    QCOMPARE(storedValue(QStringLiteral("Find/ReplaceList")).toStringList(), replaces);
    QCOMPARE(storedValue(QStringLiteral("Find/ReplaceWhat")).toString(), QStringLiteral("a, b"));
    p = Preferences::instance();
    QCOMPARE(p->findReplaceList(), replaces);
    QCOMPARE(p->findReplaceWhat(), QStringLiteral("a, b"));
    QCOMPARE(p->findFindList(), QStringList{QStringLiteral("needle")});
    QCOMPARE(p->findFindWhat(), QStringLiteral("hay"));
    QCOMPARE(p->matchFindList(), QStringList{QStringLiteral("(\\d+)")});
    QCOMPARE(p->matchFindWhat(), QStringLiteral("(\\w+)"));
    QCOMPARE(p->splitFilterList(), QStringList{QStringLiteral(",;")});
    // An empty text stored on purpose is not replaced by the separator default.
    QCOMPARE(p->splitFilter(), QString());
}

void TestPreferences::storedEncodings()
{
    Preferences* p = Preferences::instance();
    p->setEditorFontColor(QColor(0xAB, 0xCD, 0xEF, 0x80));
    p->setEditorEolFormat(EolWindows);
    p->setDataSettingDateFrom(2451545);
    p->setGuiShowEol(true);
    // Colours are kept as a lower-case name without alpha, the format as its number.
    QCOMPARE(storedValue(QStringLiteral("Editor/FontColor")).toString(), QStringLiteral("#abcdef"));
    QCOMPARE(storedValue(QStringLiteral("Editor/EolFormat")).toInt(), 0);
    QCOMPARE(storedValue(QStringLiteral("DataSetting/DateFrom")).toLongLong(), Q_INT64_C(2451545));
    QCOMPARE(storedValue(QStringLiteral("Gui/ShowEol")).toBool(), true);
    QCOMPARE(Preferences::instance()->editorEolFormat(), EolWindows);
}

void TestPreferences::readRules_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QVariant>("expected");

    const QVariant invalidColour = QColor();
    // Stored values are given as text, as they come back from a settings file.
    QTest::newRow("int not a number") << "Editor/TabWidth" << QVariant("four") << QVariant(4);
    QTest::newRow("int empty") << "Gui/ToolbarIconSize" << QVariant("") << QVariant(24);
    QTest::newRow("int number text") << "Gui/ToolbarIconSize" << QVariant("16") << QVariant(16);
    QTest::newRow("int negative") << "DataSetting/NumberFrom" << QVariant("-12") << QVariant(-12);
    QTest::newRow("int list") << "Misc/ResizeColumn" << QVariant(QStringList{"1", "2"}) << QVariant(2);
    QTest::newRow("bool true") << "Gui/OpenLastFile" << QVariant("true") << QVariant(true);
    QTest::newRow("bool false") << "Gui/SaveBeforeExit" << QVariant("false") << QVariant(false);
    QTest::newRow("bool one") << "Find/UseRegex" << QVariant("1") << QVariant(true);
    QTest::newRow("bool zero") << "Find/Forward" << QVariant("0") << QVariant(false);
    QTest::newRow("bool word") << "Gui/SaveBeforeExit" << QVariant("maybe") << QVariant(false);
    QTest::newRow("bool empty") << "Editor/DisplayLineNumber" << QVariant("") << QVariant(false);
    QTest::newRow("colour not a name") << "Editor/HighlightCurrentLineColor" << QVariant("#12345z") << invalidColour;
    QTest::newRow("colour empty") << "Editor/FontColor" << QVariant("") << invalidColour;
    QTest::newRow("colour named") << "Editor/FontColor" << QVariant("red") << QVariant(QColor(255, 0, 0));
    QTest::newRow("colour hex") << "Editor/SelectionBackgroundColor" << QVariant("#010203")
                                << QVariant(QColor(1, 2, 3));
    QTest::newRow("time past the day") << "DataSetting/TimeTo" << QVariant("86400000") << QVariant(0);
    QTest::newRow("time last ms") << "DataSetting/TimeTo" << QVariant("86399999") << QVariant(86399999);
    QTest::newRow("time negative") << "DataSetting/TimeFrom" << QVariant("-1") << QVariant(0);
    QTest::newRow("time not a number") << "DataSetting/TimeTo" << QVariant("noon") << QVariant(86399999);
    QTest::newRow("date not a number") << "DataSetting/DateFrom" << QVariant("soon")
                                       << QVariant(QDate::currentDate().toJulianDay());
    QTest::newRow("date number") << "DataSetting/DateTo" << QVariant("2451545") << QVariant(Q_INT64_C(2451545));
    QTest::newRow("eol number") << "Editor/EolFormat" << QVariant("2") << QVariant::fromValue(EolMac);
    QTest::newRow("eol not a number") << "Editor/EolFormat" << QVariant("dos") << QVariant::fromValue(EolUnix);
    QTest::newRow("string list from one text") << "Gui/RecentFiles" << QVariant("/only.s")
                                               << QVariant(QStringList{"/only.s"});
    QTest::newRow("string from number") << "DataSetting/DateFormat" << QVariant(12) << QVariant("12");
    QTest::newRow("font not a font") << "Editor/Font" << QVariant(42) << QVariant(QFont());
    QTest::newRow("font list") << "Editor/Font" << QVariant(QStringList{"a", "b", "c"})
                               << QVariant(QFont());
}

void TestPreferences::readRules()
{
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(QVariant, expected);

    writeRaw(key, stored);
    Preferences* p = Preferences::instance();
    const QMap<QString, std::function<QVariant()>> getters = {
        {"Editor/TabWidth", [p] { return QVariant(p->editorTabWidth()); }},
        {"Gui/ToolbarIconSize", [p] { return QVariant(p->guiToolbarIconSize()); }},
        {"DataSetting/NumberFrom", [p] { return QVariant(p->dataSettingNumberFrom()); }},
        {"Misc/ResizeColumn", [p] { return QVariant(p->miscResizeColumn()); }},
        {"Gui/OpenLastFile", [p] { return QVariant(p->guiOpenLastFile()); }},
        {"Gui/SaveBeforeExit", [p] { return QVariant(p->guiSaveBeforeExit()); }},
        {"Find/UseRegex", [p] { return QVariant(p->findUseRegex()); }},
        {"Find/Forward", [p] { return QVariant(p->findForward()); }},
        {"Editor/DisplayLineNumber", [p] { return QVariant(p->editorDisplayLineNumber()); }},
        {"Editor/HighlightCurrentLineColor", [p] { return QVariant(p->editorHighlightCurrentLineColor()); }},
        {"Editor/FontColor", [p] { return QVariant(p->editorFontColor()); }},
        {"Editor/SelectionBackgroundColor", [p] { return QVariant(p->editorSelectionBackgroundColor()); }},
        {"DataSetting/TimeTo", [p] { return QVariant(p->dataSettingTimeTo()); }},
        {"DataSetting/TimeFrom", [p] { return QVariant(p->dataSettingTimeFrom()); }},
        {"DataSetting/DateFrom", [p] { return QVariant(p->dataSettingDateFrom()); }},
        {"DataSetting/DateTo", [p] { return QVariant(p->dataSettingDateTo()); }},
        {"Editor/EolFormat", [p] { return QVariant::fromValue(p->editorEolFormat()); }},
        {"Gui/RecentFiles", [p] { return QVariant(p->recentFiles()); }},
        {"DataSetting/DateFormat", [p] { return QVariant(p->dataSettingDateFormat()); }},
        {"Editor/Font", [p] { return QVariant(p->editorFont()); }},
    };
    QVERIFY2(getters.contains(key), qPrintable(key));
    const QVariant actual = getters.value(key)();
    if (expected.userType() == QMetaType::QColor && !expected.value<QColor>().isValid())
        QVERIFY2(!actual.value<QColor>().isValid(), qPrintable(actual.value<QColor>().name()));
    else if (expected.userType() == QMetaType::LongLong)
        QCOMPARE(actual.toLongLong(), expected.toLongLong());
    else
        QCOMPARE(actual, expected);

    // Loading never writes, not even to repair a bad value.
    const QVariant kept = storedValue(key);
    if (stored.userType() == QMetaType::QStringList)
        QCOMPARE(kept.toStringList(), stored.toStringList());
    else
        QCOMPARE(kept.toString(), stored.toString());
}

void TestPreferences::windowState()
{
    Preferences* p = Preferences::instance();
    QByteArray geometry("junk");
    QByteArray state("junk");
    p->loadWindowState(geometry, state);
    QVERIFY(geometry.isEmpty());
    QVERIFY(state.isEmpty());

    const QByteArray savedGeometry("\x01\x00\xff geometry", 12);
    const QByteArray savedState("\x00\x00state\n", 8);
    p->saveWindowState(savedGeometry, savedState);
    QCOMPARE(storedValue(QStringLiteral("Window/geometry")).toByteArray(), savedGeometry);
    QCOMPARE(storedValue(QStringLiteral("Window/windowState")).toByteArray(), savedState);
    Preferences::instance()->loadWindowState(geometry, state);
    QCOMPARE(geometry, savedGeometry);
    QCOMPARE(state, savedState);
}

void TestPreferences::eolStringFollowsFormat()
{
    Preferences* p = Preferences::instance();
    p->setEditorEolFormat(EolWindows);
    QCOMPARE(p->eolString(), QStringLiteral("\r\n"));
    p->setEditorEolFormat(EolMac);
    QCOMPARE(p->eolString(), QStringLiteral("\r"));
    p->setEditorEolFormat(EolUnix);
    QCOMPARE(p->eolString(), QStringLiteral("\n"));
}

void TestPreferences::queuedConnections()
{
    // Listeners may sit behind queued connections; both non-standard argument types must travel.
    Preferences* p = Preferences::instance();
    Editor editor;
    QObject receiver;
    Editor* focused = nullptr;
    EolFormat format = EolUnix;
    connect(p, &Preferences::focusEditorChanged, &receiver, [&focused](Editor* e) { focused = e; },
            Qt::QueuedConnection);
    connect(p, &Preferences::editorEolFormatChanged, &receiver, [&format](EolFormat f) { format = f; },
            Qt::QueuedConnection);
    emit p->focusEditorChanged(&editor);
    p->setEditorEolFormat(EolMac);
    QCOMPARE(focused, nullptr);
    QTRY_COMPARE(focused, &editor);
    QTRY_COMPARE(format, EolMac);
}

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
