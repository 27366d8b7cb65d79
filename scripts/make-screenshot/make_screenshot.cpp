// Grabs the main window on a template file after a merge (F5) and saves it as a PNG:
//   make_screenshot <template file> <picture.png>
// The settings live in a folder of their own for the run, so the picture shows the defaults and
// the user's own settings are neither read nor changed.

#include "editor/Editor.h"
#include "mainwindow/MainWindow.h"
#include "resources/Resources.h"
#include "settings/Preferences.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>
#include <memory>

namespace {

constexpr int Width = 1280;
constexpr int Height = 720;
constexpr int TimeoutMs = 30000;

bool waitFor(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(TimeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    lineweldInitResources();
    QCoreApplication::setOrganizationDomain(QStringLiteral("Vardel"));
    QCoreApplication::setApplicationName(QStringLiteral("Lineweld"));
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        err << "usage: make_screenshot <template file> <picture.png>\n";
        return 2;
    }
    // A copy under a short name, so the status bar shows a path that means something to a reader.
    const QString templatePath = home.filePath(QFileInfo(args.at(1)).fileName());
    if (!QFile::copy(args.at(1), templatePath)) {
        err << "cannot read " << args.at(1) << '\n';
        return 1;
    }

    Preferences::instance();
    int status = 0;
    {
        auto window = std::make_unique<MainWindow>();
        // Not bound to the offscreen screen's 800 × 600, which would squeeze the window.
        window->setAttribute(Qt::WA_DontShowOnScreen);
        window->resize(Width, Height);
        window->show();
        window->openFile(templatePath);
        auto* result = window->findChild<Editor*>(QStringLiteral("result"));
        auto* start = window->findChild<QAction*>(QStringLiteral("actionStart"));
        if (!result || !start) {
            err << "the window has no result editor or start action\n";
            return 1;
        }
        start->trigger();
        if (!waitFor([result] { return result->textLength() > 0; })) {
            err << "the merge gave no result\n";
            return 1;
        }
        // Let the layout and the scroll bars settle before the grab.
        waitFor([] {
            static int rounds = 0;
            return ++rounds > 20;
        });
        const QPixmap picture = window->grab();
        if (!picture.save(args.at(2), "PNG")) {
            err << "cannot write " << args.at(2) << '\n';
            status = 1;
        }
    }
    Preferences::destroy();
    return status;
}
