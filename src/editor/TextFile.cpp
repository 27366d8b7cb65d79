#include "editor/TextFile.h"

#include "editor/TextUtils.h"

#include <QCoreApplication>
#include <QMessageBox>

QString loadTextFile(const QString& path, QWidget* parent)
{
    bool ok = false;
    const QString text = readTextFile(path, &ok);
    if (!ok && parent) {
        QMessageBox::warning(parent, QCoreApplication::translate("TextFile", "Error"),
                             QCoreApplication::translate("TextFile", "Invalid Text File."), QMessageBox::Ok);
    }
    return text;
}

bool saveTextFile(const QString& path, const QString& text, bool unicode, QWidget* parent)
{
    if (writeTextFile(path, text, unicode))
        return true;
    if (parent) {
        QMessageBox::warning(parent, QCoreApplication::translate("TextFile", "Error"),
                             QCoreApplication::translate("TextFile", "Error occured while save to %1").arg(path),
                             QMessageBox::Ok);
    }
    return false;
}
