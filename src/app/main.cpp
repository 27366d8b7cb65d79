#include "mainwindow/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    app.setOrganizationDomain(QStringLiteral("Vardel"));
    app.setApplicationName(QStringLiteral("Lineweld"));
    app.setApplicationVersion(QStringLiteral("3.0.0"));
    MainWindow window;
    window.show();
    app.exec();
    return 0;
}
