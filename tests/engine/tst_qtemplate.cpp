// The template file: round trips, the column-count bound, writing only what changed, failed writes.

#include "TestSupport.h"
#include "engine/QTemplate.h"
#include "settings/Preferences.h"

#include <QtTest>

#include <sys/resource.h>

#include <csignal>

using Column = QTemplate::Column;
using Columns = QList<Column>;

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QString path(const QString& name) { static QTemporaryDir dir; return dir.filePath(name); }

// Settings objects on one path share what they parsed, so a true re-read goes through a copy.
QSharedPointer<QTemplate> reopen(const QString& file)
{
    static int serial = 0;
    const QString copy = path(QStringLiteral("copy%1.s").arg(++serial));
    QFile::copy(file, copy);
    return QSharedPointer<QTemplate>::create(copy);
}

const QStringList awkward = QStringList{"line one\nline two\r\nline three\rend", "trailing break\r\n", "a, b,c",
    "\"double\" and 'single' quotes \"", "key=value; comment # hash", "# starts like a comment", "[column9]", "@@",
    "  leading and trailing  ", "back\\slash \\n \\x41 \\", "%41 %%", "@Invalid()", "@ByteArray(abc)", "true", "42",
    "\x01\x1f\x7f", "", "\r", "\n", "\t", "\"", "'", "=", ";", ",", " "}
                             << QString::fromUtf8("Grüße — 東京 \xF0\x9F\x98\x80 עברית");

} // namespace

class TestQTemplate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void roundTrip();
    void columnCount_data();
    void columnCount();
    void savingTwiceWritesNothing();
    void failedSaveKeepsOldFile();
};

void TestQTemplate::initTestCase()
{
    TestSupport::useTemporaryConfigHome();
    Preferences::instance()->setColumnsStartColumns(2);
}

void TestQTemplate::roundTrip()
{
    // Awkward values as template, content and snippet in four columns, then random joins of them.
    const QString file = path(QStringLiteral("roundtrip.s"));
    QTemplate tpl(file);
    const int count = awkward.size();
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    const auto value = [&](int round, int n) {
        QString text = round < count ? awkward[(round + n) % count] : QString();
        for (int i = round < count ? 0 : random.bounded(0, 6); i > 0; --i)
            text += awkward[random.bounded(count)];
        return text;
    };
    for (int round = 0; round < count + 200; ++round) {
        Columns columns;
        for (int n = 0, width = round < count ? 4 : random.bounded(0, 5); n < width; ++n)
            columns << Column(value(round, n), value(round, n + 7));
        const QString text = value(round, 0) + value(round, 3);
        tpl.setMultiLine(round % 2 == 0);
        tpl.setTemplate(text);
        tpl.setColumns(columns);
        const QByteArray context = QStringLiteral("seed %1 round %2").arg(seed).arg(round).toLatin1();
        QVERIFY2(tpl.sync(), context);
        const auto back = reopen(file);
        QVERIFY2(back->status() == QSettings::NoError && back->isMultiLine() == (round % 2 == 0), context);
        QVERIFY2(back->templateText() == text && back->metaCounts() == columns.size(), context);
        QVERIFY2(back->columns() == columns, context);
    }
}

void TestQTemplate::columnCount_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("columns");
    QTest::newRow("two billion") << QByteArray("2000000000") << 2000000000 << 4;
    QTest::newRow("five") << QByteArray("5") << 5 << 4;
    QTest::newRow("three") << QByteArray("3") << 3 << 3;
    QTest::newRow("zero") << QByteArray("0") << 0 << 0;
    QTest::newRow("minus one") << QByteArray("-1") << -1 << 0;
    QTest::newRow("int minimum") << QByteArray("-2147483648") << INT_MIN << 0;
    QTest::newRow("beyond int") << QByteArray("99999999999") << INT_MAX << 4;
    QTest::newRow("not a number: start columns") << QByteArray("many") << 2 << 2;
}

void TestQTemplate::columnCount()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, count);
    QFETCH(int, columns);
    QByteArray original = "[global]\nmultiline=false\ntemplate=t\nmetacounts=" + stored + "\nkeepme=1\n";
    for (int n = 0; n < 5; ++n)
        original += QStringLiteral("[column%1]\ncontent=c%1\nsnippet=s%1\n").arg(n).toLatin1();
    const QString file = path(QStringLiteral("count%1.s").arg(QString::fromLatin1(stored)));
    writeBytes(file, original);
    QTemplate tpl(file);
    QCOMPARE(tpl.metaCounts(), count);
    Columns shown = tpl.columns();
    QCOMPARE(shown.size(), columns);
    for (int n = 0; n < columns; ++n)
        QCOMPARE(shown.at(n), Column(QStringLiteral("c%1").arg(n), QStringLiteral("s%1").arg(n)));

    // The window gives back what it showed: nothing changed, nothing is written.
    tpl.setMultiLine(false);
    tpl.setTemplate(QStringLiteral("t"));
    tpl.setColumns(shown);
    QVERIFY(!tpl.hasUnsavedChanges() && tpl.sync());
    QCOMPARE(readBytes(file), original);
    if (columns == 0)
        return;
    // An edited column rewrites the columns with their count, and leaves the rest of the file alone.
    shown[0].first = QStringLiteral("edited");
    tpl.setColumns(shown);
    QVERIFY(tpl.sync());
    Preferences::instance()->setColumnsStartColumns(3);
    const auto back = reopen(file);
    Preferences::instance()->setColumnsStartColumns(2);
    QCOMPARE(back->metaCounts(), columns);
    QCOMPARE(back->columns(), shown);
    QVERIFY(readBytes(file).contains("keepme=1") && readBytes(file).contains("content=c4"));
}

void TestQTemplate::savingTwiceWritesNothing()
{
    const QString file = path(QStringLiteral("twice.s"));
    QTemplate tpl(file);
    // Nothing differs from a missing file's defaults, yet saving must create the file.
    QVERIFY(!tpl.hasUnsavedChanges() && tpl.sync());
    QCOMPARE(reopen(file)->columns(), (Columns{{"", "#1#"}, {"", "#2#"}}));

    const Columns columns{{"a\nb", "#1#"}, {"c", "#2#"}, {"d", "#3#"}};
    tpl.setTemplate(QStringLiteral("#1#-#2#"));
    tpl.setColumns(columns);
    QVERIFY(tpl.sync());
    // Spaced the way the settings library never writes, so any rewrite would show.
    const QByteArray touched = readBytes(file) + "\n[extra]\nkey = kept\n";
    writeBytes(file, touched);
    tpl.setTemplate(QStringLiteral("#1#-#2#"));
    tpl.setColumns(columns);
    QVERIFY(!tpl.hasUnsavedChanges() && tpl.sync() && tpl.sync());
    QCOMPARE(readBytes(file), touched);
}

void TestQTemplate::failedSaveKeepsOldFile()
{
    // A short write, as on a full disk: reported, the old file as it was, no draft left behind.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("t.s"));
    const QByteArray before = "[global]\nmultiline=true\ntemplate=old\nmetacounts=1\n[column0]\ncontent=keep\n";
    writeBytes(file, before);
    QTemplate tpl(file);
    tpl.setMultiLine(false);
    tpl.setTemplate(QString(200000, QLatin1Char('x')));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
    const rlimit limit{8192, old.rlim_max};
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
    const bool saved = tpl.sync();
    QVERIFY(setrlimit(RLIMIT_FSIZE, &old) == 0);
    QVERIFY(!saved && tpl.status() != QSettings::NoError && tpl.hasUnsavedChanges());
    QCOMPARE(readBytes(file), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("t.s")});

    // Back to the file's values but for the column: the next save writes them all.
    tpl.setMultiLine(true);
    tpl.setTemplate(QStringLiteral("old"));
    tpl.setColumns({{"kept", "#1#"}});
    QVERIFY(tpl.sync());
    const auto back = reopen(file);
    QVERIFY(back->isMultiLine() && back->templateText() == QStringLiteral("old"));
    QCOMPARE(back->columns(), (Columns{{"kept", "#1#"}}));
}

QTEST_GUILESS_MAIN(TestQTemplate)
#include "tst_qtemplate.moc"
