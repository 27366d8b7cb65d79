// Reading and writing text files for a window: failures show a warning box and lose nothing.

#include "TestSupport.h"
#include "editor/TextFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>

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

    void loadFailureShowsWarning()
    {
        QTemporaryDir dir;
        QWidget parent;
        for (const QString& path : {dir.filePath(QStringLiteral("missing.txt")), dir.path()}) {
            answerNextBox();
            QCOMPARE(loadTextFile(path, &parent), QString());
            QCOMPARE(m_title, QStringLiteral("Error"));
            QCOMPARE(m_text, QStringLiteral("Invalid Text File."));
        }
        // Binary bytes come back unit for unit, NULs included, without a warning.
        const QString path = dir.filePath(QStringLiteral("data.bin"));
        QVERIFY(writeBytes(path, QByteArray("\x01\0\x02x\0\n", 6)));
        answerNextBox();
        QCOMPARE(loadTextFile(path, &parent), QString::fromLatin1("\x01\0\x02x\0\n", 6));
        QCoreApplication::processEvents();
        QCOMPARE(m_title, QString());
    }

    void saveFailureKeepsOldFile()
    {
        // A path that is a folder: the folder and what it holds stay.
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("a folder"));
        QVERIFY(QDir().mkpath(folder) && writeBytes(folder + QStringLiteral("/kept.txt"), "kept"));
        QWidget parent;
        answerNextBox();
        QVERIFY(!saveTextFile(folder, QStringLiteral("text"), true, &parent));
        QCOMPARE(m_title, QStringLiteral("Error"));
        QCOMPARE(m_text, QStringLiteral("Error occured while save to %1").arg(folder));
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

private:
    // Answers the next message box, recording its title and text.
    void answerNextBox()
    {
        m_title.clear();
        m_text.clear();
        QTimer::singleShot(0, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            m_title = box->windowTitle();
            m_text = box->text();
            box->accept();
        });
    }
    QString m_title;
    QString m_text;
};

QTEST_MAIN(TestTextFile)
#include "tst_textfile.moc"
