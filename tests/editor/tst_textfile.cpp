// Reading and writing text files for a window: failures show a warning box and lose nothing.

#include "TestSupport.h"
#include "editor/TextFile.h"
#include "mainwindow/ModalAnswerer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using TestSupport::readBytes;
using TestSupport::writeBytes;

} // namespace

class TestTextFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }

    // What a load shows for each kind of file, and the text it gives.
    void loadShowsWhatHappened_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("text");
        QTest::addRow("missing") << "missing"
                                 << "Invalid Text File." << QString();
        QTest::addRow("fifo") << "fifo"
                              << "%1 is not a regular file (a FIFO, device or socket) and cannot be loaded."
                              << QString();
        QTest::addRow("too large") << "sparse"
                                   << "%1 is too large to load: at most 1023 MiB can be loaded." << QString();
        QTest::addRow("invalid utf-8")
            << "invalid"
            << "Some bytes of %1 are not valid text in its encoding and were replaced by \uFFFD; saving the text "
               "does not give them back."
            << QStringLiteral("a\uFFFDb");
        // Binary bytes come back unit for unit, NULs included, without a warning.
        QTest::addRow("binary") << "binary" << QString() << QString::fromLatin1("\x01\0\x02x\0\n", 6);
    }
    void loadShowsWhatHappened()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QFETCH(QString, text);
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("target"));
        if (kind == QLatin1String("fifo")) {
            QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0666) == 0);
        } else if (kind == QLatin1String("sparse")) {
            // Truncating to a size takes no disk space; no byte of it is ever written.
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(qint64(4) << 30));
        } else if (kind == QLatin1String("invalid")) {
            QVERIFY(writeBytes(path, "a\xe9"
                                     "b"));
        } else if (kind == QLatin1String("binary")) {
            QVERIFY(writeBytes(path, QByteArray("\x01\0\x02x\0\n", 6)));
        }
        QWidget parent;
        ModalAnswerer answerer{QString()};
        QCOMPARE(loadTextFile(path, &parent), text);
        QCOMPARE(answerer.boxTitles(), message.isEmpty() ? QStringList() : QStringList{"Error"});
        QCOMPARE(answerer.boxTexts(), message.isEmpty() ? QStringList() : QStringList{message.arg(path)});
    }

    void saveFailureKeepsOldFile()
    {
        // A path that is a folder: the folder and what it holds stay.
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("a folder"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeBytes(folder + QStringLiteral("/kept.txt"), "kept"));
        QWidget parent;
        ModalAnswerer answerer{QString()};
        QVERIFY(!saveTextFile(folder, QStringLiteral("text"), true, &parent));
        QCOMPARE(answerer.boxTitles(), QStringList{"Error"});
        QCOMPARE(answerer.boxTexts(), QStringList{QStringLiteral("Error occured while save to %1").arg(folder)});
        QCOMPARE(readBytes(folder + QStringLiteral("/kept.txt")), QByteArray("kept"));
        // No file can be made in /proc, not even by the superuser; the old file stays whole.
        const QByteArray version = readBytes(QStringLiteral("/proc/version"));
        QVERIFY(!saveTextFile(QStringLiteral("/proc/version"), QStringLiteral("new"), true));
        QCOMPARE(readBytes(QStringLiteral("/proc/version")), version);
    }

    void noParentNoBox()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ok.txt"));
        QVERIFY(saveTextFile(path, QStringLiteral("x\ny"), false));
        QCOMPARE(loadTextFile(path), QStringLiteral("x\ny"));
        // Without a parent a failure is only the return value; nothing waits for an answer.
        QVERIFY(!saveTextFile(dir.path(), QStringLiteral("x"), false));
        QCOMPARE(loadTextFile(dir.filePath(QStringLiteral("none"))), QString());
    }
};

QTEST_MAIN(TestTextFile)
#include "tst_textfile.moc"
