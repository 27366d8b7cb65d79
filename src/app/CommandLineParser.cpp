#include "app/CommandLineParser.h"

#include <QDebug>
#include <QFileInfo>

namespace {

const QString HelpLongName = QStringLiteral("--help");
const QChar HelpShortName = QLatin1Char('h');

void warn(const QString& message)
{
    qWarning().noquote() << message;
}

// Runs a copy, so that a handler may add options without pulling the record from under itself.
void run(CommandLineOption option)
{
    if (option.handler)
        option.handler(option.object);
}

} // namespace

void CommandLineParser::addOption(CommandLineOption::Handler handler, void* object, QChar shortName,
                                  const QString& longName, const QString& help)
{
    CommandLineOption option;
    option.handler = handler;
    option.object = object;
    option.shortName = shortName;
    option.longName = longName;
    option.help = help;
    m_options.append(option);
    m_longNameWidth = qMax(m_longNameWidth, longName.size());
}

bool CommandLineParser::parse(const QStringList& arguments)
{
    m_files.clear();
    m_helpRequested = false;
    if (arguments.isEmpty())
        return false;

    m_programName = QFileInfo(arguments.first()).fileName();
    // The index counts every argument after the program, empty ones and those after "--" included,
    // so that messages point at the argument as the user typed it.
    qint64 index = 1;
    bool positionalOnly = false;
    for (auto it = arguments.cbegin() + 1; it != arguments.cend(); ++it, ++index) {
        const QString& argument = *it;
        if (argument.isEmpty())
            continue;
        if (positionalOnly || !argument.startsWith(QLatin1Char('-'))) {
            m_files.append(argument);
            continue;
        }
        if (argument.size() == 1) {
            warn(tr("Bad argument %1: lonely hyphen").arg(index));
            m_helpRequested = true;
            printUsage();
            return false;
        }
        if (argument == QLatin1String("--")) {
            positionalOnly = true;
            continue;
        }
        if (argument.startsWith(QLatin1String("--"))) {
            if (argument == HelpLongName) {
                m_helpRequested = true;
            } else if (const CommandLineOption* option = findLong(argument)) {
                run(*option);
            } else {
                warn(tr("Unknown long argument %1: %2").arg(QString::number(index), argument));
                m_helpRequested = true;
                break;
            }
            continue;
        }
        for (int position = 1; position < argument.size(); ++position) {
            const QChar name = argument.at(position);
            if (name == HelpShortName) {
                m_helpRequested = true;
            } else if (const CommandLineOption* option = findShort(name)) {
                run(*option);
            } else {
                warn(tr("Unknown short argument %1.%2: %3")
                         .arg(QString::number(index), QString::number(position), QString(name)));
                m_helpRequested = true;
                break;
            }
        }
    }

    if (m_helpRequested) {
        printUsage();
        return false;
    }
    return true;
}

void CommandLineParser::printUsage() const
{
    warn(tr("Usage:\n  %1 [options] [files...]").arg(m_programName) + QStringLiteral("\n\n") + tr("Options:"));
    // Padding by characters rather than printf's bytes keeps non-ASCII names aligned too.
    const auto line = [this](const QString& shortForm, const QString& longName, const QString& help) {
        return QStringLiteral("  %1 %2 : %3").arg(shortForm, longName.leftJustified(m_longNameWidth), help);
    };
    warn(line(QStringLiteral("-h"), HelpLongName, tr("Display this help")));
    for (const CommandLineOption& option : m_options) {
        const QString shortForm =
            option.shortName.isNull() ? QStringLiteral("  ") : QLatin1Char('-') + option.shortName;
        warn(line(shortForm, option.longName, option.help));
    }
    warn(QString());
}

const CommandLineOption* CommandLineParser::findLong(const QString& longName) const
{
    for (const CommandLineOption& option : m_options) {
        if (option.longName == longName)
            return &option;
    }
    return nullptr;
}

const CommandLineOption* CommandLineParser::findShort(QChar shortName) const
{
    for (const CommandLineOption& option : m_options) {
        if (!option.shortName.isNull() && option.shortName == shortName)
            return &option;
    }
    return nullptr;
}
