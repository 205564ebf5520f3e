#include "app/CommandLine.h"

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine commandLine;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument == QLatin1String("--help")) {
            if (commandLine.action == CommandLine::Action::Run)
                commandLine.action = CommandLine::Action::ShowHelp;
        } else if (!optionsEnded && argument == QLatin1String("--version")) {
            if (commandLine.action == CommandLine::Action::Run)
                commandLine.action = CommandLine::Action::ShowVersion;
        } else {
            commandLine.files << argument;
        }
    }
    return commandLine;
}

QString versionText()
{
    return QStringLiteral("Tagomir wer.1.2");
}

QString usageText()
{
    return QStringLiteral(
        "Użycie: tagomir [OPCJA...] [--] [PLIK...]\n"
        "Edytor stron WWW i plików źródłowych; otwiera podane pliki w zakładkach.\n"
        "\n"
        "  --help     pokaż ten opis i zakończ\n"
        "  --version  pokaż wersję programu i zakończ\n"
        "  --         koniec opcji: dalsze argumenty są nazwami plików\n"
        "\n"
        "Gdy Tagomir już działa, podane pliki otwierają się w jego oknie.\n");
}
