// Widths, splitting, stripping, case swapping and text file reading and writing.

#include "TestSupport.h"
#include "editor/TextUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(TextFileStatus)

class TestTextUtils : public QObject
{
    Q_OBJECT
private slots:
    void displayWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("combining accent") << QString::fromUtf8("e\xcc\x81") << 1;
        QTest::newRow("tab and control below 32") << "\t\x01" << 2;
        QTest::newRow("line feed, cr, so, si") << "\n\r\x0e\x0f" << 0;
        QTest::newRow("latin-1 control and letter") << QString(QChar(0x85)) + QChar(0xE9) << 1;
        QTest::newRow("emoji as two surrogates") << QString::fromUtf8("\xf0\x9f\x98\x80") << 2;
    }
    void displayWidth()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QCOMPARE(::displayWidth(text), width);
    }

    // Each bound belongs to its own range; the unit above it to the next one.
    void charWidthTableBoundaries_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("width");
        const QVector<QPair<int, int>> bounds = {{159, 0},   {160, 1},   {687, 1},   {688, 0},   {4447, 2},
                                                 {4448, 1},  {12350, 2}, {12351, 1}, {12352, 2}, {55203, 2},
                                                 {55204, 1}, {65279, 1}, {65280, 2}, {65376, 2}, {65377, 1}};
        for (const auto& b : bounds)
            QTest::addRow("%d", b.first) << b.first << b.second;
    }
    void charWidthTableBoundaries()
    {
        QFETCH(int, code);
        QFETCH(int, width);
        QCOMPARE(charWidth(QChar(ushort(code))), width);
    }

    void decodeUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QChar mark(0xFEFF);
        QTest::addRow("no mark") << QByteArray("a\xc3\xa9") << QString::fromUtf8("a\xc3\xa9");
        QTest::addRow("one mark") << QByteArray("\xef\xbb\xbf"
                                                "b")
                                  << QString(mark) + QStringLiteral("b");
        QTest::addRow("two marks") << QByteArray("\xef\xbb\xbf\xef\xbb\xbf") << QString(2, mark);
        QTest::addRow("mark later") << QByteArray("x\xef\xbb\xbf") << QStringLiteral("x") + mark;
        QTest::addRow("half a mark") << QByteArray("\xef\xbb") << QString::fromUtf8("\xef\xbb");
        QTest::addRow("empty") << QByteArray() << QString();
    }
    void decodeUtf8()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(::decodeUtf8(bytes.constData(), bytes.size()), text);
    }

    void splitTextLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << "" << QStringList();
        QTest::newRow("mixed breaks") << "a\r\nb\rc\nd" << QStringList{"a", "b", "c", "d"};
        QTest::newRow("cr lf then lone cr") << "\r\n\rx" << QStringList{"", "", "x"};
        QTest::newRow("lf cr is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
        QTest::newRow("trailing break adds nothing") << "a\n\nb\n" << QStringList{"a", "", "b"};
        QTest::newRow("nul stays in its line")
            << QString::fromUtf8("ab\0cd\nef", 8) << QStringList{QString::fromUtf8("ab\0cd", 5), "ef"};
        QTest::newRow("byte-order mark starts a line")
            << QStringLiteral("a\n\uFEFFb,c") << QStringList{QStringLiteral("a"), QStringLiteral("\uFEFFb,c")};
        QTest::newRow("byte-order mark starts the text")
            << QStringLiteral("\uFEFF\r\n\uFEFF") << QStringList{QStringLiteral("\uFEFF"), QStringLiteral("\uFEFF")};
        QTest::newRow("lone surrogate kept") << QString(QChar(0xD800)) + QStringLiteral("\nx")
                                             << QStringList{QString(QChar(0xD800)), QStringLiteral("x")};
    }
    void splitTextLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(::splitTextLines(text), lines);
    }

    void strip()
    {
        QCOMPARE(lstripChars(QStringLiteral("xxaxx"), QStringLiteral("x")), QStringLiteral("axx"));
        QCOMPARE(rstripChars(QStringLiteral("xxaxx"), QStringLiteral("x")), QStringLiteral("xxa"));
        QCOMPARE(lstripChars(QStringLiteral(" \t \t"), QStringLiteral(" \t")), QString());
        QCOMPARE(rstripChars(QStringLiteral(" \t \t"), QStringLiteral(" \t")), QString());
        QCOMPARE(lstripChars(QString(), QStringLiteral(" ")), QString());
        QCOMPARE(rstripChars(QStringLiteral("abc"), QString()), QStringLiteral("abc"));
    }

    void swapCase()
    {
        // Unit by unit: sharp s has no single-unit upper case and stays.
        QCOMPARE(swapCaseText(QString::fromUtf8("aBc1-+ \xc3\x9f\xc3\xa9\xc3\x89\xce\xb1\xce\x92")),
                 QString::fromUtf8("AbC1-+ \xc3\x9f\xc3\x89\xc3\xa9\xce\x91\xce\xb2"));
    }

    void splitKeepSeparators_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("doubled separator") << "a,,b"
                                           << "," << true << QStringList{"a", "", "", "b"};
        QTest::newRow("leading and trailing") << ",a,"
                                              << "," << true << QStringList{"", "a", ""};
        QTest::newRow("long separator") << "a<>b<>"
                                        << "<>" << true << QStringList{"a", "", "b", ""};
        QTest::newRow("case-sensitive") << "aXbxc"
                                        << "x" << true << QStringList{"aXb", "", "c"};
        QTest::newRow("empty separator") << "a,b"
                                         << "" << true << QStringList();
    }
    void splitKeepSeparators()
    {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(bool, enabled);
        QFETCH(QStringList, parts);
        QCOMPARE(::splitKeepSeparators(text, separator, enabled), parts);
    }

    void initTestCase()
    {
        // Files without a byte-order mark are read in the locale's encoding; fix it for the rows below.
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    }

    // Byte-order marks are honoured and taken out once; line breaks are kept.
    void readMarkedText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString text = QString::fromUtf8("h\xc3\xa9llo\r\nw\xc3\xb6rld\r");
        const QString marked = QChar(0xFEFF) + text;
        const auto utf16 = [](const QString& s, bool littleEndian) {
            QByteArray bytes(littleEndian ? "\xff\xfe" : "\xfe\xff", 2);
            for (const QChar c : s)
                bytes.append(char(littleEndian ? c.cell() : c.row())).append(char(littleEndian ? c.row() : c.cell()));
            return bytes;
        };
        QTest::addRow("utf-8") << QByteArray("\xef\xbb\xbf" + text.toUtf8()) << text;
        QTest::addRow("utf-16le") << utf16(text, true) << text;
        QTest::addRow("utf-16be") << utf16(text, false) << text;
        QTest::addRow("utf-32le") << QByteArray("\xff\xfe\0\0a\0\0\0\n\0\0\0", 12) << QStringLiteral("a\n");
        QTest::addRow("no mark, locale utf-8") << text.toUtf8() << text;
        QTest::addRow("utf-8, second mark is text") << QByteArray("\xef\xbb\xbf" + marked.toUtf8()) << marked;
        QTest::addRow("utf-16le, second mark is text") << utf16(marked, true) << marked;
        QTest::addRow("mark at a line start is text") << QByteArray("a\n\xef\xbb\xbf"
                                                                    "b")
                                                      << QStringLiteral("a\n\uFEFFb");
        QTest::addRow("empty") << QByteArray() << QString();
    }
    void readMarkedText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("file.txt"));
        QVERIFY(TestSupport::writeBytes(path, bytes));
        TextFileStatus status = TextFileStatus::CannotOpen;
        QCOMPARE(readTextFile(path, &status), text);
        QCOMPARE(status, TextFileStatus::Ok);
    }

    // Every kind of path gives a status of its own, and whatever text could be read.
    void readOutcome_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<TextFileStatus>("status");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        const auto row = [](const char* kind, const QByteArray& bytes, TextFileStatus status, const QString& text,
                            bool ok) {
            QTest::addRow("%s", kind) << QString::fromLatin1(kind) << bytes << status << text << ok;
        };
        row("missing", QByteArray(), TextFileStatus::CannotOpen, QString(), false);
        row("folder", QByteArray(), TextFileStatus::CannotOpen, QString(), false);
        row("unreadable", QByteArray("secret"), TextFileStatus::CannotOpen, QString(), false);
        row("fifo", QByteArray(), TextFileStatus::NotRegularFile, QString(), false);
        row("fifo with a writer", QByteArray(), TextFileStatus::NotRegularFile, QString(), false);
        row("sparse, one byte too large", QByteArray(), TextFileStatus::TooLarge, QString(), false);
        row("sparse, 3 GiB", QByteArray(), TextFileStatus::TooLarge, QString(), false);
        row("nul bytes", QByteArray("a\0b\n\0", 5), TextFileStatus::Ok, QString::fromLatin1("a\0b\n\0", 5), true);
        row("invalid utf-8",
            QByteArray("a\xe9"
                       "b\xff"),
            TextFileStatus::InvalidBytes, QStringLiteral("a\uFFFDb\uFFFD"), true);
        row("utf-8 cut at the end", QByteArray("ab\xe4\xb8"), TextFileStatus::InvalidBytes, QStringLiteral("ab\uFFFD"),
            true);
        row("utf-16 odd byte at the end",
            QByteArray("\xff\xfe"
                       "a\0b",
                       5),
            TextFileStatus::InvalidBytes, QStringLiteral("a\uFFFD"), true);
    }
    void readOutcome()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(TextFileStatus, status);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("target"));
        int writer = -1;
        int reader = -1;
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (kind.startsWith(QLatin1String("fifo"))) {
            QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0666) == 0);
            if (kind == QLatin1String("fifo with a writer")) {
                reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
                writer = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
                QVERIFY(writer >= 0);
                QCOMPARE(::write(writer, "data", 4), ssize_t(4));
            }
        } else if (kind.startsWith(QLatin1String("sparse"))) {
            // Truncating to a size takes no disk space; no byte of it is ever written.
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(kind.endsWith(QLatin1String("3 GiB")) ? qint64(3) << 30 : MaxTextFileBytes + 1));
        } else if (kind != QLatin1String("missing")) {
            QVERIFY(TestSupport::writeBytes(path, bytes));
        }
        const bool unreadable = kind == QLatin1String("unreadable");
        if (unreadable)
            QVERIFY(chmod(QFile::encodeName(path).constData(), 0) == 0);
        // Permissions do not bind the superuser, so a run as root reads as "nobody".
        const bool nobody = unreadable && geteuid() == 0;
        if (nobody && seteuid(65534) != 0)
            QSKIP("the superuser cannot become nobody here, so permissions cannot be tried");
        TextFileStatus got = TextFileStatus::Ok;
        const QString read = readTextFile(path, &got);
        QVERIFY(!nobody || seteuid(0) == 0);
        if (writer >= 0)
            ::close(writer);
        if (reader >= 0)
            ::close(reader);
        QCOMPARE(got, status);
        QCOMPARE(read, text);
        QCOMPARE(textWasRead(got), ok);
    }

    void write_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("utf-8, no mark") << QString::fromUtf8("h\xc3\xa9\r\n") << true << QByteArray("h\xc3\xa9\r\n");
        QTest::addRow("ansi, ? outside latin-1")
            << QString::fromUtf8("\xc3\xa9\r\n\xe4\xb8\xad\r") << false << QByteArray("\xe9\r\n?\r");
        QTest::addRow("empty") << QString() << true << QByteArray();
    }
    void write()
    {
        QFETCH(QString, text);
        QFETCH(bool, unicode);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("file.txt"));
        QVERIFY(TestSupport::writeBytes(path, "old content"));
        QVERIFY(writeTextFile(path, text, unicode));
        QCOMPARE(TestSupport::readBytes(path), bytes);
    }

    // A save keeps the file it writes to: its node, its other names, its place in a locked folder.
    void writeKeepsTheFile_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"fifo", "hard link", "writable file in read-only folder", "new file"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void writeKeepsTheFile()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QVERIFY(chmod(QFile::encodeName(dir.path()), 0777) == 0);
        const QString path = dir.filePath(QStringLiteral("target"));
        const QString other = dir.filePath(QStringLiteral("other name"));
        const QByteArray bytes("new\ncontent\n");
        int reader = -1;
        if (kind == QLatin1String("fifo")) {
            QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0666) == 0);
            // A reader that is already there, so that opening for writing does not wait for one.
            reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
            QVERIFY(reader >= 0);
        } else if (kind != QLatin1String("new file")) {
            QVERIFY(TestSupport::writeBytes(path, "old"));
            QVERIFY(chmod(QFile::encodeName(path), 0666) == 0);
        }
        if (kind == QLatin1String("hard link"))
            QVERIFY(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()) == 0);
        const bool locked = kind == QLatin1String("writable file in read-only folder");
        if (locked)
            QVERIFY(chmod(QFile::encodeName(dir.path()), 0555) == 0);
        // Folder permissions do not bind the superuser, so a run as root writes as "nobody" there.
        const bool nobody = locked && geteuid() == 0;
        if (nobody && seteuid(65534) != 0)
            QSKIP("the superuser cannot become nobody here, so permissions cannot be tried");
        const bool written = writeFileBytes(path, bytes);
        QVERIFY(!nobody || seteuid(0) == 0);
        QVERIFY(chmod(QFile::encodeName(dir.path()), 0755) == 0);
        QVERIFY(written);

        if (reader >= 0) {
            QByteArray got(64, '\0');
            const ssize_t n = ::read(reader, got.data(), size_t(got.size()));
            ::close(reader);
            QCOMPARE(got.left(int(n)), bytes);
            QCOMPARE(QFileInfo(path).isFile(), false); // still the FIFO
        } else {
            QCOMPARE(TestSupport::readBytes(path), bytes);
        }
        if (kind == QLatin1String("hard link"))
            QCOMPARE(TestSupport::readBytes(other), bytes);
        // No scratch file is left beside it.
        QStringList expected{QStringLiteral("target")};
        if (kind == QLatin1String("hard link"))
            expected.prepend(QStringLiteral("other name"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
                 expected);
    }
};

QTEST_GUILESS_MAIN(TestTextUtils)
#include "tst_textutils.moc"
