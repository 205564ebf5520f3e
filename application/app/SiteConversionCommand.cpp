#include "app/SiteConversionCommand.h"

#include "common/CommandError.h"
#include "files/SiteBackup.h"
#include "files/SiteConversionReport.h"

#include <QElapsedTimer>

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
    SiteConversionRun run;
    run.target = options.target;
    run.written = !commandLine.dryRun;
    run.paths = commandLine.files;
    run.started = QDateTime::currentDateTime();
    QElapsedTimer timer;
    timer.start();
    // The copies' folder is checked and made before anything is looked at; a check writes none.
    std::optional<SiteBackup> backup;
    if (!commandLine.backupFolder.isEmpty() && !commandLine.dryRun) {
        backup.emplace(commandLine.backupFolder);
        const QString refused = backup->start(commandLine.files);
        if (!refused.isEmpty()) {
            print(QStringLiteral("Nic nie zmieniono: %1.\n").arg(refused));
            return 2;
        }
        options.backup = &*backup;
        run.backupFolder = commandLine.backupFolder;
    }
    const QList<SiteEntry> entries = collectSiteFiles(commandLine.files);
    QList<FileConversion> results;
    results.reserve(entries.size());
    int counts[4] = {};
    if (progress && !entries.isEmpty())
        progress(QStringLiteral("[1/%1] %2").arg(entries.size()).arg(entries.first().path));
    convertSiteEntries(entries, options, !commandLine.dryRun,
                       [&](qsizetype i, const FileConversion& done) {
                           ++counts[int(done.outcome)];
                           print(conversionLine(done, commandLine.dryRun));
                           if (!commandLine.reportPath.isEmpty())
                               results.append(done);
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
    if (!commandLine.reportPath.isEmpty()) {
        run.elapsedMs = timer.elapsed();
        try {
            writeWholeFile(commandLine.reportPath, siteConversionReport(run, results));
            print(QStringLiteral("Raport: %1\n").arg(commandLine.reportPath));
        } catch (const CommandError& error) {
            print(QStringLiteral("Nie zapisano raportu: %1\n")
                      .arg(QString(error.message()).replace(QLatin1Char('\n'), QLatin1Char(' '))));
            return 1;
        }
    }
    return counts[int(Outcome::Skipped)] + counts[int(Outcome::Failed)] > 0 ? 1 : 0;
}

int runRestore(const CommandLine& commandLine, const std::function<void(const QString&)>& print)
{
    QList<RestoredFile> restored;
    try {
        restored = restoreSiteBackup(commandLine.restoreFolder);
    } catch (const CommandError& error) {
        print(QStringLiteral("Nie przywrócono niczego: %1 nie jest kopią zrobioną przez --backup "
                             "(%2).\n")
                  .arg(commandLine.restoreFolder,
                       QString(error.message()).replace(QLatin1Char('\n'), QLatin1Char(' '))));
        return 1;
    }
    int failed = 0;
    for (const RestoredFile& file : restored) {
        failed += !file.error.isEmpty();
        print(file.path + QStringLiteral(": ") +
              (file.error.isEmpty() ? QStringLiteral("przywrócony")
                                    : QStringLiteral("błąd (%1)").arg(file.error)) +
              QLatin1Char('\n'));
    }
    print(
        QStringLiteral("Przywrócone: %1, błędy: %2.\n").arg(restored.size() - failed).arg(failed));
    return failed > 0 ? 1 : 0;
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
    const int status = commandLine.action == CommandLine::Action::Restore
                           ? runRestore(commandLine, print)
                           : runSiteConversion(commandLine, print, progress);
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
