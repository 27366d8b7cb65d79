// The template file: defaults, round trips, the column-count bound, writing only what changed, failures.

#include "TestSupport.h"
#include "editor/TextBytes.h"
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

const QStringList Awkward =
    QStringList{"1\n2\r\n3\r4",    "x\r\n",      "a, b,c",    "=",         ";",  ",",
                "\"dq\" 'sq' \"",  "k=v; c # h", "# comment", "[column9]", "@@", "  both ends  ",
                "\\ \\n \\x41 \\", "%41 %%"} +
    QStringList{"@Invalid()", "@ByteArray(a)",       "true", "42", "\x01\x1f\x7f", "", "\r", "\n", "\t", "\"", "'",
                " ",          "Grüße — 東京 😀 עברית"};

} // namespace

class TestQTemplate : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TestSupport::useTemporaryConfigHome(); // with its start-columns preference of 2
        std::signal(SIGXFSZ, SIG_IGN);         // a write past the size limit fails instead of ending the test
    }

    void editorBytesAsTheStrings()
    {
        // Read for editors, each column's bytes are its text as read for strings, in the editors' encoding,
        // also from a file that the reader leaves to the library; the file is not touched by a save that
        // changes nothing, and a changed text is written.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bytes.s"));
        Columns columns;
        for (int n = 0; n < 4; ++n)
            columns.append({Awkward.mid(n * 6, 6).join(QLatin1Char('\n')), QStringLiteral("#%1#").arg(n + 1)});
        {
            QTemplate tpl(path);
            tpl.setColumns(columns);
            QVERIFY(tpl.sync());
        }
        const QByteArray written = readBytes(path);
        for (const QByteArray& text : {written, QByteArray("\xef\xbb\xbf" + written)}) {
            QVERIFY(writeBytes(path, text));
            const QTemplate strings(path);
            QCOMPARE(strings.columns(), columns);
            for (const bool unicode : {true, false}) {
                QTemplate tpl(path, TemplateDefaults(), {unicode, {}});
                QCOMPARE(tpl.status(), QSettings::NoError);
                const QList<QByteArray> bytes = tpl.takeColumnBytes();
                QCOMPARE(bytes.size(), 4);
                for (int n = 0; n < 4; ++n) {
                    QCOMPARE(bytes.at(n), encodeEditorText(columns.at(n).first, unicode));
                    QCOMPARE(tpl.columns().at(n).second, columns.at(n).second);
                    QCOMPARE(tpl.columns().at(n).first, QString()); // the object holds no text
                }
                QVERIFY(tpl.takeColumnBytes().isEmpty()); // handed over once
                tpl.setColumns(columns);
                QVERIFY(!tpl.hasUnsavedChanges());
                QVERIFY(tpl.sync());
                QCOMPARE(readBytes(path), text);
                QCOMPARE(tpl.columns().at(0).first, QString()); // nor after a save
                Columns changed = columns;
                changed[2].first += QStringLiteral("\nmore");
                tpl.setColumns(changed);
                QVERIFY(tpl.hasUnsavedChanges());
                QVERIFY(tpl.sync());
                QCOMPARE(QTemplate(path).columns(), changed);
                // Back as it was, for the other encoding: compared by digest, the change back is one too.
                tpl.setColumns(columns);
                QVERIFY(tpl.hasUnsavedChanges());
                QVERIFY(tpl.sync());
                QVERIFY(writeBytes(path, text));
            }
        }
    }

    void readStops()
    {
        // A stop asked for during the read ends it with nothing read.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("stop.s"));
        QVERIFY(writeBytes(path, "[global]\ntemplate=t\nmetacounts=1\n[column0]\ncontent=c\n"));
        int asked = 0;
        QTemplate tpl(path, TemplateDefaults(), {true, [&asked] { return ++asked > 0; }});
        QVERIFY(tpl.wasStopped());
        QCOMPARE(tpl.status(), QSettings::AccessError);
        QCOMPARE(tpl.templateText(), QString());
        QVERIFY(tpl.takeColumnBytes().isEmpty());
        QTemplate whole(path, TemplateDefaults(), {true, [] { return false; }});
        QVERIFY(!whole.wasStopped());
        QCOMPARE(whole.templateText(), QStringLiteral("t"));
        QCOMPARE(whole.takeColumnBytes(), QList<QByteArray>{"c"});
    }

    void columnFormats()
    {
        // Escape and format keys are written only where not the default and read back; back to none
        // they go again, and a file without them saves as it always did.
        const QString path = m_dir.filePath(QStringLiteral("formats.s"));
        const QByteArray plain = "[global]\nmetacounts=2\n\n[column0]\ncontent=a\nsnippet=#1#\n\n"
                                 "[column1]\ncontent=b\nsnippet=#2#\n";
        ValueFormat sql;
        sql.escape = ValueEscape::Sql;
        ValueFormat zeros;
        zeros.width = 6;
        zeros.align = ValueFormat::AlignRight;
        zeros.pad = QLatin1Char('0');
        const QList<ValueFormat> none{ValueFormat(), ValueFormat()};
        const auto save = [&path](const QList<ValueFormat>& formats) {
            QTemplate tpl(path);
            tpl.setColumnFormats(formats);
            return tpl.sync();
        };
        QVERIFY(writeBytes(path, plain));
        QCOMPARE(QTemplate(path).columnFormats(), none);
        QVERIFY(save(none));
        QCOMPARE(readBytes(path), plain);
        QVERIFY(save({sql, zeros}));
        const QByteArray written = readBytes(path);
        QVERIFY2(written.contains("escape=sql") && written.contains("format=\"6,right,zero\""), written);
        QVERIFY2(written.count("escape=") == 1, written);
        QCOMPARE(QTemplate(path).columnFormats(), (QList<ValueFormat>{sql, zeros}));
        QVERIFY(save(none));
        const QByteArray cleared = readBytes(path);
        QVERIFY2(!cleared.contains("escape") && !cleared.contains("format"), cleared);
        QVERIFY(cleared.contains("content=a") && cleared.contains("content=b"));
    }

    void roundTrip()
    {
        // Every awkward value alone as a content and as a snippet, and joined to another in the template.
        const QString file = m_dir.filePath(QStringLiteral("roundtrip.s"));
        QTemplate tpl(file);
        const int count = Awkward.size();
        for (int round = 0; round < count; ++round) {
            const auto value = [&](int n) { return Awkward.at((round + n) % count); };
            Columns columns;
            for (int n = 0; n <= round % 4; ++n) // fewer columns follow more
                columns.append({value(n), value(n + 7)});
            tpl.setMultiLine(round % 2 == 0);
            tpl.setTemplate(value(3) + value(5));
            tpl.setColumns(columns);
            const QByteArray context = "round " + QByteArray::number(round);
            QVERIFY2(tpl.sync(), context);
            const QTemplate back(file);
            QCOMPARE(back.status(), QSettings::NoError);
            QCOMPARE(back.isMultiLine(), round % 2 == 0);
            QCOMPARE(back.templateText(), value(3) + value(5));
            QCOMPARE(back.columns(), columns);
        }
    }

    void columnCount_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columns");
        QTest::addRow("two billion") << QByteArray("2000000000") << 2000000000 << 4;
        QTest::addRow("three") << QByteArray("3") << 3 << 3;
        QTest::addRow("zero") << QByteArray("0") << 0 << 0;
        QTest::addRow("minus one") << QByteArray("-1") << -1 << 0;
        QTest::addRow("below int") << QByteArray("-99999999999") << INT_MIN << 0;
        QTest::addRow("above int") << QByteArray("99999999999") << INT_MAX << 4;
        // From the start-columns preference.
        QTest::addRow("not a number") << QByteArray("not a number") << 2 << 2;
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
        QCOMPARE(tpl.metaCounts(), count);
        QCOMPARE(tpl.columns(), shown);
        // The window gives back what it showed: nothing changed, nothing is written.
        tpl.setMultiLine(false);
        tpl.setTemplate(QStringLiteral("t"));
        tpl.setColumns(shown);
        QCOMPARE(tpl.hasUnsavedChanges(), false);
        QVERIFY(tpl.sync());
        QCOMPARE(readBytes(file), original);
        // A change writes its key alone: a template edited in the file meanwhile stays, and so does the count.
        tpl.setMultiLine(true);
        QVERIFY(writeBytes(file, original.replace("template = t", "template = edited")));
        QVERIFY(tpl.sync());
        const QTemplate back(file);
        QCOMPARE(back.isMultiLine(), true);
        QCOMPARE(back.templateText(), QStringLiteral("edited"));
        QCOMPARE(back.metaCounts(), count);
        QCOMPARE(back.columns(), shown);
        const QByteArray saved = readBytes(file) + "[extra]\nkey = kept\n";
        QVERIFY(writeBytes(file, saved));
        QVERIFY(tpl.sync());
        QCOMPARE(readBytes(file), saved); // a second save writes nothing
    }

    // What the library writes for a text with a NUL must open again, under a key of ours or not.
    void nulTextReopens()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("nul.s"));
        QVERIFY(writeBytes(file, "[other]\nkey=kept\n"));
        const QString text = QString::fromLatin1("a\0b", 3);
        {
            QTemplate tpl(file);
            tpl.setTemplate(text);
            QVERIFY(tpl.sync());
        }
        QVERIFY(readBytes(file).contains("@String("));
        QTemplate back(file);
        QCOMPARE(back.status(), QSettings::NoError);
        QCOMPARE(back.templateText(), text);
        back.setTemplate(QStringLiteral("t"));
        QVERIFY(back.sync());
    }

    void encodedValues_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("templateText"); // as read when the file is taken
        // The first row is the file that ended the program: a list of about 10^9 elements to allocate.
        QTest::addRow("huge count") << QByteArray("template=@Variant(\\0\\0\\0\\t7xeOO)") << true << "";
        QTest::addRow("huge count, unknown key") << QByteArray("other=@Variant(\\0\\0\\0\\t7xeOO)") << true << "";
        QTest::addRow("byte array") << QByteArray("template=@ByteArray(x)") << true << "";
        QTest::addRow("spaces around") << QByteArray("template=  @ByteArray(x)  ") << true << "";
        QTest::addRow("quoted") << QByteArray("template=\"@Rect(1 2 3 4)\"") << true << "";
        QTest::addRow("after empty quotes") << QByteArray("template=\"\"@ByteArray(x)") << true << "";
        QTest::addRow("list element") << QByteArray("template=a, @Size(1 2) ") << true << "";
        QTest::addRow("hex escape") << QByteArray("template=\\x0040Size(1 2)") << true << "";
        QTest::addRow("octal escape") << QByteArray("template=\\100Point(1 2)") << true << "";
        QTest::addRow("no value") << QByteArray("template=@Invalid()") << true << "";
        QTest::addRow("string with a NUL, as the library writes it")
            << QByteArray("template=@String(a\\0b)") << false << QString::fromLatin1("a\0b", 3);
        QTest::addRow("doubled at") << QByteArray("template=@@Variant(x)") << false << "@Variant(x)";
        QTest::addRow("at inside") << QByteArray("template=a@Variant(x)") << false << "a@Variant(x)";
        QTest::addRow("not closed") << QByteArray("template=@Variant(x") << false << "@Variant(x";
        QTest::addRow("quoted comma") << QByteArray("template=\"a, @Variant(x)\"") << false << "a, @Variant(x)";
        QTest::addRow("comment") << QByteArray("template=t ;@Variant(x)") << false << "t";
        QTest::addRow("comment line") << QByteArray("; other=@Variant(x)\ntemplate=t") << false << "t";
    }
    void encodedValues()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, refused);
        QFETCH(QString, templateText);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("t.s"));
        const QByteArray good = "[global]\nmultiline=false\ntemplate=old\nmetacounts=1\n";
        QVERIFY(writeBytes(file, good));
        QTemplate earlier(file); // taken while the file was still good
        const QByteArray stored = "[global]\nmultiline=false\n" + line + "\nmetacounts=1\n";
        QVERIFY(writeBytes(file, stored));
        QTemplate tpl(file);
        QCOMPARE(tpl.status(), refused ? QSettings::AccessError : QSettings::NoError);
        QCOMPARE(tpl.templateText(), templateText);
        QCOMPARE(tpl.isMultiLine(), refused);
        QCOMPARE(tpl.notice().isEmpty(), !refused);
        // A save over such a file, which would parse it, fails and leaves it as it was.
        earlier.setTemplate(QStringLiteral("new"));
        QCOMPARE(earlier.sync(), !refused);
        QCOMPARE(readBytes(file) == stored, refused);
    }

    void encodedValuesFoundAsTheLibraryReads()
    {
        // Random values of quotes, commas, spaces, escapes and comments: whenever the settings library
        // decodes an element as a byte array the value must be found, and never when no element it
        // reads starts with '@'.
        const char* pieces[] = {"@",     "@ByteArray(", "ByteArray(", ")",    ")",    "x", "\"",   ",",  " ",
                                "\\x40", "\\x0040",     "\\100",      "\\\\", "\\\"", ";", "\\\n", "\t", "="};
        QRandomGenerator random(20261208);
        QTemporaryDir dir;
        int found = 0;
        int clean = 0;
        for (int round = 0; round < 3000; ++round) {
            QByteArray value;
            for (int n = 1 + random.bounded(8); n > 0; --n)
                value += pieces[random.bounded(int(sizeof pieces / sizeof *pieces))];
            const QByteArray text = "[g]\nk=" + value + "\nz=1\n";
            const QString file = dir.filePath(QStringLiteral("r%1.s").arg(round));
            QVERIFY(writeBytes(file, text));
            const QSettings settings(file, QSettings::IniFormat);
            bool decoded = false;
            bool at = false;
            for (const QString& key : settings.allKeys()) {
                const QVariant v = settings.value(key);
                const QVariantList elements = v.type() == QVariant::List ? v.toList() : QVariantList{v};
                for (const QVariant& e : elements) {
                    decoded = decoded || e.type() == QVariant::ByteArray;
                    at = at || (e.type() == QVariant::String && e.toString().startsWith(QLatin1Char('@')));
                }
            }
            if (!decoded && at)
                continue; // an '@' text: either reading would do
            found += decoded;
            clean += !decoded;
            QVERIFY2(QTemplate::holdsEncodedValue(text) == decoded, text.constData());
        }
        QVERIFY2(found > 10, qPrintable(QString::number(found)));
        QVERIFY(clean > 100);
    }

    void rewrittenToSave_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QStringList>("keys"); // every key after the save
        const QByteArray body = "[global]\nmultiline=false\ntemplate=t\nmetacounts=1\n[column0]\ncontent=c\n";
        QTest::addRow("UTF-8 mark") << QByteArray("\xef\xbb\xbf" + body + "[other]\nkept=\xc3\xbc\n")
                                    << QStringList{"column0/content", "global/metacounts", "global/multiline",
                                                   "global/template", "other/kept"};
        QTest::addRow("empty key") << QByteArray(body + "=empty\n")
                                   << QStringList{"column0/content", "global/metacounts", "global/multiline",
                                                  "global/template"};
        QTest::addRow("key ending in a slash")
            << QByteArray(body + "[x]\nk/=slash\nkept=1\n")
            << QStringList{"column0/content", "global/metacounts", "global/multiline", "global/template", "x/kept"};
        // A list with an element the library reads as no value is written back as another list.
        QTest::addRow("entry that does not read back")
            << QByteArray(body + "[x]\nk=a, @2e\n[y]\nkept=1\n")
            << QStringList{"column0/content", "global/metacounts", "global/multiline", "global/template", "y/kept"};
        QTest::addRow("such an entry among ours")
            << QByteArray(body + "[global]\nothertemplate=a, @2e\n[y]\nkept=1\n")
            << QStringList{"column0/content", "global/metacounts", "global/multiline", "global/template", "y/kept"};
    }
    void rewrittenToSave()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QStringList, keys);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("t.s"));
        QVERIFY(writeBytes(file, stored));
        QTemplate tpl(file);
        QCOMPARE(tpl.status(), QSettings::NoError);
        QCOMPARE(tpl.templateText(), QStringLiteral("t"));
        const QString text = QStringLiteral("Grüße — 東京");
        tpl.setTemplate(text);
        QVERIFY(tpl.sync());
        QVERIFY(!tpl.notice().isEmpty()); // said once:
        tpl.setTemplate(text + text);
        QVERIFY(tpl.sync());
        QCOMPARE(tpl.notice(), QString());
        const QTemplate back(file);
        QCOMPARE(back.templateText(), text + text);
        QCOMPARE(back.columns(), (Columns{{"c", "#1#"}}));
        const QSettings settings(file, QSettings::IniFormat);
        QCOMPARE(settings.allKeys(), keys);
        QCOMPARE(settings.value(QStringLiteral("other/kept"), QStringLiteral("ü")).toString(), QStringLiteral("ü"));
    }

    void readAndSave_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"missing", "empty", "short write", "folder", "read-only folder",
                                 "writable file, read-only folder", "unreadable"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void readAndSave()
    {
        QFETCH(QString, kind);
        const auto is = [&](const char* name) { return kind == QLatin1String(name); };
        const bool lockedFolder = is("read-only folder") || is("writable file, read-only folder");
        const bool fromFile = is("short write") || lockedFolder;
        const bool saves = is("missing") || is("empty") || is("writable file, read-only folder");
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("t.s"));
        const QByteArray stored = is("empty") ? "" : "[global]\nmultiline=0\ntemplate=old\n[column0]\ncontent=c\n";
        QVERIFY(is("folder") ? QDir().mkpath(file) : is("missing") || writeBytes(file, stored));
        QVERIFY(chmod(QFile::encodeName(dir.path()), lockedFolder ? 0555 : 0755) == 0);
        QVERIFY(!is("writable file, read-only folder") || chmod(QFile::encodeName(file), 0666) == 0);
        QVERIFY(!is("unreadable") || chmod(QFile::encodeName(file), 0200) == 0);
        const QByteArray before = readBytes(file);
        // Permissions do not bind the superuser: a run as root becomes "nobody" for the permission cases.
        const bool nobody = (lockedFolder || is("unreadable")) && geteuid() == 0;
        if (nobody && seteuid(65534) != 0)
            QSKIP("the superuser cannot become nobody here, so permissions cannot be tried");
        const auto regain = [nobody] { return !nobody || seteuid(0) == 0; };
        const auto guard = qScopeGuard(regain); // also when a check on the way fails
        QTemplate tpl(file);
        // What the file does not give takes its default; a file that is there but cannot be read says so.
        QCOMPARE(tpl.status(), fromFile || saves ? QSettings::NoError : QSettings::AccessError);
        QCOMPARE(tpl.isMultiLine(), !fromFile);
        QCOMPARE(tpl.templateText(), QString::fromLatin1(fromFile ? "old" : ""));
        QCOMPARE(tpl.columns(), (Columns{{fromFile ? "c" : "", "#1#"}, {"", "#2#"}}));
        tpl.setTemplate(QString(200000, QLatin1Char('x')));
        rlimit old{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
        const rlimit cap{is("short write") ? rlim_t(8192) : old.rlim_cur, old.rlim_max}; // as a full disk would
        QVERIFY(setrlimit(RLIMIT_FSIZE, &cap) == 0);
        const bool saved = tpl.sync();
        QVERIFY(setrlimit(RLIMIT_FSIZE, &old) == 0);
        QVERIFY(regain());
        QCOMPARE(saved, saves);
        QCOMPARE(tpl.status(), saves ? QSettings::NoError : QSettings::AccessError);
        QCOMPARE(tpl.hasUnsavedChanges(), !saves);
        if (!saves)
            QCOMPARE(readBytes(file), before); // the old file as it was, and no draft left behind:
        const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(left, QStringList{"t.s"});
        QVERIFY(chmod(QFile::encodeName(dir.path()), 0755) == 0); // so that the folder can go
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestQTemplate)
#include "tst_qtemplate.moc"
