// Line endings, widths, splitting, stripping, case swapping and text file reading and writing.

#include "TestSupport.h"
#include "editor/TextUtils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class TestTextUtils : public QObject
{
    Q_OBJECT
private slots:
    void eolStringAndName_data();
    void eolStringAndName();
    void displayWidth_data();
    void displayWidth();
    void charWidthTableBoundaries();
    void splitTextLines_data();
    void splitTextLines();
    void strip();
    void swapCase_data();
    void swapCase();
    void splitKeepSeparators_data();
    void splitKeepSeparators();
    void readHonoursByteOrderMarks_data();
    void readHonoursByteOrderMarks();
    void readUnreadable();
    void writeEncodings();
    void writeFailureKeepsOldFile();
    void writeToReadOnlyFolderKeepsOldFile();
};

void TestTextUtils::eolStringAndName_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("eol");
    QTest::addColumn<QString>("name");
    QTest::newRow("windows") << 0 << "\r\n" << "Windows";
    QTest::newRow("unix") << 1 << "\n" << "Unix/OSX";
    QTest::newRow("mac") << 2 << "\r" << "Mac";
    QTest::newRow("out of range") << 7 << "\r" << "Mac";
    QTest::newRow("negative") << -1 << "\r" << "Mac";
}

void TestTextUtils::eolStringAndName()
{
    QFETCH(int, format);
    QFETCH(QString, eol);
    QFETCH(QString, name);
    QCOMPARE(eolString(EolFormat(format)), eol);
    QCOMPARE(eolName(EolFormat(format)), name);
}

void TestTextUtils::displayWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::newRow("ascii") << "abc" << 3;
    QTest::newRow("two CJK ideographs") << QString::fromUtf8("\xe4\xb8\xad\xe6\x96\x87") << 4;
    QTest::newRow("combining accent") << QString::fromUtf8("e\xcc\x81") << 1;
    QTest::newRow("tab") << "\t" << 1;
    QTest::newRow("line feed") << "\n" << 0;
    QTest::newRow("cr so si") << "\r\x0e\x0f" << 0;
    QTest::newRow("control below 32") << "\x01" << 1;
    QTest::newRow("latin-1 control") << QString(QChar(0x85)) << 0;
    QTest::newRow("latin-1 letter") << QString::fromUtf8("\xc3\xa9") << 1;
    QTest::newRow("hangul syllable") << QString(QChar(0xAC00)) << 2;
    QTest::newRow("fullwidth A") << QString(QChar(0xFF21)) << 2;
    QTest::newRow("emoji as two surrogates") << QString::fromUtf8("\xf0\x9f\x98\x80") << 2;
    QTest::newRow("empty") << "" << 0;
}

void TestTextUtils::displayWidth()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QCOMPARE(::displayWidth(text), width);
}

void TestTextUtils::charWidthTableBoundaries()
{
    // Each bound belongs to its own range; the unit above it to the next one.
    const QVector<QPair<int, int>> bounds = {{159, 0},   {160, 1},   {687, 1},   {688, 0},   {4447, 2},
                                             {4448, 1},  {12350, 2}, {12351, 1}, {12352, 2}, {55203, 2},
                                             {55204, 1}, {65279, 1}, {65280, 2}, {65376, 2}, {65377, 1}};
    for (const auto& b : bounds)
        QVERIFY2(charWidth(QChar(ushort(b.first))) == b.second, qPrintable(QString::number(b.first)));
}

void TestTextUtils::splitTextLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("one line") << "abc" << QStringList{"abc"};
    QTest::newRow("empty line between") << "a\n\nb" << QStringList{"a", "", "b"};
    QTest::newRow("cr lf then lone cr") << "\r\n\rx" << QStringList{"", "", "x"};
    QTest::newRow("mixed breaks") << "a\r\nb\rc\nd" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("trailing break adds nothing") << "a\nb\n" << QStringList{"a", "b"};
    QTest::newRow("lf cr is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
    QTest::newRow("only a break") << "\n" << QStringList{""};
    QTest::newRow("nul ends the line") << QString::fromUtf8("ab\0cd\nef", 8) << QStringList{"ab", "ef"};
    QTest::newRow("non-ascii") << QString::fromUtf8("\xc3\xa9\n\xe4\xb8\xad") << QStringList{"\u00e9", "\u4e2d"};
}

void TestTextUtils::splitTextLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(::splitTextLines(text), lines);
}

void TestTextUtils::strip()
{
    const QString space = QStringLiteral(" ");
    QCOMPARE(rstripChars(QStringLiteral("a b  "), space), QStringLiteral("a b"));
    QCOMPARE(lstripChars(QStringLiteral("  a b"), space), QStringLiteral("a b"));
    QCOMPARE(lstripChars(QStringLiteral(" \t \t"), QStringLiteral(" \t")), QString());
    QCOMPARE(rstripChars(QStringLiteral(" \t \t"), QStringLiteral(" \t")), QString());
    QCOMPARE(lstripChars(QStringLiteral("xxaxx"), QStringLiteral("x")), QStringLiteral("axx"));
    QCOMPARE(rstripChars(QStringLiteral("xxaxx"), QStringLiteral("x")), QStringLiteral("xxa"));
    QCOMPARE(lstripChars(QString(), space), QString());
    QCOMPARE(rstripChars(QStringLiteral("abc"), QString()), QStringLiteral("abc"));
}

void TestTextUtils::swapCase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("swapped");
    QTest::newRow("ascii") << "aBc" << "AbC";
    QTest::newRow("sharp s stays") << QString::fromUtf8("\xc3\x9f") << QString::fromUtf8("\xc3\x9f");
    QTest::newRow("latin-1 letters") << QString::fromUtf8("\xc3\xa9\xc3\x89") << QString::fromUtf8("\xc3\x89\xc3\xa9");
    QTest::newRow("greek") << QString::fromUtf8("\xce\xb1\xce\x92") << QString::fromUtf8("\xce\x91\xce\xb2");
    QTest::newRow("digits and marks") << "1-2 +x" << "1-2 +X";
}

void TestTextUtils::swapCase()
{
    QFETCH(QString, text);
    QFETCH(QString, swapped);
    QCOMPARE(swapCaseText(text), swapped);
}

void TestTextUtils::splitKeepSeparators_data()
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

void TestTextUtils::splitKeepSeparators()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(bool, enabled);
    QFETCH(QStringList, parts);
    QCOMPARE(::splitKeepSeparators(text, separator, enabled), parts);
}

void TestTextUtils::readHonoursByteOrderMarks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString text = QString::fromUtf8("h\xc3\xa9llo\r\nw\xc3\xb6rld\r");
    QTest::newRow("utf-8 mark") << QByteArray("\xef\xbb\xbf") + text.toUtf8() << text;
    QByteArray utf16le("\xff\xfe", 2);
    for (const QChar c : text) {
        utf16le.append(char(c.unicode() & 0xff));
        utf16le.append(char(c.unicode() >> 8));
    }
    QTest::newRow("utf-16le mark") << utf16le << text;
    QByteArray utf16be("\xfe\xff", 2);
    for (const QChar c : text) {
        utf16be.append(char(c.unicode() >> 8));
        utf16be.append(char(c.unicode() & 0xff));
    }
    QTest::newRow("utf-16be mark") << utf16be << text;
    QTest::newRow("plain ascii keeps breaks") << QByteArray("a\r\nb\rc\n") << QStringLiteral("a\r\nb\rc\n");
}

void TestTextUtils::readHonoursByteOrderMarks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    bool ok = false;
    QCOMPARE(readTextFile(path, &ok), text);
    QVERIFY(ok);
}

void TestTextUtils::readUnreadable()
{
    QTemporaryDir dir;
    bool ok = true;
    QCOMPARE(readTextFile(dir.filePath(QStringLiteral("missing.txt")), &ok), QString());
    QVERIFY(!ok);
    ok = true;
    QCOMPARE(readTextFile(dir.path(), &ok), QString());
    QVERIFY(!ok);
}

void TestTextUtils::writeEncodings()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    auto bytesOf = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("unreadable");
    };
    const QString e = QString::fromUtf8("\xc3\xa9");
    QVERIFY(writeTextFile(path, e, true));
    QCOMPARE(bytesOf(), QByteArray("\xc3\xa9"));
    QVERIFY(writeTextFile(path, e, false));
    QCOMPARE(bytesOf(), QByteArray("\xe9"));
    // Outside Latin-1, line breaks as given, no byte-order mark.
    QVERIFY(writeTextFile(path, QString::fromUtf8("a\r\n\xe4\xb8\xad\r"), false));
    QCOMPARE(bytesOf(), QByteArray("a\r\n?\r"));
    QVERIFY(writeTextFile(path, QString(), true));
    QCOMPARE(bytesOf(), QByteArray());
}

void TestTextUtils::writeFailureKeepsOldFile()
{
    QTemporaryDir dir;
    // A path that is a folder: the folder and what it holds stay.
    const QString folder = dir.filePath(QStringLiteral("folder"));
    QVERIFY(QDir().mkpath(folder));
    QFile inside(folder + QStringLiteral("/kept.txt"));
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.write("kept");
    inside.close();
    QVERIFY(!writeTextFile(folder, QStringLiteral("new"), true));
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(inside.open(QIODevice::ReadOnly));
    QCOMPARE(inside.readAll(), QByteArray("kept"));
    // A parent that is a plain file cannot hold a new file.
    QVERIFY(!writeTextFile(inside.fileName() + QStringLiteral("/x.txt"), QStringLiteral("new"), true));
}

void TestTextUtils::writeToReadOnlyFolderKeepsOldFile()
{
    if (geteuid() == 0)
        QSKIP("permissions do not bind the superuser");
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("ro"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/old.txt");
    QVERIFY(writeTextFile(path, QStringLiteral("old content"), true));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    const bool written = writeTextFile(path, QStringLiteral("new"), true);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!written);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("old content"));
}

QTEST_GUILESS_MAIN(TestTextUtils)
#include "tst_textutils.moc"
