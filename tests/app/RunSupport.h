#pragma once
// Shared by the lineweld-run tests: template files written by the program's own writer, the runner's
// preferences, and one run of the built executable.

#include "engine/QTemplate.h"

#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTest>

namespace RunSupport {

inline bool writeTemplate(const QString& path, const QString& text, const QList<QTemplate::Column>& columns,
                          bool multiLine = true)
{
    QTemplate file(path);
    file.setMultiLine(multiLine);
    file.setTemplate(text);
    file.setColumns(columns);
    return file.sync();
}

// The settings file the program reads under the configuration home of this test (XDG_CONFIG_HOME).
inline QString settingsPath()
{
    return QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath(QStringLiteral("Vardel/Lineweld.conf"));
}

inline void setPreferences(bool unicode, int eolFormat)
{
    QSettings settings(settingsPath(), QSettings::IniFormat);
    settings.clear();
    settings.setValue(QStringLiteral("Editor/Unicode"), unicode);
    settings.setValue(QStringLiteral("Editor/EolFormat"), eolFormat);
}

struct Result
{
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QByteArray out;
    QByteArray err;
};

inline Result run(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(LINEWELD_RUN_EXECUTABLE), arguments);
    Result result;
    if (!process.waitForFinished(120000))
        return result;
    result.exitCode = process.exitCode();
    result.status = process.exitStatus();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace RunSupport
