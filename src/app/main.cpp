// Start-up and shut-down of the program.

#include "app/CommandLineHandler.h"
#include "mainwindow/MainWindow.h"
#include "resources/Resources.h"
#include "settings/Preferences.h"

#include <QApplication>
#include <QTimer>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    lineweldInitResources();
    // The identity decides where the settings live, so it comes before anything that reads them.
    // No organisation name: the settings are filed under the domain.
    QCoreApplication::setOrganizationDomain(QStringLiteral("Vardel"));
    QCoreApplication::setApplicationName(QStringLiteral("Lineweld"));
    QCoreApplication::setApplicationVersion(QStringLiteral("3.0.0"));

    CommandLineHandler handler;
    // Help, version and bad arguments end here, before any settings are touched.
    if (!handler.parse(QCoreApplication::arguments()) || handler.quitRequested())
        return 0;

    Preferences::instance();
    {
        // The window goes before the settings store, which it still uses while it closes.
        auto window = std::make_unique<MainWindow>();
        window->show();
        if (handler.openRequested()) {
            const QStringList files = handler.files();
            if (!files.isEmpty())
                window->openFile(files.first());
        } else {
            window->openLastFile();
        }
        // Start-up timing: leave as soon as the shown window has been through the event loop once.
        if (qEnvironmentVariableIsSet("LINEWELD_QUIT_WHEN_SHOWN"))
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
        QApplication::exec();
    }
    Preferences::destroy();
    return 0;
}
