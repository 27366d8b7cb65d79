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

class TestTextFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::useTemporaryConfigHome(); }
    void loadFailureShowsWarning();
    void saveFailureShowsWarningAndKeepsFolder();
    void noParentNoBox();

private:
    // Answers the next message box and records its title and text.
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

void TestTextFile::loadFailureShowsWarning()
{
    QTemporaryDir dir;
    QWidget parent;
    answerNextBox();
    QCOMPARE(loadTextFile(dir.filePath(QStringLiteral("missing.txt")), &parent), QString());
    QCOMPARE(m_title, QStringLiteral("Error"));
    QCOMPARE(m_text, QStringLiteral("Invalid Text File."));
}

void TestTextFile::saveFailureShowsWarningAndKeepsFolder()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("a folder"));
    QVERIFY(QDir().mkpath(folder));
    QWidget parent;
    answerNextBox();
    QVERIFY(!saveTextFile(folder, QStringLiteral("text"), true, &parent));
    QCOMPARE(m_title, QStringLiteral("Error"));
    QCOMPARE(m_text, QStringLiteral("Error occured while save to %1").arg(folder));
    QVERIFY(QFileInfo(folder).isDir());
}

void TestTextFile::noParentNoBox()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ok.txt"));
    QVERIFY(saveTextFile(path, QStringLiteral("x\ny"), false));
    QCOMPARE(loadTextFile(path), QStringLiteral("x\ny"));
    // Without a parent a failure is only the return value; nothing waits for an answer.
    QVERIFY(!saveTextFile(dir.path(), QStringLiteral("x"), false));
    QCOMPARE(loadTextFile(dir.filePath(QStringLiteral("none"))), QString());
}

QTEST_MAIN(TestTextFile)
#include "tst_textfile.moc"
