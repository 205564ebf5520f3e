#include "app/FindCommand.h"

#include "files/FindInFiles.h"

#include <cstdio>

int runFind(const CommandLine& commandLine, const std::function<void(const QString&)>& print,
            const std::function<void(const QString&)>& problem)
{
    const FileSearchPattern pattern(FindQuery{commandLine.findText, !commandLine.ignoreCase,
                                              commandLine.wholeWord,
                                              commandLine.regularExpression});
    if (!pattern.isValid()) {
        problem(QStringLiteral("tagomir: ") + pattern.errorMessage() + QLatin1Char('\n'));
        return 2;
    }
    bool found = false;
    bool failed = false;
    // A folder's files are those of the site's kinds; a file named is searched whatever its name.
    searchFiles(collectSiteFiles(commandLine.files), pattern,
                [&](qsizetype, const FileSearchResult& result) {
                    if (result.status != FileSearchResult::Status::Searched) {
                        failed = failed || result.status == FileSearchResult::Status::Failed;
                        problem(
                            QStringLiteral("tagomir: %1: %2\n").arg(result.path, result.reason));
                        return;
                    }
                    QString lines;
                    for (const FileMatch& match : result.matches)
                        lines += QStringLiteral("%1:%2:%3: %4\n")
                                     .arg(result.path)
                                     .arg(match.line)
                                     .arg(match.column)
                                     .arg(match.lineText);
                    found = found || !result.matches.isEmpty();
                    if (!lines.isEmpty())
                        print(lines);
                });
    return failed ? 2 : found ? 0 : 1;
}

int runFindCommand(const CommandLine& commandLine)
{
    bool outputFailed = false;
    const int status = runFind(
        commandLine,
        [&](const QString& text) {
            if (std::fputs(text.toUtf8().constData(), stdout) < 0)
                outputFailed = true;
        },
        [](const QString& text) { std::fputs(text.toUtf8().constData(), stderr); });
    if (std::fflush(stdout) != 0 || outputFailed) {
        std::fputs("tagomir: nie udało się wypisać wyników na standardowe wyjście.\n", stderr);
        return 2;
    }
    return status;
}
