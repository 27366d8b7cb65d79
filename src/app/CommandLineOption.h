#pragma once
// One option known to the command-line parser: its short and long forms, its help line and the
// function run when it is met.

#include <QChar>
#include <QString>

struct CommandLineOption
{
    // Called with the object that added the option.
    using Handler = void (*)(void* object);

    Handler handler = nullptr;
    void* object = nullptr;
    // The letter after a single hyphen; a null character means the option has no short form.
    QChar shortName;
    // The whole long form including its two leading hyphens, such as "--version".
    QString longName;
    QString help;
};
