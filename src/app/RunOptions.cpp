#include "app/RunOptions.h"

#include "engine/QTemplate.h"

namespace {

// Options that take a value, by long name and letter.
struct ValueOption
{
    QChar letter; // null when there is no short form
    QLatin1String name;
};
const ValueOption ValueOptions[] = {
    {QLatin1Char('o'), QLatin1String("output")},
    {QLatin1Char('n'), QLatin1String("random")},
    {QLatin1Char('c'), QLatin1String("column")},
    {QChar(), QLatin1String("eol")},
};
struct FlagOption
{
    QChar letter;
    QLatin1String name;
};
const FlagOption FlagOptions[] = {
    {QLatin1Char('r'), QLatin1String("replace")}, {QChar(), QLatin1String("single-line")},
    {QChar(), QLatin1String("progress")},         {QLatin1Char('h'), QLatin1String("help")},
    {QLatin1Char('v'), QLatin1String("version")},
};

} // namespace

RunOptions RunOptions::parse(const QStringList& arguments)
{
    RunOptions options;
    bool help = false;
    bool version = false;
    bool replace = false;
    bool random = false;
    QStringList files;
    const auto fail = [&options](const QString& why) {
        options.action = Action::UsageError;
        options.error = why;
        return options;
    };

    // Applies one option with its value (null for a flag); returns an error text or an empty string.
    const auto apply = [&](const QString& name, const QString& value) -> QString {
        if (name == QLatin1String("replace")) {
            replace = true;
        } else if (name == QLatin1String("single-line")) {
            options.singleLine = true;
        } else if (name == QLatin1String("progress")) {
            options.progress = true;
        } else if (name == QLatin1String("help")) {
            help = true;
        } else if (name == QLatin1String("version")) {
            version = true;
        } else if (name == QLatin1String("output")) {
            if (value.isEmpty())
                return tr("--output needs a file name");
            options.outputPath = value;
        } else if (name == QLatin1String("random")) {
            bool ok = false;
            const int count = value.toInt(&ok);
            if (!ok || count < 1)
                return tr("--random takes a count of at least 1, not \"%1\"").arg(value);
            random = true;
            options.randomCount = count;
        } else if (name == QLatin1String("column")) {
            const int equals = value.indexOf(QLatin1Char('='));
            bool ok = false;
            const int column = equals > 0 ? value.left(equals).toInt(&ok) : 0;
            if (!ok || column < 1 || column > QTemplate::MaxColumns || equals + 1 >= value.size())
                return tr("--column takes N=FILE with N from 1 to %1, not \"%2\"")
                    .arg(QTemplate::MaxColumns)
                    .arg(value);
            if (options.columnFiles.contains(column))
                return tr("column %1 is given twice").arg(column);
            options.columnFiles.insert(column, value.mid(equals + 1));
        } else if (name == QLatin1String("eol")) {
            options.eolGiven = true;
            if (value == QLatin1String("unix"))
                options.eol = EolUnix;
            else if (value == QLatin1String("windows"))
                options.eol = EolWindows;
            else if (value == QLatin1String("mac"))
                options.eol = EolMac;
            else
                return tr("--eol takes unix, windows or mac, not \"%1\"").arg(value);
        }
        return QString();
    };
    const auto takesValue = [](const QString& name) {
        for (const ValueOption& option : ValueOptions) {
            if (option.name == name)
                return true;
        }
        return false;
    };
    const auto isFlag = [](const QString& name) {
        for (const FlagOption& option : FlagOptions) {
            if (option.name == name)
                return true;
        }
        return false;
    };
    const auto nameOf = [](QChar letter) {
        for (const ValueOption& option : ValueOptions) {
            if (!option.letter.isNull() && option.letter == letter)
                return QString(option.name);
        }
        for (const FlagOption& option : FlagOptions) {
            if (!option.letter.isNull() && option.letter == letter)
                return QString(option.name);
        }
        return QString();
    };

    bool onlyFiles = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (onlyFiles || argument == QLatin1String("-") || !argument.startsWith(QLatin1Char('-'))) {
            files.append(argument);
        } else if (argument == QLatin1String("--")) {
            onlyFiles = true;
        } else if (argument.startsWith(QLatin1String("--"))) {
            const int equals = argument.indexOf(QLatin1Char('='));
            const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
            QString error;
            if (takesValue(name)) {
                if (equals >= 0)
                    error = apply(name, argument.mid(equals + 1));
                else if (i + 1 < arguments.size())
                    error = apply(name, arguments.at(++i));
                else
                    error = tr("--%1 needs a value").arg(name);
            } else if (isFlag(name) && equals < 0) {
                error = apply(name, QString());
            } else {
                error = tr("unknown option %1").arg(argument);
            }
            if (!error.isEmpty())
                return fail(error);
        } else {
            // A cluster of letters; a letter that takes a value takes the rest of the cluster or the next argument.
            for (int at = 1; at < argument.size(); ++at) {
                const QString name = nameOf(argument.at(at));
                QString error;
                if (name.isEmpty()) {
                    error = tr("unknown option -%1").arg(argument.at(at));
                } else if (takesValue(name)) {
                    if (at + 1 < argument.size())
                        error = apply(name, argument.mid(at + 1));
                    else if (i + 1 < arguments.size())
                        error = apply(name, arguments.at(++i));
                    else
                        error = tr("-%1 needs a value").arg(argument.at(at));
                    at = argument.size();
                } else {
                    error = apply(name, QString());
                }
                if (!error.isEmpty())
                    return fail(error);
            }
        }
    }

    if (help) {
        options.action = Action::Help;
        return options;
    }
    if (version) {
        options.action = Action::Version;
        return options;
    }
    if (replace && random)
        return fail(tr("--replace and --random cannot be combined"));
    if (files.isEmpty())
        return fail(tr("no template file given"));
    if (files.size() > 1)
        return fail(tr("one template file only, not %1").arg(files.size()));
    options.templatePath = files.first();
    options.mode = replace ? Mode::Replace : random ? Mode::Random : Mode::Merge;
    return options;
}

QString RunOptions::usage(const QString& programName)
{
    return tr("Usage: %1 [options] TEMPLATE.s\n"
              "Runs a Lineweld template file as the window's merge (F5), Replace Match (F6) or data generator\n"
              "would, and writes the result.\n"
              "\n"
              "  -o, --output FILE        write the result to FILE (atomically) instead of standard output\n"
              "  -r, --replace            Replace Match instead of merge\n"
              "  -n, --random COUNT       COUNT random records (all columns take part, as in the data generator)\n"
              "  -c, --column N=FILE      take column N's lines from FILE instead of the template file (N from 1)\n"
              "      --eol unix|windows|mac   record separator (default: the preference's, else unix)\n"
              "      --single-line        join records with nothing (as multi-line off)\n"
              "      --progress           records per second on standard error while it runs\n"
              "  -h, --help               show this help\n"
              "  -v, --version            show the version\n"
              "\n"
              "Exit status: 0 success, 1 a file that cannot be read or written, 2 bad usage.\n")
        .arg(programName);
}
