// Starts the real program on a template file and checks what it leaves in its settings.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void openOptionOpensTheTemplate()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QString path = copySample(home, QStringLiteral("people list.s"));
        QVERIFY(QFileInfo::exists(path));

        int exitCode = -1;
        QVERIFY2(run(home, {QStringLiteral("--open"), path}, &exitCode), "the program did not end by itself");
        QCOMPARE(exitCode, 0);

        // An opened template goes to the top of the recent files.
        const QString file = settingsFile(home);
        QVERIFY2(!file.isEmpty(), "no settings were written");
        QSettings settings(file, QSettings::IniFormat);
        const QStringList recent = settings.value(QStringLiteral("Gui/RecentFiles")).toStringList();
        QVERIFY(!recent.isEmpty());
        QCOMPARE(recent.first(), QFileInfo(path).canonicalFilePath());
    }

private:
    // Runs the program until its window has been shown once; returns false when it did not end.

    bool run(const QTemporaryDir& home, const QStringList& arguments, int* exitCode)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path() + QStringLiteral("/runtime"));
        environment.insert(QStringLiteral("LINEWELD_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
        QDir().mkpath(home.path() + QStringLiteral("/runtime"));
        QFile::setPermissions(home.path() + QStringLiteral("/runtime"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(LINEWELD_EXECUTABLE), arguments);
        if (!process.waitForStarted())
            return false;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return false;
        }
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return true;
    }

    QString settingsFile(const QTemporaryDir& home)
    {
        QDirIterator it(home.path() + QStringLiteral("/config"), {QStringLiteral("*.conf")}, QDir::Files,
                        QDirIterator::Subdirectories);
        return it.hasNext() ? it.next() : QString();
    }

    QString copySample(const QTemporaryDir& dir, const QString& name)
    {
        const QString path = dir.filePath(name);
        QFile::copy(QStringLiteral(LINEWELD_SOURCE_DIR "/examples/sample.s"), path);
        return path;
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
