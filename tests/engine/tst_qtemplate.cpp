// The template file: defaults, the column-count bound, byte-exact round trips of awkward values, writing
// only what changed, keeping unknown keys, and failed writes that must be reported and lose nothing.

#include "TestSupport.h"
#include "engine/QTemplate.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <memory>

using Column = QTemplate::Column;
using Columns = QList<Column>;

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

// Settings objects on one path share what they parsed, so a true re-read goes through a copy.
QString freshCopy(const QString& path)
{
    static int serial = 0;
    static QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("copy%1.s").arg(++serial));
    QFile::copy(path, copy);
    return copy;
}

std::unique_ptr<QTemplate> reopen(const QString& path)
{
    return std::make_unique<QTemplate>(freshCopy(path));
}

QVariant rawValue(const QString& path, const QString& key)
{
    const QSettings settings(freshCopy(path), QSettings::IniFormat);
    return settings.value(key);
}

QByteArray fiveColumnFile(const QByteArray& count)
{
    QByteArray text = "[global]\nmultiline=false\ntemplate=t\nmetacounts=" + count + "\nkeepme=1\n";
    for (int n = 0; n < 5; ++n)
        text += QStringLiteral("[column%1]\ncontent=c%1\nsnippet=s%1\n").arg(n).toLatin1();
    return text;
}

// Makes every file write past the limit fail short, as a full disk does.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() { lift(); }
    void lift()
    {
        if (m_active)
            setrlimit(RLIMIT_FSIZE, &m_old);
        m_active = false;
    }
    bool active() const { return m_active; }

private:
    rlimit m_old{};
    bool m_active = false;
};

const QString awkward[] = {
    QStringLiteral("line one\nline two\r\nline three\rend"),
    QStringLiteral("\n"),
    QStringLiteral("trailing break\r\n"),
    QStringLiteral("\"double\" and 'single' quotes \""),
    QStringLiteral("key=value; comment # hash"),
    QStringLiteral("; starts like a comment"),
    QStringLiteral("# starts like a comment"),
    QStringLiteral("a, b,c"),
    QStringLiteral("[column9]"),
    QStringLiteral("  leading and trailing  "),
    QStringLiteral(" "),
    QStringLiteral("\ttab\t"),
    QStringLiteral("back\\slash \\n \\x41 \\"),
    QStringLiteral("%41 %%"),
    QStringLiteral("@Invalid()"),
    QStringLiteral("@ByteArray(abc)"),
    QStringLiteral("@Variant(\\0\\0)"),
    QStringLiteral("@@"),
    QString::fromUtf8("Grüße, naïve café — 東京 \xF0\x9F\x98\x80 עברית"),
    QString::fromUtf8("\xC3\xBF\xC2\x80 latin-1 top"),
    QStringLiteral("\x01\x1f\x7f control"),
    QStringLiteral("true"),
    QStringLiteral("42"),
    QString(),
};

QString randomAwkwardText(QRandomGenerator& random)
{
    static const QString alphabet = QString::fromUtf8(" \t\r\n\"'=;#,[]\\%@xX09aFf\xC3\xA9\xE2\x82\xAC\xE6\x9D\xB1");
    QString text;
    const int length = random.bounded(0, 24);
    for (int i = 0; i < length; ++i) {
        if (random.bounded(10) == 0)
            text += QString::fromUtf8("\xF0\x9F\x98\x80"); // a surrogate pair
        else
            text += alphabet.at(random.bounded(alphabet.size()));
    }
    return text;
}

} // namespace

class TestQTemplate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void missingFileGivesDefaults_data();
    void missingFileGivesDefaults();
    void readsHandWrittenFile();
    void columnCountIsBounded_data();
    void columnCountIsBounded();
    void oversizedCountSavesOnlyChanges_data();
    void oversizedCountSavesOnlyChanges();
    void fourColumnsRoundTripExactly();
    void randomValuesRoundTrip();
    void savingTwiceWritesNothing();
    void unknownKeysAreKept();
    void fewerColumnsLeaveOldGroups();
    void newFileGetsWholeState();
    void countIsStoredWithColumns();
    void unwritableTargetFails_data();
    void unwritableTargetFails();
    void unreadableFileIsReportedAndKept();
    void shortWriteKeepsOldFile();
    void undoneChangeAfterFailureIsWritten();
    void malformedFileIsRewrittenOrKept();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

void TestQTemplate::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
    QCoreApplication::setOrganizationDomain(QStringLiteral("Vardel"));
    QCoreApplication::setApplicationName(QStringLiteral("Lineweld"));
    QVERIFY(m_dir.isValid());
}

void TestQTemplate::init()
{
    Preferences* prefs = Preferences::instance();
    prefs->setColumnsStartColumns(2);
    prefs->setColumnsPrefix(QStringLiteral("#"));
    prefs->setColumnsSuffix(QStringLiteral("#"));
}

void TestQTemplate::missingFileGivesDefaults_data()
{
    QTest::addColumn<int>("startColumns");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QStringList>("snippets");

    QTest::newRow("hashes") << 3 << "#" << "#" << QStringList{"#1#", "#2#", "#3#"};
    QTest::newRow("brackets") << 2 << "<" << ">" << QStringList{"<1>", "<2>"};
    // A '%' in the prefix must stay text, not become a place holder.
    QTest::newRow("percent prefix") << 2 << "%2" << "%1" << QStringList{"%21%1", "%22%1"};
    QTest::newRow("no columns") << 0 << "#" << "#" << QStringList{};
    QTest::newRow("more than the row holds") << 7 << "" << "" << QStringList{"1", "2", "3", "4"};
}

void TestQTemplate::missingFileGivesDefaults()
{
    QFETCH(int, startColumns);
    QFETCH(QString, prefix);
    QFETCH(QString, suffix);
    QFETCH(QStringList, snippets);
    Preferences::instance()->setColumnsStartColumns(startColumns);
    Preferences::instance()->setColumnsPrefix(prefix);
    Preferences::instance()->setColumnsSuffix(suffix);

    const QString file = path(QStringLiteral("missing.s"));
    QTemplate tpl(file);
    QCOMPARE(tpl.status(), QSettings::NoError);
    QCOMPARE(tpl.isMultiLine(), true);
    QCOMPARE(tpl.templateText(), QString());
    QCOMPARE(tpl.metaCounts(), startColumns);
    QStringList got;
    for (const Column& column : tpl.columns()) {
        QCOMPARE(column.first, QString());
        got << column.second;
    }
    QCOMPARE(got, snippets);
    QVERIFY(!QFileInfo::exists(file)); // reading creates nothing
}

void TestQTemplate::readsHandWrittenFile()
{
    const QString file = path(QStringLiteral("hand.s"));
    writeBytes(file, "[global]\nmultiline=false\ntemplate=a,b\nmetacounts=3\n"
                     "[column0]\ncontent=x\nsnippet=$x\n[column1]\nsnippet=$y\n[column2]\ncontent=\"1\\n2\"\n");
    QTemplate tpl(file);
    QCOMPARE(tpl.status(), QSettings::NoError);
    QCOMPARE(tpl.isMultiLine(), false);
    QCOMPARE(tpl.templateText(), QStringLiteral("a,b"));
    QCOMPARE(tpl.metaCounts(), 3);
    const Columns expected{{"x", "$x"}, {"", "$y"}, {"1\n2", "#3#"}};
    QCOMPARE(tpl.columns(), expected);
}

void TestQTemplate::columnCountIsBounded_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("columns");

    QTest::newRow("two billion") << QByteArray("2000000000") << 2000000000 << 4;
    QTest::newRow("five") << QByteArray("5") << 5 << 4;
    QTest::newRow("four") << QByteArray("4") << 4 << 4;
    QTest::newRow("three") << QByteArray("3") << 3 << 3;
    QTest::newRow("one") << QByteArray("1") << 1 << 1;
    QTest::newRow("zero") << QByteArray("0") << 0 << 0;
    QTest::newRow("minus one") << QByteArray("-1") << -1 << 0;
    QTest::newRow("int minimum") << QByteArray("-2147483648") << INT_MIN << 0;
    QTest::newRow("beyond int") << QByteArray("99999999999") << INT_MAX << 4;
    QTest::newRow("far below int") << QByteArray("-99999999999") << INT_MIN << 0;
    QTest::newRow("not a number") << QByteArray("many") << 2 << 2;
}

void TestQTemplate::columnCountIsBounded()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, count);
    QFETCH(int, columns);
    const QString file = path(QStringLiteral("count.s"));
    writeBytes(file, fiveColumnFile(stored));

    QTemplate tpl(file);
    QCOMPARE(tpl.metaCounts(), count);
    QCOMPARE(tpl.columns().size(), columns);
    for (int n = 0; n < columns; ++n)
        QCOMPARE(tpl.columns().at(n), Column(QStringLiteral("c%1").arg(n), QStringLiteral("s%1").arg(n)));
}

void TestQTemplate::oversizedCountSavesOnlyChanges_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("two billion") << QByteArray("2000000000");
    QTest::newRow("five") << QByteArray("5");
}

void TestQTemplate::oversizedCountSavesOnlyChanges()
{
    QFETCH(QByteArray, stored);
    const QString file = path(QStringLiteral("oversized.s"));
    const QByteArray original = fiveColumnFile(stored);
    writeBytes(file, original);

    QTemplate tpl(file);
    const Columns shown = tpl.columns();
    QCOMPARE(shown.size(), QTemplate::MaxColumns);

    // The window gives back what it showed: nothing changed, nothing is written.
    tpl.setMultiLine(false);
    tpl.setTemplate(QStringLiteral("t"));
    tpl.setColumns(shown);
    QVERIFY(!tpl.hasUnsavedChanges());
    QVERIFY(tpl.sync());
    QCOMPARE(readBytes(file), original);

    Columns changed = shown;
    changed[1].first = QStringLiteral("edited");
    tpl.setColumns(changed);
    QVERIFY(tpl.sync());
    QCOMPARE(rawValue(file, QStringLiteral("global/metacounts")).toInt(), 4);
    QCOMPARE(rawValue(file, QStringLiteral("column4/content")).toString(), QStringLiteral("c4"));
    QCOMPARE(rawValue(file, QStringLiteral("global/keepme")).toString(), QStringLiteral("1"));
    QCOMPARE(reopen(file)->columns(), changed);
}

void TestQTemplate::fourColumnsRoundTripExactly()
{
    const QString file = path(QStringLiteral("roundtrip.s"));
    QFile::remove(file);
    const int count = int(sizeof(awkward) / sizeof(awkward[0]));
    QTemplate tpl(file);
    // Every awkward value turns up as a template, a content and a snippet, each in every column.
    for (int shift = 0; shift < count; ++shift) {
        Columns columns;
        for (int n = 0; n < 4; ++n)
            columns << Column(awkward[(shift + n) % count], awkward[(shift + n + 7) % count]);
        const QString text = awkward[shift] + awkward[(shift + 3) % count];
        tpl.setMultiLine(shift % 2 == 0);
        tpl.setTemplate(text);
        tpl.setColumns(columns);
        QVERIFY(tpl.sync());

        const auto back = reopen(file);
        QCOMPARE(back->status(), QSettings::NoError);
        QCOMPARE(back->isMultiLine(), shift % 2 == 0);
        QCOMPARE(back->templateText(), text);
        QCOMPARE(back->metaCounts(), 4);
        QCOMPARE(back->columns(), columns);
    }
}

void TestQTemplate::randomValuesRoundTrip()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    const QString file = path(QStringLiteral("random.s"));
    QFile::remove(file);
    QTemplate tpl(file);
    for (int round = 0; round < 150; ++round) {
        Columns columns;
        const int count = random.bounded(0, 5);
        for (int n = 0; n < count; ++n)
            columns << Column(randomAwkwardText(random), randomAwkwardText(random));
        const QString text = randomAwkwardText(random);
        tpl.setTemplate(text);
        tpl.setColumns(columns);
        QVERIFY2(tpl.sync(), qPrintable(QStringLiteral("seed %1").arg(seed)));

        const auto back = reopen(file);
        QVERIFY2(back->templateText() == text, qPrintable(QStringLiteral("seed %1 round %2").arg(seed).arg(round)));
        QVERIFY2(back->columns() == columns, qPrintable(QStringLiteral("seed %1 round %2").arg(seed).arg(round)));
    }
}

void TestQTemplate::savingTwiceWritesNothing()
{
    const QString file = path(QStringLiteral("twice.s"));
    QFile::remove(file);
    const Columns columns{{"a\nb", "#1#"}, {"c", "#2#"}, {"d", "#3#"}};
    QTemplate tpl(file);
    tpl.setMultiLine(false);
    tpl.setTemplate(QStringLiteral("#1#-#2#"));
    tpl.setColumns(columns);
    QVERIFY(tpl.sync());

    // Spaced the way the settings library never writes, so any rewrite would show.
    const QByteArray touched = readBytes(file) + "\n[extra]\nkey = kept\n";
    writeBytes(file, touched);

    tpl.setMultiLine(false);
    tpl.setTemplate(QStringLiteral("#1#-#2#"));
    tpl.setColumns(columns);
    QVERIFY(!tpl.hasUnsavedChanges());
    QVERIFY(tpl.sync());
    QVERIFY(tpl.sync());
    QCOMPARE(readBytes(file), touched);
}

void TestQTemplate::unknownKeysAreKept()
{
    const QString file = path(QStringLiteral("unknown.s"));
    writeBytes(file, "[global]\ntemplate=old\nauthor=someone\n[column0]\ncontent=x\nnote=n0\n[other]\nlist=a, b\n");
    QTemplate tpl(file);
    tpl.setTemplate(QStringLiteral("new"));
    tpl.setColumns({{"y", "#1#"}});
    QVERIFY(tpl.sync());
    QCOMPARE(rawValue(file, QStringLiteral("global/template")).toString(), QStringLiteral("new"));
    QCOMPARE(rawValue(file, QStringLiteral("global/author")).toString(), QStringLiteral("someone"));
    QCOMPARE(rawValue(file, QStringLiteral("column0/note")).toString(), QStringLiteral("n0"));
    QCOMPARE(rawValue(file, QStringLiteral("other/list")).toStringList(), (QStringList{"a", "b"}));
}

void TestQTemplate::fewerColumnsLeaveOldGroups()
{
    const QString file = path(QStringLiteral("shrink.s"));
    QFile::remove(file);
    QTemplate tpl(file);
    tpl.setColumns({{"a", "#1#"}, {"b", "#2#"}, {"c", "#3#"}});
    QVERIFY(tpl.sync());
    QCOMPARE(rawValue(file, QStringLiteral("global/metacounts")).toInt(), 3);
    QCOMPARE(rawValue(file, QStringLiteral("column2/content")).toString(), QStringLiteral("c"));

    tpl.setColumns({{"A", "#1#"}, {"b", "#2#"}});
    QVERIFY(tpl.sync());
    QCOMPARE(rawValue(file, QStringLiteral("global/metacounts")).toInt(), 2);
    QCOMPARE(rawValue(file, QStringLiteral("column0/content")).toString(), QStringLiteral("A"));
    QCOMPARE(rawValue(file, QStringLiteral("column2/content")).toString(), QStringLiteral("c"));
    QCOMPARE(reopen(file)->columns(), (Columns{{"A", "#1#"}, {"b", "#2#"}}));

    // Extra columns are dropped rather than written where no reader looks.
    tpl.setColumns({{"1", "a"}, {"2", "b"}, {"3", "c"}, {"4", "d"}, {"5", "e"}});
    QCOMPARE(tpl.columns().size(), QTemplate::MaxColumns);
    QVERIFY(tpl.sync());
    QCOMPARE(rawValue(file, QStringLiteral("global/metacounts")).toInt(), 4);
    QVERIFY(!rawValue(file, QStringLiteral("column4/content")).isValid());
}

void TestQTemplate::newFileGetsWholeState()
{
    const QString file = path(QStringLiteral("new.s"));
    QFile::remove(file);
    QTemplate tpl(file);
    // The window's state equals the defaults of a missing file: there is no change, yet the file must exist.
    tpl.setMultiLine(true);
    tpl.setTemplate(QString());
    tpl.setColumns({{"", "#1#"}, {"", "#2#"}});
    QVERIFY(!tpl.hasUnsavedChanges());
    QVERIFY(tpl.sync());
    QVERIFY(QFileInfo(file).isFile());

    // Read with other preferences, the file still gives what was saved.
    Preferences::instance()->setColumnsStartColumns(4);
    Preferences::instance()->setColumnsPrefix(QStringLiteral("<"));
    const auto back = reopen(file);
    QCOMPARE(back->isMultiLine(), true);
    QCOMPARE(back->columns(), (Columns{{"", "#1#"}, {"", "#2#"}}));

    // A file deleted behind the object's back is written again in full.
    QVERIFY(QFile::remove(file));
    QVERIFY(tpl.sync());
    QCOMPARE(reopen(file)->columns(), (Columns{{"", "#1#"}, {"", "#2#"}}));
}

void TestQTemplate::countIsStoredWithColumns()
{
    // No count in the file: the start-columns preference (2) gave the count, and saving two columns does
    // not change it; it must be stored all the same, or another preference would read other columns.
    const QString file = path(QStringLiteral("nocount.s"));
    writeBytes(file, "[column0]\ncontent=a\n[column1]\ncontent=b\n[column2]\ncontent=old\n");
    QTemplate tpl(file);
    QCOMPARE(tpl.columns().size(), 2);
    tpl.setColumns({{"A", "#1#"}, {"b", "#2#"}});
    QVERIFY(tpl.sync());
    QCOMPARE(rawValue(file, QStringLiteral("global/metacounts")), QVariant(QStringLiteral("2")));
    Preferences::instance()->setColumnsStartColumns(3);
    QCOMPARE(reopen(file)->columns().size(), 2);
}

void TestQTemplate::unwritableTargetFails_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("path is a folder") << "folder";
    QTest::newRow("parent is a file") << "under file";
    QTest::newRow("read-only folder") << "read-only";
}

void TestQTemplate::unwritableTargetFails()
{
    QFETCH(QString, kind);
    QString name = kind;
    const QString base = path(QStringLiteral("unwritable-") + name.replace(QLatin1Char(' '), QLatin1Char('-')));
    QString file;
    QByteArray before;
    if (kind == QLatin1String("folder")) {
        file = base;
        QVERIFY(QDir().mkpath(file));
    } else if (kind == QLatin1String("under file")) {
        writeBytes(base, "a plain file");
        file = base + QStringLiteral("/t.s");
    } else {
        if (geteuid() == 0)
            QSKIP("permissions do not bind the superuser");
        QVERIFY(QDir().mkpath(base));
        file = base + QStringLiteral("/t.s");
        writeBytes(file, "[global]\ntemplate=old\n");
        QVERIFY(QFile::setPermissions(base, QFile::ReadOwner | QFile::ExeOwner));
    }
    before = readBytes(file);

    QTemplate tpl(file);
    // A folder cannot be read either, and says so.
    QCOMPARE(tpl.status(), kind == QLatin1String("folder") ? QSettings::AccessError : QSettings::NoError);
    tpl.setTemplate(QStringLiteral("new text"));
    tpl.setColumns({{"x", "#1#"}});
    QVERIFY(!tpl.sync());
    QCOMPARE(tpl.status(), QSettings::AccessError);
    QVERIFY(tpl.hasUnsavedChanges());
    QCOMPARE(readBytes(file), before);

    // Once the cause is gone, the next save writes everything that failed before.
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(file).removeRecursively());
    } else if (kind == QLatin1String("under file")) {
        QVERIFY(QFile::remove(base));
        QVERIFY(QDir().mkpath(base));
    } else {
        QVERIFY(QFile::setPermissions(base, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    QVERIFY(tpl.sync());
    QCOMPARE(tpl.status(), QSettings::NoError);
    QVERIFY(!tpl.hasUnsavedChanges());
    const auto back = reopen(file);
    QCOMPARE(back->templateText(), QStringLiteral("new text"));
    QCOMPARE(back->columns(), (Columns{{"x", "#1#"}}));
}

void TestQTemplate::unreadableFileIsReportedAndKept()
{
    if (geteuid() == 0)
        QSKIP("permissions do not bind the superuser");
    const QString file = path(QStringLiteral("unreadable.s"));
    writeBytes(file, "[global]\ntemplate=secret\n");
    QVERIFY(QFile::setPermissions(file, QFile::WriteOwner));
    QTemplate tpl(file);
    // Defaults only: the caller must not take them for the file's content.
    QCOMPARE(tpl.status(), QSettings::AccessError);
    QCOMPARE(tpl.templateText(), QString());
    QVERIFY(!tpl.sync());
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(readBytes(file), QByteArray("[global]\ntemplate=secret\n"));
}

void TestQTemplate::shortWriteKeepsOldFile()
{
    const QString folder = path(QStringLiteral("short"));
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/t.s");
    writeBytes(file, "[global]\nmultiline=true\ntemplate=old\nmetacounts=1\n[column0]\ncontent=keep\n");
    const QByteArray before = readBytes(file);

    QTemplate tpl(file);
    const QString big(200000, QLatin1Char('x'));
    tpl.setTemplate(big);
    {
        FileSizeLimit limit(8192);
        QVERIFY(limit.active());
        QVERIFY(!tpl.sync());
    }
    QCOMPARE(readBytes(file), before);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("t.s")});

    QVERIFY(tpl.sync());
    const auto back = reopen(file);
    QCOMPARE(back->templateText(), big);
    QCOMPARE(back->columns(), (Columns{{"keep", "#1#"}}));
}

void TestQTemplate::undoneChangeAfterFailureIsWritten()
{
    const QString file = path(QStringLiteral("undone.s"));
    writeBytes(file, "[global]\nmultiline=true\ntemplate=small\n");
    QTemplate tpl(file);
    tpl.setMultiLine(false);
    tpl.setTemplate(QString(200000, QLatin1Char('y')));
    {
        FileSizeLimit limit(8192);
        QVERIFY(limit.active());
        QVERIFY(!tpl.sync());
    }
    // Back to the values of the file: whatever the failed attempt left behind must not come through.
    tpl.setMultiLine(true);
    tpl.setTemplate(QStringLiteral("small"));
    QVERIFY(tpl.sync());
    const auto back = reopen(file);
    QCOMPARE(back->isMultiLine(), true);
    QCOMPARE(back->templateText(), QStringLiteral("small"));
}

void TestQTemplate::malformedFileIsRewrittenOrKept()
{
    const QString file = path(QStringLiteral("malformed.s"));
    const QByteArray broken = "[global]\ntemplate=old\n[broken\nkey=1\n";
    writeBytes(file, broken);
    QTemplate tpl(file);
    QCOMPARE(tpl.status(), QSettings::FormatError);
    QCOMPARE(tpl.templateText(), QStringLiteral("old"));

    tpl.setTemplate(QString(200000, QLatin1Char('z')));
    {
        FileSizeLimit limit(8192);
        QVERIFY(limit.active());
        QVERIFY(!tpl.sync());
    }
    QCOMPARE(readBytes(file), broken);

    tpl.setTemplate(QStringLiteral("new"));
    QVERIFY(tpl.sync());
    QCOMPARE(tpl.status(), QSettings::NoError);
    const auto back = reopen(file);
    QCOMPARE(back->status(), QSettings::NoError);
    QCOMPARE(back->templateText(), QStringLiteral("new"));
}

QTEST_GUILESS_MAIN(TestQTemplate)
#include "tst_qtemplate.moc"
