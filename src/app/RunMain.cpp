// lineweld-run: runs a template file from the shell, without a window.

#include "app/RunOptions.h"
#include "app/Runner.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int signal)
{
    interrupted = signal;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The window's identity: the same settings file gives the same result.
    QCoreApplication::setOrganizationDomain(QStringLiteral("Vardel"));
    QCoreApplication::setApplicationName(QStringLiteral("Lineweld"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LINEWELD_VERSION));

    QTextStream out(stdout);
    QTextStream errors(stderr);
    const QString name = QStringLiteral("lineweld-run");
    const RunOptions options = RunOptions::parse(QCoreApplication::arguments());
    switch (options.action) {
    case RunOptions::Action::Help:
        out << RunOptions::usage(name);
        return Runner::Success;
    case RunOptions::Action::Version:
        out << name << ' ' << QCoreApplication::applicationVersion() << '\n';
        return Runner::Success;
    case RunOptions::Action::UsageError:
        errors << name << ": " << options.error << "\n\n" << RunOptions::usage(name);
        return Runner::UsageError;
    case RunOptions::Action::Run:
        break;
    }

    // A stop ends the run at the next record, so that no partial output file is left behind.
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    int status = Runner::Success;
    {
        Runner runner(options, &interrupted, errors);
        status = runner.run();
    }
    Preferences::destroy();
    if (status == Runner::Interrupted) {
        // Ended by the signal, as the shell expects of an interrupted program.
        const int signal = interrupted;
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return 128 + signal;
    }
    return status;
}
