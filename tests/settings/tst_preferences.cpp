// The settings store: defaults, read rules, write-through to a second store, setters that change nothing.

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

// A setter given a value other than the default, the same setter given the held value, and its signal.
struct Change
{
    QString key;
    std::function<void(P*)> set, setHeld;
    std::function<QVariant(P*)> get;
    QVariant value;
    QString signal;
};

template <typename T, typename A>
Change change(const char* key, T (P::*get)() const, void (P::*set)(A), const T& value, const char* signal = "")
{
    return {QString::fromLatin1(key), [=](P* p) { (p->*set)(value); }, [=](P* p) { (p->*set)((p->*get)()); },
            [=](P* p) { return QVariant::fromValue((p->*get)()); }, QVariant::fromValue(value), signal};
}

Change history(const char* key, void (P::*set)(const QStringList&, const QString&), QStringList (P::*list)() const,
               QString (P::*text)() const, const QString& value)
{
    const QStringList items = {QStringLiteral("x, y"), QString(), value};
    return {QString::fromLatin1(key), [=](P* p) { (p->*set)(items, value); },
            [=](P* p) { (p->*set)((p->*list)(), (p->*text)()); },
            [=](P* p) { return QVariantList{(p->*list)(), (p->*text)()}; }, QVariantList{items, value}, QString()};
}

// One key of every kind of value, with and without a signal, and the four history slots.
std::vector<Change> changes()
{
    const char* prefixSuffix = "prefixSuffixChanged(QString,QString)";
    return {
        change("Gui/HideStatusBar", &P::guiHideStatusBar, &P::setGuiHideStatusBar, true, "hideStatusBarChanged(bool)"),
        change("Gui/RecentFiles", &P::recentFiles, &P::setRecentFiles, QStringList{"/a/b.s", "/c d/e.s"}),
        change("Columns/Suffix", &P::columnsSuffix, &P::setColumnsSuffix, QStringLiteral("]"), prefixSuffix),
        change("Columns/Prefix", &P::columnsPrefix, &P::setColumnsPrefix, QStringLiteral("["), prefixSuffix),
        change("Editor/HighlightCurrentLineColor", &P::editorHighlightCurrentLineColor,
               &P::setEditorHighlightCurrentLineColor, QColor(1, 2, 3), "highlightCurrentLineColorChanged(QColor)"),
        change("Editor/Font", &P::editorFont, &P::setEditorFont, QFont(QStringLiteral("Monospace"), 17, 75, true),
               "editorFontChanged(QFont)"),
        change("Editor/EolFormat", &P::editorEolFormat, &P::setEditorEolFormat, EolMac,
               "editorEolFormatChanged(EolFormat)"),
        change("DataSetting/DateFrom", &P::dataSettingDateFrom, &P::setDataSettingDateFrom, qint64(2451545)),
        change("DataSetting/TimeTo", &P::dataSettingTimeTo, &P::setDataSettingTimeTo, 7200001),
        change("Misc/ResizeColumn", &P::miscResizeColumn, &P::setMiscResizeColumn, 7),
        history("Find/ReplaceList", &P::setFindReplaceText, &P::findReplaceList, &P::findReplaceWhat, "a, b"),
        history("Find/FindList", &P::setFindFindText, &P::findFindList, &P::findFindWhat, "needle"),
        history("Match/FindList", &P::setMatchFindWhat, &P::matchFindList, &P::matchFindWhat, "(\\w+)"),
        // An empty text stored on purpose must not come back as the separator default.
        history("Split/FilterList", &P::setSplitFilter, &P::splitFilterList, &P::splitFilter, QString()),
    };
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

    void freshAccountGivesDefaults()
    {
        P* p = P::instance();
        QCOMPARE(p->guiSaveBeforeExit(), true);
        QCOMPARE(p->editorHighlightCurrentLineColor(), QColor(232, 232, 255));
        QCOMPARE(p->splitFilter().size(), 29);
        QCOMPARE(p->dataSettingTimeTo(), 86399999);
        // Made just before midnight, the store may be a day behind the clock read here.
        const qint64 today = QDate::currentDate().toJulianDay();
        QVERIFY(p->dataSettingDateFrom() == today || p->dataSettingDateFrom() == today - 1);
        QCOMPARE(p->dataSettingDateTo(), QDate::fromJulianDay(p->dataSettingDateFrom()).addYears(1).toJulianDay());
        QCOMPARE(p->eolString(), QStringLiteral("\n"));
        for (const auto& row : QList<QPair<EolFormat, QString>>{{EolWindows, "\r\n"}, {EolMac, "\r"}, {EolUnix, "\n"}}) {
            p->setEditorEolFormat(row.first);
            QCOMPARE(p->eolString(), row.second);
        }
    }

    // Held values (defaults, values just given, values loaded) write and emit nothing; changes write through,
    // emit once and come back in the next store.
    void setterWritesOnlyChanges()
    {
        P* p = P::instance();
        for (const Change& c : changes()) {
            AllSignals spies(p);
            c.setHeld(p);
            QVERIFY2(!QSettings().contains(c.key) && c.get(p) != c.value, qPrintable(c.key));
            c.set(p);
            QCOMPARE(c.get(p), c.value);
            const QVariant stored = QSettings().value(c.key);
            QSettings().remove(c.key);
            c.set(p);
            QVERIFY2(stored.isValid() && !QSettings().contains(c.key), qPrintable(c.key));
            QSettings().setValue(c.key, stored);
            const QVariantList arguments = c.signal.startsWith(QLatin1String("prefixSuffix"))
                ? QVariantList{p->columnsPrefix(), p->columnsSuffix()} : QVariantList{c.value};
            QCOMPARE(spies.fired(), (c.signal.isEmpty() ? Fired() : Fired{{c.signal, arguments}}));
        }
        P::destroy();
        QVERIFY(QFile::exists(m_settingsFile));
        AllSignals spies(P::instance());
        QSettings().clear();
        for (const Change& c : changes()) {
            QVERIFY2(c.get(P::instance()) == c.value, qPrintable(c.key));
            c.setHeld(P::instance());
        }
        QCOMPARE(spies.fired(), Fired());
        QCOMPARE(QSettings().allKeys(), QStringList());
        // Only the text of a history pair differs: still a change.
        P::instance()->setFindFindText(P::instance()->findFindList(), QStringLiteral("hay"));
        P::destroy();
        QCOMPARE(P::instance()->findFindWhat(), QStringLiteral("hay"));
    }

    // Stored values are text, as they come back from a settings file; the getter is the one of the table above.
    void readRules_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("expected");
        const auto row = [](const char* key, const QVariant& stored, const QVariant& expected) {
            QTest::addRow("%s=%s", key, qPrintable(stored.toString())) << QString::fromLatin1(key) << stored << expected;
        };
        row("Misc/ResizeColumn", "four", 2);
        row("Gui/HideStatusBar", "1", true);
        row("Gui/HideStatusBar", "maybe", false);
        row("Editor/HighlightCurrentLineColor", "#12345z", QColor());
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
        const std::vector<Change> all = changes();
        const auto c = std::find_if(all.begin(), all.end(), [&key](const Change& x) { return x.key == key; });
        QVERIFY(c != all.end());
        QCOMPARE(c->get(P::instance()), expected);
        // Loading never writes, not even to mend a bad value.
        P::destroy();
        QCOMPARE(QSettings().value(key), stored);
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
