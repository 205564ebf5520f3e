#include "app/CommandLine.h"

#include "files/SiteConversion.h"

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine commandLine;
    bool optionsEnded = false;
    bool converting = false;
    bool finding = false;
    auto badUsage = [](const QString& error) {
        CommandLine bad;
        bad.action = CommandLine::Action::BadUsage;
        bad.usageError = error;
        return bad;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument == QLatin1String("--help")) {
            if (commandLine.action == CommandLine::Action::Run)
                commandLine.action = CommandLine::Action::ShowHelp;
        } else if (!optionsEnded && argument == QLatin1String("--version")) {
            if (commandLine.action == CommandLine::Action::Run)
                commandLine.action = CommandLine::Action::ShowVersion;
        } else if (!optionsEnded && argument == QLatin1String("--convert")) {
            if (converting)
                return badUsage(QStringLiteral("Opcja --convert podana dwa razy."));
            converting = true;
            if (++i == arguments.size())
                return badUsage(QStringLiteral("Po --convert brakuje kodowania docelowego."));
            commandLine.convertTarget = arguments[i];
            if (!Encoding::fromCharsetValue(commandLine.convertTarget))
                return badUsage(QStringLiteral("Nieznane kodowanie docelowe: %1 (dozwolone: "
                                               "utf-8, iso-8859-2, windows-1250).")
                                    .arg(commandLine.convertTarget));
        } else if (!optionsEnded && argument == QLatin1String("--find")) {
            if (finding)
                return badUsage(QStringLiteral("Opcja --find podana dwa razy."));
            finding = true;
            if (++i == arguments.size())
                return badUsage(QStringLiteral("Po --find brakuje szukanego tekstu."));
            commandLine.findText = arguments[i];
        } else if (!optionsEnded && argument == QLatin1String("--ignore-case")) {
            commandLine.ignoreCase = true;
        } else if (!optionsEnded && argument == QLatin1String("--word")) {
            commandLine.wholeWord = true;
        } else if (!optionsEnded && argument == QLatin1String("--regex")) {
            commandLine.regularExpression = true;
        } else if (!optionsEnded && (argument == QLatin1String("--report") ||
                                     argument == QLatin1String("--backup") ||
                                     argument == QLatin1String("--restore"))) {
            if (++i == arguments.size())
                return badUsage(QStringLiteral("Po %1 brakuje ścieżki.").arg(argument));
            QString& value = argument == QLatin1String("--report")   ? commandLine.reportPath
                             : argument == QLatin1String("--backup") ? commandLine.backupFolder
                                                                     : commandLine.restoreFolder;
            if (!value.isEmpty())
                return badUsage(QStringLiteral("Opcja %1 podana dwa razy.").arg(argument));
            value = arguments[i];
        } else if (!optionsEnded && argument == QLatin1String("--dry-run")) {
            commandLine.dryRun = true;
        } else if (!optionsEnded && argument == QLatin1String("--entities")) {
            commandLine.characterReferences = true;
        } else if (!optionsEnded && argument == QLatin1String("-")) {
            // Elsewhere "-" means standard input, which the editor does not read: opening an
            // empty page of that name would only mislead.
            return badUsage(QStringLiteral("Tagomir nie czyta standardowego wejścia („-”); plik "
                                           "o tej nazwie to ./-"));
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-'))) {
            return badUsage(QStringLiteral("Nieznana opcja: %1").arg(argument));
        } else {
            commandLine.files << argument;
        }
    }
    if (commandLine.action != CommandLine::Action::Run)
        return commandLine;
    if (!commandLine.restoreFolder.isEmpty()) {
        if (converting || finding || !commandLine.files.isEmpty())
            return badUsage(QStringLiteral("Opcja --restore nie łączy się z innymi."));
        commandLine.action = CommandLine::Action::Restore;
        return commandLine;
    }
    if (!converting && (!commandLine.reportPath.isEmpty() || !commandLine.backupFolder.isEmpty()))
        return badUsage(QStringLiteral("Opcje --report i --backup działają tylko z --convert."));
    if (finding && converting)
        return badUsage(QStringLiteral("Opcji --find i --convert nie można łączyć."));
    if (!finding &&
        (commandLine.ignoreCase || commandLine.wholeWord || commandLine.regularExpression))
        return badUsage(
            QStringLiteral("Opcje --ignore-case, --word i --regex działają tylko z --find."));
    if (finding && commandLine.findText.isEmpty())
        return badUsage(QStringLiteral("Szukany tekst po --find jest pusty."));
    if (finding && commandLine.files.isEmpty())
        return badUsage(QStringLiteral("Po --find brakuje plików lub folderów."));
    if (finding) {
        commandLine.action = CommandLine::Action::Find;
        return commandLine;
    }
    if (!converting && (commandLine.dryRun || commandLine.characterReferences))
        return badUsage(QStringLiteral("Opcje --dry-run i --entities działają tylko z --convert."));
    if (converting && commandLine.files.isEmpty())
        return badUsage(QStringLiteral("Po --convert brakuje plików lub folderów."));
    if (converting)
        commandLine.action = CommandLine::Action::Convert;
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
        "       tagomir --convert KODOWANIE [--dry-run] [--entities] [--report PLIK]\n"
        "               [--backup FOLDER] ŚCIEŻKA...\n"
        "       tagomir --restore FOLDER\n"
        "       tagomir --find TEKST [--ignore-case] [--word] [--regex] ŚCIEŻKA...\n"
        "Edytor stron WWW i plików źródłowych; otwiera podane pliki w zakładkach.\n"
        "\n"
        "  --help     pokaż ten opis i zakończ\n"
        "  --version  pokaż wersję programu i zakończ\n"
        "  --         koniec opcji: dalsze argumenty są nazwami plików, także te\n"
        "             zaczynające się od -\n"
        "\n"
        "  --convert KODOWANIE  zmień kodowanie plików i folderów (z podfolderami) na utf-8,\n"
        "                       iso-8859-2 lub windows-1250, bez otwierania okna\n"
        "  --dry-run            tylko pokaż, co by się zmieniło\n"
        "  --entities           znaki spoza kodowania zapisz jako odwołania HTML (&#8594;)\n"
        "  --report PLIK        zapisz raport HTML (UTF-8) z tym, co zmieniono w każdym pliku\n"
        "  --backup FOLDER      przed zmianą skopiuj każdy plik do FOLDER (pustego, spoza\n"
        "                       zmienianych folderów), z zachowaniem drzewa folderów\n"
        "  --restore FOLDER     przywróć pliki z kopii zrobionej przez --backup\n"
        "\n"
        "  --find TEKST         znajdź tekst w plikach i folderach (z podfolderami), każdy\n"
        "                       plik czytany w jego kodowaniu; wypisuje ścieżka:wiersz:kolumna:\n"
        "                       wiersz; kod wyjścia 0 (znaleziono), 1 (nie), 2 (błąd)\n"
        "  --ignore-case        bez względu na wielkość liter\n"
        "  --word               tylko całe wyrazy\n"
        "  --regex              TEKST jest wyrażeniem regularnym\n"
        "\n"
        "Inny argument zaczynający się od - przed -- jest błędem.\n"
        "Gdy Tagomir już działa na tym samym ekranie, podane pliki otwierają się w jego\n"
        "oknie, także gdy ono jeszcze wczytuje plik.\n");
}
