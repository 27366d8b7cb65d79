#pragma once
// The program's own command-line options: "--version" prints the version and ends the program,
// "--open" asks for the first file to be opened as a template file.

#include "app/CommandLineParser.h"

class CommandLineHandler : public CommandLineParser
{
    Q_DECLARE_TR_FUNCTIONS(CommandLineHandler)
public:
    CommandLineHandler();

    // Prints the version line once per run and asks the program to end.
    void showVersion();

    bool quitRequested() const { return m_quitRequested; }
    bool openRequested() const { return m_openRequested; }

private:
    static void onVersion(void* object);
    static void onOpen(void* object);

    bool m_quitRequested = false;
    bool m_versionShown = false;
    bool m_openRequested = false;
};
