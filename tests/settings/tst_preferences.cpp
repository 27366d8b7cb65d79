// The settings store: defaults, read rules, write-through, setters that change nothing, and every key
// read and written under one spelling.

#include "TestSupport.h"
#include "settings/Preferences.h"

#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

using P = Preferences;
using Fired = QList<QPair<QString, QVariantList>>;

namespace {

// Every emission of the store as signature and arguments; focusEditorChanged has no setter and is left out.
struct AllSignals
{
    explicit AllSignals(P* p)
    {
        for (int i = P::staticMetaObject.methodOffset(); i < P::staticMetaObject.methodCount(); ++i) {
            const QMetaMethod m = P::staticMetaObject.method(i);
            if (m.methodType() == QMetaMethod::Signal && m.parameterType(0) != QMetaType::UnknownType)
                spies.push_back(std::make_unique<QSignalSpy>(p, m));
        }
    }
    Fired fired() const
    {
        Fired all;
        for (const auto& spy : spies)
            for (const QVariantList& args : *spy)
                all.append({QString::fromLatin1(spy->signal()), args});
        return all;
    }
    std::vector<std::unique_ptr<QSignalSpy>> spies;
};

// One key of the store as the tests see it: its getter and setter, a value other than the default,
// the signal its setter emits and the keys it writes.
struct Key
{
    QString key;
    QVariant value;
    // Invalid where the default follows the clock.
    QVariant byDefault;
    QString signal;
    QStringList written;
    std::function<void(P*)> set, setHeld;
    std::function<QVariant(P*)> get;
};

template <typename T, typename A>
Key plain(const char* key, T (P::*get)() const, void (P::*set)(A), const T& byDefault, const T& value,
          const char* signal = "")
{
    return {QString::fromLatin1(key),
            QVariant::fromValue(value),
            QVariant::fromValue(byDefault),
            QString::fromLatin1(signal),
            {QString::fromLatin1(key)},
            [=](P* p) { (p->*set)(value); },
            [=](P* p) { (p->*set)((p->*get)()); },
            [=](P* p) { return QVariant::fromValue((p->*get)()); }};
}

Key clockDefault(Key key)
{
    key.byDefault = QVariant();
    return key;
}

using PairSetter = void (P::*)(const QStringList&, const QString&);

// The list half of a history pair; the slot writes the pair, the text kept as held.
Key pairList(const char* key, const char* textKey, PairSetter set, QStringList (P::*list)() const,
             QString (P::*text)() const, const QStringList& value)
{
    return {QString::fromLatin1(key),
            value,
            QStringList(),
            QString(),
            {QString::fromLatin1(key), QString::fromLatin1(textKey)},
            [=](P* p) { (p->*set)(value, (p->*text)()); },
            [=](P* p) { (p->*set)((p->*list)(), (p->*text)()); },
            [=](P* p) { return QVariant((p->*list)()); }};
}

Key pairText(const char* key, const char* listKey, PairSetter set, QStringList (P::*list)() const,
             QString (P::*text)() const, const QString& byDefault, const QString& value)
{
    return {QString::fromLatin1(key),
            value,
            byDefault,
            QString(),
            {QString::fromLatin1(listKey), QString::fromLatin1(key)},
            [=](P* p) { (p->*set)((p->*list)(), value); },
            [=](P* p) { (p->*set)((p->*list)(), (p->*text)()); },
            [=](P* p) { return QVariant((p->*text)()); }};
}

// Every key the store loads, in the order it loads them.
const std::vector<Key>& allKeys()
{
    static const char* PrefixSuffix = "prefixSuffixChanged(QString,QString)";
    static const QString Separators = QStringLiteral(",\x20'.-_[]()~!@#$%^&*+|<>?/;:\"\\");
    static const QFont Font(QStringLiteral("Monospace"), 17, 75, true);
    static const std::vector<Key> Keys = {
        plain("Gui/SaveBeforeExit", &P::guiSaveBeforeExit, &P::setGuiSaveBeforeExit, true, false),
        plain("Gui/OpenLastFile", &P::guiOpenLastFile, &P::setGuiOpenLastFile, false, true),
        plain("Gui/AlwaysOnTop", &P::guiAlwaysOnTop, &P::setGuiAlwaysOnTop, false, true),
        plain("Gui/HideMenuBar", &P::guiHideMenuBar, &P::setGuiHideMenuBar, false, true, "hideMenuBarChanged(bool)"),
        plain("Gui/HideStatusBar", &P::guiHideStatusBar, &P::setGuiHideStatusBar, false, true,
              "hideStatusBarChanged(bool)"),
        plain("Gui/ShowSpace", &P::guiShowSpace, &P::setGuiShowSpace, false, true, "showSpaceChanged(bool)"),
        plain("Gui/ShowEol", &P::guiShowEol, &P::setGuiShowEol, false, true, "showEolChanged(bool)"),
        plain("Gui/ShowPreview", &P::guiShowPreview, &P::setGuiShowPreview, false, true),
        plain("Gui/ToolbarIconSize", &P::guiToolbarIconSize, &P::setGuiToolbarIconSize, 24, 32,
              "toolbarIconSizeChanged(int)"),
        plain("Gui/Language", &P::guiLanguage, &P::setGuiLanguage, 0, 1, "languageChanged(int)"),
        plain("Gui/RecentFiles", &P::recentFiles, &P::setRecentFiles, QStringList(),
              QStringList{QStringLiteral("/a/b.s"), QStringLiteral("/c d/e.s")}),

        plain("Columns/StartColumns", &P::columnsStartColumns, &P::setColumnsStartColumns, 2, 3),
        plain("Columns/Prefix", &P::columnsPrefix, &P::setColumnsPrefix, QStringLiteral("#"), QStringLiteral("["),
              PrefixSuffix),
        plain("Columns/Suffix", &P::columnsSuffix, &P::setColumnsSuffix, QStringLiteral("#"), QStringLiteral("]"),
              PrefixSuffix),
        plain("Columns/SynchronousScroll", &P::columnsSynchronousScroll, &P::setColumnsSynchronousScroll, true, false),
        plain("Columns/SynchronousCaret", &P::columnsSynchronousCaret, &P::setColumnsSynchronousCaret, true, false),
        plain("Columns/HideToolBar", &P::columnsHideToolBar, &P::setColumnsHideToolBar, false, true,
              "columnsHideToolbarChanged(bool)"),
        plain("Columns/NoDrag", &P::columnsNoDrag, &P::setColumnsNoDrag, false, true),

        plain("Editor/DisplayLineNumber", &P::editorDisplayLineNumber, &P::setEditorDisplayLineNumber, true, false,
              "showLineNumberChanged(bool)"),
        plain("Editor/ReplaceTabBySpace", &P::editorReplaceTabBySpace, &P::setEditorReplaceTabBySpace, true, false,
              "useSpaceChanged(bool)"),
        plain("Editor/Unicode", &P::editorUnicode, &P::setEditorUnicode, false, true, "useUnicodeChanged(bool)"),
        plain("Editor/HighlightCurrentLine", &P::editorHighlightCurrentLine, &P::setEditorHighlightCurrentLine, true,
              false, "highlightCurrentLineChanged(bool)"),
        plain("Editor/HighlightCurrentLineColor", &P::editorHighlightCurrentLineColor,
              &P::setEditorHighlightCurrentLineColor, QColor(232, 232, 255), QColor(1, 2, 3),
              "highlightCurrentLineColorChanged(QColor)"),
        plain("Editor/FontColor", &P::editorFontColor, &P::setEditorFontColor, QColor(0, 0, 0), QColor(12, 34, 56),
              "editorFontColorChanged(QColor)"),
        plain("Editor/SelectionBackgroundColor", &P::editorSelectionBackgroundColor,
              &P::setEditorSelectionBackgroundColor, QColor(0, 0, 255), QColor(254, 220, 186),
              "editorSelectionBackgroundColorChanged(QColor)"),
        plain("Editor/TabWidth", &P::editorTabWidth, &P::setEditorTabWidth, 4, 9, "tabWidthChanged(int)"),
        plain("Editor/Font", &P::editorFont, &P::setEditorFont, QFont(), Font, "editorFontChanged(QFont)"),
        plain("Editor/EolFormat", &P::editorEolFormat, &P::setEditorEolFormat, EolUnix, EolMac,
              "editorEolFormatChanged(EolFormat)"),

        plain("Split/RemoveDuplicateColumns", &P::splitRemoveDuplicateColumns, &P::setSplitRemoveDuplicateColumns,
              false, true),
        plain("Split/MatchWholeWord", &P::splitMatchWholeWord, &P::setSplitMatchWholeWord, false, true),
        pairList("Split/FilterList", "Split/Filter", &P::setSplitFilter, &P::splitFilterList, &P::splitFilter,
                 {QStringLiteral("tab"), QStringLiteral("comma")}),
        // An empty text stored on purpose must not come back as the separator default.
        pairText("Split/Filter", "Split/FilterList", &P::setSplitFilter, &P::splitFilterList, &P::splitFilter,
                 Separators, QString()),

        pairList("Match/FindList", "Match/FindWhat", &P::setMatchFindWhat, &P::matchFindList, &P::matchFindWhat,
                 {QStringLiteral("a+"), QStringLiteral("b*")}),
        pairText("Match/FindWhat", "Match/FindList", &P::setMatchFindWhat, &P::matchFindList, &P::matchFindWhat,
                 QString(), QStringLiteral("[a-z]+")),
        plain("Match/RemoveDuplicateColumns", &P::matchRemoveDuplicateColumns, &P::setMatchRemoveDuplicateColumns,
              false, true),
        plain("Match/MatchCase", &P::matchMatchCase, &P::setMatchMatchCase, false, true),
        plain("Match/Unicode", &P::matchUnicode, &P::setMatchUnicode, false, true),
        plain("Match/MultiLine", &P::matchMultiLine, &P::setMatchMultiLine, true, false),
        plain("Match/MatchNewLine", &P::matchMatchNewLine, &P::setMatchMatchNewLine, false, true),

        pairList("Find/FindList", "Find/FindWhat", &P::setFindFindText, &P::findFindList, &P::findFindWhat,
                 {QStringLiteral("needle"), QStringLiteral("pin")}),
        pairText("Find/FindWhat", "Find/FindList", &P::setFindFindText, &P::findFindList, &P::findFindWhat, QString(),
                 QStringLiteral("needle")),
        pairList("Find/ReplaceList", "Find/ReplaceWhat", &P::setFindReplaceText, &P::findReplaceList,
                 &P::findReplaceWhat, {QStringLiteral("a"), QStringLiteral("b c")}),
        pairText("Find/ReplaceWhat", "Find/ReplaceList", &P::setFindReplaceText, &P::findReplaceList,
                 &P::findReplaceWhat, QString(), QStringLiteral("b c")),
        plain("Find/MatchCase", &P::findMatchCase, &P::setFindMatchCase, false, true),
        plain("Find/WholeWord", &P::findWholeWord, &P::setFindWholeWord, false, true),
        plain("Find/UseRegex", &P::findUseRegex, &P::setFindUseRegex, false, true),
        plain("Find/WrapAround", &P::findWrapAround, &P::setFindWrapAround, false, true),
        plain("Find/Forward", &P::findForward, &P::setFindForward, true, false),

        plain("DataSetting/NumberFrom", &P::dataSettingNumberFrom, &P::setDataSettingNumberFrom, 0, -5),
        plain("DataSetting/NumberTo", &P::dataSettingNumberTo, &P::setDataSettingNumberTo, 100, 500),
        plain("DataSetting/NumberBase", &P::dataSettingNumberBase, &P::setDataSettingNumberBase, 10, 16),
        plain("DataSetting/NumberUpper", &P::dataSettingNumberUpper, &P::setDataSettingNumberUpper, false, true),
        clockDefault(plain("DataSetting/DateFrom", &P::dataSettingDateFrom, &P::setDataSettingDateFrom, qint64(0),
                           qint64(2451545))),
        clockDefault(
            plain("DataSetting/DateTo", &P::dataSettingDateTo, &P::setDataSettingDateTo, qint64(0), qint64(2451911))),
        plain("DataSetting/DateFormat", &P::dataSettingDateFormat, &P::setDataSettingDateFormat,
              QStringLiteral("yyyy-MM-dd"), QStringLiteral("dd.MM.yyyy")),
        plain("DataSetting/LetterFrom", &P::dataSettingLetterFrom, &P::setDataSettingLetterFrom, 10, 11),
        plain("DataSetting/LetterTo", &P::dataSettingLetterTo, &P::setDataSettingLetterTo, 35, 20),
        plain("DataSetting/LetterUpper", &P::dataSettingLetterUpper, &P::setDataSettingLetterUpper, false, true),
        plain("DataSetting/TimeFrom", &P::dataSettingTimeFrom, &P::setDataSettingTimeFrom, 0, 3600000),
        plain("DataSetting/TimeTo", &P::dataSettingTimeTo, &P::setDataSettingTimeTo, 86399999, 7200001),
        plain("DataSetting/TimeFormat", &P::dataSettingTimeFormat, &P::setDataSettingTimeFormat,
              QStringLiteral("hh:mm:ss"), QStringLiteral("hh:mm")),

        plain("Misc/HideAfterMinimized", &P::miscHideAfterMinimized, &P::setMiscHideAfterMinimized, false, true),
        plain("Misc/CloseAfterDataGenerated", &P::miscCloseAfterDataGenerated, &P::setMiscCloseAfterDataGenerated,
              false, true),
        plain("Misc/ClearColumnsBeforeLoad", &P::miscClearColumnsBeforeLoad, &P::setMiscClearColumnsBeforeLoad, false,
              true),
        plain("Misc/CopyToClipBoardAfterMerged", &P::miscCopyToClipBoardAfterMerged,
              &P::setMiscCopyToClipBoardAfterMerged, false, true),
        plain("Misc/CopyToClipBoardAfterReplaced", &P::miscCopyToClipBoardAfterReplaced,
              &P::setMiscCopyToClipBoardAfterReplaced, false, true),
        plain("Misc/ResizeColumn", &P::miscResizeColumn, &P::setMiscResizeColumn, 2, 7),

    };
    return Keys;
}

const Key* findKey(const QString& name)
{
    const std::vector<Key>& keys = allKeys();
    const auto it = std::find_if(keys.begin(), keys.end(), [&name](const Key& k) { return k.key == name; });
    return it == keys.end() ? nullptr : &*it;
}

QStringList tableKeys()
{
    QStringList names;
    for (const Key& k : allKeys())
        names << k.key;
    return names;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT
    QString m_settingsFile;

private slots:
    void initTestCase()
    {
        m_settingsFile = TestSupport::useTemporaryConfigHome() + QStringLiteral("/Vardel/Lineweld.conf");
        QCoreApplication::setOrganizationDomain(QStringLiteral("Vardel"));
        QCoreApplication::setApplicationName(QStringLiteral("Lineweld"));
    }
    void init()
    {
        P::destroy();
        QSettings().clear();
        QFile::remove(m_settingsFile);
    }
    void cleanupTestCase() { P::destroy(); }

    void freshDatesFollowTheClock()
    {
        P* p = P::instance();
        // Made just before midnight, the store may be a day behind the clock read here.
        const qint64 today = QDate::currentDate().toJulianDay();
        QVERIFY2(p->dataSettingDateFrom() == today || p->dataSettingDateFrom() == today - 1,
                 qPrintable(QString::number(p->dataSettingDateFrom())));
        QCOMPARE(p->dataSettingDateTo(), QDate::fromJulianDay(p->dataSettingDateFrom()).addYears(1).toJulianDay());
    }

    // What the store loads is exactly what the tests here know, in the same order: a key added to the
    // store without a row below, or loaded twice, fails here.
    void declaredKeysAreLoadedInOrder()
    {
        QStringList keys = P::instance()->settingKeys();
        QCOMPARE(keys, tableKeys());
        QCOMPARE(keys.removeDuplicates(), 0);
    }

    // A fresh account gives the defaults. Held values (defaults, values just given, values loaded)
    // write and emit nothing; a change writes its own keys and nothing else, emits once and comes back
    // in the next store.
    void setterWritesOnlyChanges_data()
    {
        QTest::addColumn<QString>("key");
        for (const Key& k : allKeys())
            QTest::addRow("%s", qPrintable(k.key)) << k.key;
    }
    void setterWritesOnlyChanges()
    {
        QFETCH(QString, key);
        const Key* k = findKey(key);
        QVERIFY(k);
        P* p = P::instance();
        if (k->byDefault.isValid())
            QCOMPARE(k->get(p), k->byDefault);
        AllSignals spies(p);
        k->setHeld(p);
        QCOMPARE(QSettings().allKeys(), QStringList());
        QVERIFY2(k->get(p) != k->value, "the row's value must differ from the loaded one");

        k->set(p);
        QCOMPARE(k->get(p), k->value);
        QCOMPARE(sorted(QSettings().allKeys()), sorted(k->written));
        const QVariantList arguments = k->signal.startsWith(QLatin1String("prefixSuffix"))
                                           ? QVariantList{p->columnsPrefix(), p->columnsSuffix()}
                                           : QVariantList{k->value};
        QCOMPARE(spies.fired(), (k->signal.isEmpty() ? Fired() : Fired{{k->signal, arguments}}));

        // Given again, the value is held: removed from the settings, it stays removed.
        QVariantMap stored;
        for (const QString& name : k->written)
            stored.insert(name, QSettings().value(name));
        QSettings().clear();
        k->set(p);
        QCOMPARE(QSettings().allKeys(), QStringList());
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            QSettings().setValue(it.key(), it.value());

        P::destroy();
        QVERIFY(QFile::exists(m_settingsFile));
        P* next = P::instance();
        AllSignals nextSpies(next);
        QCOMPARE(k->get(next), k->value);
        QSettings().clear();
        k->setHeld(next);
        QCOMPARE(nextSpies.fired(), Fired());
        QCOMPARE(QSettings().allKeys(), QStringList());
    }

    // Only the text of a history pair differs: still a change.
    void historyTextAloneIsAChange()
    {
        P* p = P::instance();
        p->setFindFindText({QStringLiteral("hay")}, QStringLiteral("hay"));
        p->setFindFindText(p->findFindList(), QStringLiteral("stack"));
        P::destroy();
        QCOMPARE(P::instance()->findFindWhat(), QStringLiteral("stack"));
    }

    // Stored values are text, as they come back from a settings file; the getter is the one of the table above.
    void readRules_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("expected");
        const auto row = [](const char* key, const QVariant& stored, const QVariant& expected) {
            QTest::addRow("%s=%s", key, qPrintable(stored.toString()))
                << QString::fromLatin1(key) << stored << expected;
        };
        row("Misc/ResizeColumn", "four", 2);
        row("Gui/HideStatusBar", "1", true);
        row("Gui/HideStatusBar", "maybe", false);
        row("Editor/HighlightCurrentLineColor", "#12345z", QColor());
        row("Editor/FontColor", "#0c2238", QColor(12, 34, 56));
        row("DataSetting/TimeTo", "86400000", 0);
        row("DataSetting/TimeTo", "noon", 86399999);
        row("Editor/EolFormat", "dos", QVariant::fromValue(EolUnix));
        row("Gui/RecentFiles", "/only.s", QStringList{"/only.s"});
        row("Editor/Font", 42, QFont());
    }
    void readRules()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, expected);
        QSettings().setValue(key, stored);
        const Key* k = findKey(key);
        QVERIFY(k);
        QCOMPARE(k->get(P::instance()), expected);
        // Loading never writes, not even to mend a bad value.
        P::destroy();
        QCOMPARE(QSettings().value(key), stored);
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
