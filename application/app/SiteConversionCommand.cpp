#include "app/SiteConversionCommand.h"

#include <cstdio>
#include <unistd.h>

using Outcome = FileConversion::Outcome;

QString conversionLine(const FileConversion& conversion, bool dryRun)
{
    QString line = conversion.path + QStringLiteral(": ");
    if (!conversion.from.isEmpty())
        line += conversion.from + QStringLiteral(" → ") + conversion.to + QStringLiteral(", ");
    line += describeOutcome(conversion, !dryRun, QStringLiteral("do zmiany")) + QLatin1Char('\n');
    // What the author should look at before (or after) the conversion, under the file's line.
    for (const QString& warning : conversion.warnings)
        line += QStringLiteral("  uwaga: ") + warning + QLatin1Char('\n');
    return line;
}

int runSiteConversion(const CommandLine& commandLine,
                      const std::function<void(const QString&)>& print,
                      const std::function<void(const QString&)>& progress)
{
    SiteConversionOptions options;
    // The command line admits only the values a declaration gives.
    options.target = *Encoding::fromCharsetValue(commandLine.convertTarget);
    options.characterReferences = commandLine.characterReferences;
    const QList<SiteEntry> entries = collectSiteFiles(commandLine.files);
    int counts[4] = {};
    if (progress && !entries.isEmpty())
        progress(QStringLiteral("[1/%1] %2").arg(entries.size()).arg(entries.first().path));
    convertSiteEntries(entries, options, !commandLine.dryRun,
                       [&](qsizetype i, const FileConversion& done) {
                           ++counts[int(done.outcome)];
                           print(conversionLine(done, commandLine.dryRun));
                           if (progress && i + 1 < entries.size())
                               progress(QStringLiteral("[%1/%2] %3")
                                            .arg(i + 2)
                                            .arg(entries.size())
                                            .arg(entries[i + 1].path));
                       });
    print(QStringLiteral("%1%2: %3, bez zmian: %4, pominięte: %5, błędy: %6.\n")
              .arg(commandLine.dryRun ? QStringLiteral("Próba, nic nie zapisano. Do zmiany")
                                      : QStringLiteral("Zmienione"))
              .arg(entries.isEmpty() ? QStringLiteral(" (nie znaleziono plików)") : QString())
              .arg(counts[int(Outcome::Changed)])
              .arg(counts[int(Outcome::Unchanged)])
              .arg(counts[int(Outcome::Skipped)])
              .arg(counts[int(Outcome::Failed)]));
    return counts[int(Outcome::Skipped)] + counts[int(Outcome::Failed)] > 0 ? 1 : 0;
}

int runSiteConversionCommand(const CommandLine& commandLine)
{
    if (commandLine.action == CommandLine::Action::BadUsage) {
        std::fputs(("tagomir: " + commandLine.usageError + "\n" + "Opis opcji: tagomir --help\n")
                       .toUtf8()
                       .constData(),
                   stderr);
        return 2;
    }
    const bool terminal = isatty(fileno(stdout));
    bool progressShown = false;
    auto clearProgress = [&] {
        if (progressShown)
            std::fputs("\r\033[K", stdout);
        progressShown = false;
    };
    // Each line goes out at once, so that a run stopped midway leaves the report of what it did
    // in a file or a pipe.
    bool outputFailed = false;
    auto print = [&](const QString& text) {
        clearProgress();
        if (std::fputs(text.toUtf8().constData(), stdout) < 0 || std::fflush(stdout) != 0)
            outputFailed = true;
    };
    std::function<void(const QString&)> progress;
    if (terminal)
        progress = [&](const QString& text) {
            clearProgress();
            std::fputs(text.toUtf8().constData(), stdout);
            std::fflush(stdout);
            progressShown = true;
        };
    const int status = runSiteConversion(commandLine, print, progress);
    if (outputFailed) {
        std::fputs(QStringLiteral("tagomir: nie udało się zapisać całego raportu na standardowe "
                                  "wyjście.\n")
                       .toUtf8()
                       .constData(),
                   stderr);
        return 1;
    }
    return status;
}
