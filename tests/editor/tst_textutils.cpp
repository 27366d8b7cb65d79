// Widths, splitting, stripping, case swapping and text file reading and writing.

#include "TestSupport.h"
#include "editor/TextUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTextCodec>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestTextUtils : public QObject
{
    Q_OBJECT
private slots:
    void displayWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("ascii") << "abc" << 3;
        QTest::newRow("two CJK ideographs") << QString::fromUtf8("\xe4\xb8\xad\xe6\x96\x87") << 4;
        QTest::newRow("combining accent") << QString::fromUtf8("e\xcc\x81") << 1;
        QTest::newRow("tab and control below 32") << "\t\x01" << 2;
        QTest::newRow("line feed, cr, so, si") << "\n\r\x0e\x0f" << 0;
        QTest::newRow("latin-1 control and letter") << QString(QChar(0x85)) + QChar(0xE9) << 1;
        QTest::newRow("hangul syllable, fullwidth A") << QString(QChar(0xAC00)) + QChar(0xFF21) << 4;
        QTest::newRow("emoji as two surrogates") << QString::fromUtf8("\xf0\x9f\x98\x80") << 2;
    }
    void displayWidth()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QCOMPARE(::displayWidth(text), width);
    }

    void charWidthTableBoundaries()
    {
        // Each bound belongs to its own range; the unit above it to the next one.
        const QVector<QPair<int, int>> bounds = {{159, 0},   {160, 1},   {687, 1},   {688, 0},   {4447, 2},
                                                 {4448, 1},  {12350, 2}, {12351, 1}, {12352, 2}, {55203, 2},
                                                 {55204, 1}, {65279, 1}, {65280, 2}, {65376, 2}, {65377, 1}};
        for (const auto& b : bounds)
            QVERIFY2(charWidth(QChar(ushort(b.first))) == b.second, qPrintable(QString::number(b.first)));
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
        QTest::newRow("only a break") << "\n" << QStringList{""};
        QTest::newRow("nul stays in its line") << QString::fromUtf8("ab\0cd\nef", 8)
                                               << QStringList{QString::fromUtf8("ab\0cd", 5), "ef"};
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

    // Random lines of awkward characters joined by one kind of break: splitting gives them back.
    void splitTextLinesGivesBackTheLines_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 40; ++seed)
            QTest::addRow("seed %u", seed) << seed;
    }
    void splitTextLinesGivesBackTheLines()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        const QStringList pieces{QStringLiteral("a"), QStringLiteral("\u00e9"), QStringLiteral("\u4e2d"),
                                 QStringLiteral("\uFEFF"), QString(QChar(0)), QString(QChar(0xD83D)),
                                 QString(QChar(0xDE00)), QStringLiteral("\U0001F600"), QStringLiteral(" ")};
        const QStringList breaks{QStringLiteral("\n"), QStringLiteral("\r"), QStringLiteral("\r\n")};
        QStringList lines;
        for (int i = 0, n = int(random.bounded(1, 12)); i < n; ++i) {
            QString line;
            for (int j = 0, m = int(random.bounded(0, 6)); j < m; ++j)
                line += pieces.at(int(random.bounded(quint32(pieces.size()))));
            lines.append(line);
        }
        const QString text = lines.join(breaks.at(int(random.bounded(quint32(breaks.size())))));
        // The empty rest after a final break is no line.
        if (lines.constLast().isEmpty())
            lines.removeLast();
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
        QTest::newRow("doubled separator") << "a,,b" << "," << true << QStringList{"a", "", "", "b"};
        QTest::newRow("leading and trailing") << ",a," << "," << true << QStringList{"", "a", ""};
        QTest::newRow("long separator") << "a<>b<>" << "<>" << true << QStringList{"a", "", "b", ""};
        QTest::newRow("no separator in text") << "abc" << "," << true << QStringList{"abc"};
        QTest::newRow("case-sensitive") << "aXbxc" << "x" << true << QStringList{"aXb", "", "c"};
        QTest::newRow("disabled") << "a,b" << "," << false << QStringList();
        QTest::newRow("empty separator") << "a,b" << "" << true << QStringList();
    }
    void splitKeepSeparators()
    {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(bool, enabled);
        QFETCH(QStringList, parts);
        QCOMPARE(::splitKeepSeparators(text, separator, enabled), parts);
    }

    void readAndWrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("file.txt"));
        const auto put = [&path](const QByteArray& bytes) { return TestSupport::writeBytes(path, bytes); };
        const auto bytesOf = [&path] { return TestSupport::readBytes(path); };
        // Byte-order marks are honoured, line breaks kept.
        const QString text = QString::fromUtf8("h\xc3\xa9llo\r\nw\xc3\xb6rld\r");
        QByteArray le("\xff\xfe", 2);
        QByteArray be("\xfe\xff", 2);
        for (const QChar c : text) {
            le.append(char(c.cell())).append(char(c.row()));
            be.append(char(c.row())).append(char(c.cell()));
        }
        for (const QByteArray& bytes : {QByteArray(QByteArray("\xef\xbb\xbf") + text.toUtf8()), le, be}) {
            QVERIFY(put(bytes));
            bool ok = false;
            QCOMPARE(readTextFile(path, &ok), text);
            QVERIFY(ok);
        }
        // Written without a mark; outside Latin-1 a "?" in ANSI mode.
        QVERIFY(writeTextFile(path, text, true));
        QCOMPARE(bytesOf(), text.toUtf8());
        QVERIFY(writeTextFile(path, QString::fromUtf8("\xc3\xa9\r\n\xe4\xb8\xad\r"), false));
        QCOMPARE(bytesOf(), QByteArray("\xe9\r\n?\r"));
        QVERIFY(writeTextFile(path, QString(), true));
        QCOMPARE(bytesOf(), QByteArray());
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
