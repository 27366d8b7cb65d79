#pragma once
// Shared by the tests: every test keeps its settings in a temporary folder of its own.

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

} // namespace TestSupport
