#include "editor/TextFile.h"

#include "editor/TextUtils.h"

#include <QCoreApplication>
#include <QMessageBox>

QString loadTextFile(const QString& path, QWidget* parent, bool* loaded)
{
    TextFileStatus status = TextFileStatus::Ok;
    const QString text = readTextFile(path, &status);
    if (loaded)
        *loaded = textWasRead(status);
    if (status != TextFileStatus::Ok && parent) {
        QMessageBox::warning(parent, QCoreApplication::translate("TextFile", "Error"),
                             textFileStatusMessage(status, path), QMessageBox::Ok);
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
