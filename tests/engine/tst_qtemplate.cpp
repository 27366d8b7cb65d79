// The template file: defaults, round trips, the column-count bound, writing only what changed, failures.

#include "TestSupport.h"
#include "engine/QTemplate.h"

#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

using Columns = QList<QTemplate::Column>;

namespace {

using TestSupport::readBytes;
using TestSupport::writeBytes;

const QStringList awkward{"1\n2\r\n3\r4", "x\r\n", "a, b,c", "=", ";", ",", "\"dq\" 'sq' \"", "k=v; c # h", "# comment",
    "[column9]", "@@", "  both ends  ", "\\ \\n \\x41 \\", "%41 %%", "@Invalid()", "@ByteArray(a)", "true", "42",
    "\x01\x1f\x7f", "", "\r", "\n", "\t", "\"", "'", " ", "Grüße — 東京 😀 עברית"};

} // namespace

class TestQTemplate : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TestSupport::useTemporaryConfigHome(); // with its start-columns preference of 2
        std::signal(SIGXFSZ, SIG_IGN); // a write past the size limit fails instead of ending the test
    }

    void roundTrip()
    {
        // Every awkward value alone as a content and as a snippet, and joined to another in the template.
        const QString file = m_dir.filePath(QStringLiteral("roundtrip.s"));
        QTemplate tpl(file);
        const int count = awkward.size();
        for (int round = 0; round < count; ++round) {
            const auto value = [&](int n) { return awkward.at((round + n) % count); };
            Columns columns;
            for (int n = 0; n <= round % 4; ++n) // fewer columns follow more
                columns.append({value(n), value(n + 7)});
            tpl.setMultiLine(round % 2 == 0);
            tpl.setTemplate(value(3) + value(5));
            tpl.setColumns(columns);
            const QByteArray context = "round " + QByteArray::number(round);
            QVERIFY2(tpl.sync(), context);
            const QTemplate back(file);
            QVERIFY2(back.status() == QSettings::NoError && back.isMultiLine() == (round % 2 == 0), context);
            QVERIFY2(back.templateText() == value(3) + value(5) && back.columns() == columns, context);
        }
    }

    void columnCount_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columns");
        const struct { const char* stored; int count, columns; } rows[] = {{"2000000000", 2000000000, 4},
            {"5", 5, 4}, {"3", 3, 3}, {"0", 0, 0}, {"-1", -1, 0}, {"-99999999999", INT_MIN, 0},
            {"99999999999", INT_MAX, 4}, {"not a number", 2, 2}}; // the last from the start-columns preference
        for (const auto& row : rows)
            QTest::newRow(row.stored) << QByteArray(row.stored) << row.count << row.columns;
    }
    void columnCount()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, count);
        QFETCH(int, columns);
        // Spaced the way the settings library never writes, so that any rewrite would show.
        QByteArray original = "[global]\nmultiline = false\ntemplate = t\nmetacounts = " + stored + "\n";
        Columns shown;
        for (int n = 0; n < 5; ++n) {
            original += QStringLiteral("[column%1]\ncontent = c%1\nsnippet = s%1\n").arg(n).toLatin1();
            if (n < columns)
                shown.append({QStringLiteral("c%1").arg(n), QStringLiteral("s%1").arg(n)});
        }
        const QString file = m_dir.filePath(QString::fromLatin1("count " + stored));
        QVERIFY(writeBytes(file, original));
        QTemplate tpl(file);
        QVERIFY(tpl.metaCounts() == count && tpl.columns() == shown);
        // The window gives back what it showed: nothing changed, nothing is written.
        tpl.setMultiLine(false);
        tpl.setTemplate(QStringLiteral("t"));
        tpl.setColumns(shown);
        QVERIFY(!tpl.hasUnsavedChanges() && tpl.sync() && readBytes(file) == original);
        // A change writes its key alone: a template edited in the file meanwhile stays, and so does the count.
        tpl.setMultiLine(true);
        QVERIFY(writeBytes(file, original.replace("template = t", "template = edited")) && tpl.sync());
        const QTemplate back(file);
        QVERIFY(back.isMultiLine() && back.templateText() == "edited");
        QVERIFY(back.metaCounts() == count && back.columns() == shown);
        const QByteArray saved = readBytes(file) + "[extra]\nkey = kept\n";
        QVERIFY(writeBytes(file, saved) && tpl.sync() && readBytes(file) == saved); // a second save writes nothing
    }

    void readAndSave_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"missing", "empty", "short write", "folder", "read-only folder", "unreadable"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void readAndSave()
    {
        QFETCH(QString, kind);
        const auto is = [&](const char* name) { return kind == QLatin1String(name); };
        const bool fromFile = is("short write") || is("read-only folder"), saves = is("missing") || is("empty");
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("t.s"));
        const QByteArray stored = is("empty") ? "" : "[global]\nmultiline=0\ntemplate=old\n[column0]\ncontent=c\n";
        QVERIFY(is("folder") ? QDir().mkpath(file) : is("missing") || writeBytes(file, stored));
        QVERIFY(chmod(QFile::encodeName(dir.path()), is("read-only folder") ? 0555 : 0755) == 0);
        QVERIFY(!is("unreadable") || chmod(QFile::encodeName(file), 0200) == 0);
        const QByteArray before = readBytes(file);
        // Permissions do not bind the superuser: a run as root becomes "nobody" for the permission cases.
        const bool nobody = (is("read-only folder") || is("unreadable")) && geteuid() == 0;
        if (nobody && seteuid(65534) != 0)
            QSKIP("the superuser cannot become nobody here, so permissions cannot be tried");
        const auto regain = [nobody] { return !nobody || seteuid(0) == 0; };
        const auto guard = qScopeGuard(regain); // also when a check on the way fails
        QTemplate tpl(file);
        // What the file does not give takes its default; a file that is there but cannot be read says so.
        QCOMPARE(tpl.status(), fromFile || saves ? QSettings::NoError : QSettings::AccessError);
        QVERIFY(tpl.isMultiLine() != fromFile && tpl.templateText() == (fromFile ? "old" : ""));
        QCOMPARE(tpl.columns(), (Columns{{fromFile ? "c" : "", "#1#"}, {"", "#2#"}}));
        tpl.setTemplate(QString(200000, QLatin1Char('x')));
        rlimit old{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
        const rlimit cap{is("short write") ? rlim_t(8192) : old.rlim_cur, old.rlim_max}; // as a full disk would
        QVERIFY(setrlimit(RLIMIT_FSIZE, &cap) == 0);
        const bool saved = tpl.sync();
        QVERIFY(setrlimit(RLIMIT_FSIZE, &old) == 0);
        QVERIFY(regain());
        QVERIFY(saved == saves && (tpl.status() == QSettings::NoError) == saves && tpl.hasUnsavedChanges() != saves);
        QVERIFY(saves || readBytes(file) == before); // the old file as it was, and no draft left behind:
        const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(left, QStringList{"t.s"});
        QVERIFY(chmod(QFile::encodeName(dir.path()), 0755) == 0); // so that the folder can go
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestQTemplate)
#include "tst_qtemplate.moc"
