#include "app/CommandLineHandler.h"

#include <QDebug>
#include <QGuiApplication>

CommandLineHandler::CommandLineHandler()
{
    addOption(&CommandLineHandler::onVersion, this, QLatin1Char('v'), QStringLiteral("--version"),
              tr("Display the version"));
    addOption(&CommandLineHandler::onOpen, this, QLatin1Char('o'), QStringLiteral("--open"), tr("Open file"));
}

void CommandLineHandler::showVersion()
{
    if (m_versionShown)
        return;
    m_versionShown = true;
    const QString version =
        tr("%1 [version %2]").arg(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationVersion());
    qWarning().noquote() << version + QLatin1Char(' ') + tr("Copyright (C) 2026 Vardel. All rights reserved.");
    m_quitRequested = true;
}

void CommandLineHandler::onVersion(void* object)
{
    static_cast<CommandLineHandler*>(object)->showVersion();
}

void CommandLineHandler::onOpen(void* object)
{
    static_cast<CommandLineHandler*>(object)->m_openRequested = true;
}
