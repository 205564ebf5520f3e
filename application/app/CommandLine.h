#pragma once

#include <QStringList>

// What the program was asked to do on its command line.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Convert, Find, Restore, BadUsage };
    Action action = Action::Run;
    // The files to open, or the paths to convert.
    QStringList files;
    // Convert: the target as given, and its switches.
    QString convertTarget;
    bool dryRun = false;
    bool characterReferences = false;
    // Find: the text and its switches.
    QString findText;
    bool ignoreCase = false;
    bool wholeWord = false;
    bool regularExpression = false;
    // Convert: where the HTML report goes, and where the old files are copied (empty: none).
    QString reportPath;
    QString backupFolder;
    // Restore: the backup folder to put back.
    QString restoreFolder;
    // BadUsage: what is wrong, in Polish.
    QString usageError;

    bool operator==(const CommandLine&) const = default;
};

// Reads the arguments after the program's name: "--help" and "--version" (the first one given
// decides), "--" ends the options, and every other argument is a file path, kept in order; after
// "--" every argument is a path, whatever it looks like. "--convert TARGET" (utf-8, iso-8859-2,
// windows-1250) with "--dry-run" and "--entities" asks for the paths to be converted; a missing
// or unknown target, no path, a switch without --convert, or any other argument starting with
// "-" before "--" (a lone "-" too) is bad usage. "--report FILE" and "--backup FOLDER" go with
// --convert; "--restore FOLDER" puts a backup back and takes nothing else. "--find TEXT" (the next
// argument, whatever it looks like) with "--ignore-case", "--word" and "--regex" asks for the
// paths to be searched.
CommandLine parseCommandLine(const QStringList& arguments);

// "Tagomir wer.1.2"
QString versionText();

// The short Polish usage text printed by --help.
QString usageText();
