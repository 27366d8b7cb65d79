#pragma once
// Shared by the tests: every test keeps its settings in a temporary folder of its own.

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace TestSupport {

// Points both settings formats at a fresh temporary folder for the rest of the process.
// Call it before the first QSettings object (and so before Preferences::instance()) is made.
inline QString useTemporaryConfigHome()
{
    static QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    return dir.path();
}

// Whole-file helpers; an unreadable file reads as a marker no test writes, so it never passes for content.
inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace TestSupport
