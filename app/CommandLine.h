#pragma once

#include <QStringList>

// What the program was asked to do on its command line.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion };
    Action action = Action::Run;
    QStringList files;

    bool operator==(const CommandLine&) const = default;
};

// Reads the arguments after the program's name: "--help" and "--version" (the first one given
// decides), "--" ends the options, and every other argument is a file path, kept in order.
CommandLine parseCommandLine(const QStringList& arguments);

// "Tagomir wer.1.2"
QString versionText();

// The short Polish usage text printed by --help.
QString usageText();
