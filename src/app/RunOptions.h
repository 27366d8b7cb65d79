#pragma once
// The command line of lineweld-run: which run to make on which template file, where the columns and the
// result go. Options take their value as the next argument or after "=" (long) or directly (short).

#include "editor/TextUtils.h"

#include <QCoreApplication>
#include <QMap>
#include <QString>
#include <QStringList>

struct RunOptions
{
    Q_DECLARE_TR_FUNCTIONS(RunOptions)
public:
    enum class Mode { Merge, Replace, Random };
    // What the command line asks for: a run, the help or the version, or nothing but a usage error.
    enum class Action { Run, Help, Version, UsageError };

    Action action = Action::Run;
    // Why the command line was refused; empty unless action is UsageError.
    QString error;

    Mode mode = Mode::Merge;
    QString templatePath;
    // Empty for standard output.
    QString outputPath;
    int randomCount = 0;
    // Column number (from 1) to the file its lines come from.
    QMap<int, QString> columnFiles;
    // Set by --eol; otherwise the preference decides.
    bool eolGiven = false;
    EolFormat eol = EolUnix;
    bool singleLine = false;
    bool progress = false;

    static RunOptions parse(const QStringList& arguments);
    static QString usage(const QString& programName);
};
