#pragma once
// A small command-line parser: options without values, given by long name ("--name") or as
// clusters of short names ("-ab"), a "--" after which everything is a file, and a help listing.
// Every message goes to the warning channel.

#include "app/CommandLineOption.h"

#include <QCoreApplication>
#include <QStringList>
#include <QVector>

class CommandLineParser
{
    Q_DECLARE_TR_FUNCTIONS(CommandLineParser)
public:
    CommandLineParser() = default;
    virtual ~CommandLineParser() = default;

    // Appends an option; the help lists options in the order they were added. On a duplicate
    // name the option added first wins.
    void addOption(CommandLineOption::Handler handler, void* object, QChar shortName, const QString& longName,
                   const QString& help);

    // Takes the full argument list including the program path and runs the handlers of the options
    // met, in command-line order. Returns false when the program should stop: the list was empty,
    // or the help was printed (asked for, or because of a bad argument).
    bool parse(const QStringList& arguments);

    void printUsage() const;

    QStringList files() const { return m_files; }
    QString programName() const { return m_programName; }
    bool helpRequested() const { return m_helpRequested; }
    const QVector<CommandLineOption>& options() const { return m_options; }
    int longNameWidth() const { return m_longNameWidth; }

private:
    const CommandLineOption* findLong(const QString& longName) const;
    const CommandLineOption* findShort(QChar shortName) const;

    QVector<CommandLineOption> m_options;
    // Longest long name of the added options; the built-in "--help" does not count.
    int m_longNameWidth = 0;
    QString m_programName;
    QStringList m_files;
    bool m_helpRequested = false;
};
