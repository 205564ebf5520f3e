// Converting a generated site of 2,000 pages of 50 KB each (100 MB; ISO-8859-2, windows-1250,
// UTF-8 and undeclared windows-1250 in turn) to UTF-8: the first run, a second run with nothing
// left to do, first runs on fresh copies with the HTML report, with a backup of every file
// changed, and with both, and a shell loop of iconv and sed over the same pages.
//   bench_site [pages] [folder]   (the folder defaults to a temporary one)
#include "bench/GeneratedSite.h"
#include "files/FileWriter.h"
#include "files/SiteBackup.h"
#include "files/SiteConversion.h"
#include "files/SiteConversionReport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// One run over the folder; with `report`, the results are kept and the HTML report written
// there, with `backup`, every file changed is copied first into that folder.
double convertOnce(const QString& folder, int& changed, bool write = true,
                   const QString& report = {}, const QString& backup = {})
{
    QElapsedTimer timer;
    timer.start();
    SiteConversionOptions options;
    options.target = EncodingUtf8;
    std::optional<SiteBackup> copies;
    if (!backup.isEmpty()) {
        copies.emplace(backup);
        if (!copies->start({folder}).isEmpty())
            std::fprintf(stderr, "cannot back up into %s\n", qPrintable(backup));
        options.backup = &*copies;
    }
    changed = 0;
    QList<FileConversion> results;
    convertSiteEntries(collectSiteFiles({folder}), options, write,
                       [&](qsizetype, const FileConversion& done) {
                           changed += done.outcome == FileConversion::Outcome::Changed;
                           if (!report.isEmpty())
                               results.append(done);
                       });
    if (!report.isEmpty()) {
        SiteConversionRun run;
        run.paths = {folder};
        run.started = QDateTime::currentDateTime();
        writeWholeFile(report, siteConversionReport(run, results));
    }
    return timer.nsecsElapsed() / 1e9;
}

// The same pages through iconv and sed: each page's declared encoding (windows-1250 when there
// is none) to UTF-8, its declaration rewritten, pages already in UTF-8 left alone.
double shellLoop(const QString& folder)
{
    const QString script = QStringLiteral(
        "find \"$1\" -name '*.htm' | while read -r f; do "
        "enc=$(grep -o -i -m1 'charset=\"\\?[a-z0-9-]*' \"$f\" | sed 's/.*=\"\\?//'); "
        "[ \"$enc\" = utf-8 ] && continue; "
        "iconv -f \"${enc:-windows-1250}\" -t utf-8 \"$f\" | "
        "sed \"s/charset=\\(\\\"\\?\\)$enc/charset=\\1utf-8/;s/\\$/\\r/\" > \"$f.tmp\" && "
        "mv \"$f.tmp\" \"$f\"; done");
    QElapsedTimer timer;
    timer.start();
    QProcess::execute(QStringLiteral("bash"),
                      {QStringLiteral("-c"), script, QStringLiteral("-"), folder});
    return timer.nsecsElapsed() / 1e9;
}

// Processor time of all the program's threads so far, user and system.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    const int pages = argc > 1 ? std::atoi(argv[1]) : 2000;
    QTemporaryDir temporary;
    const QString base = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path();
    const QString ours = base + QStringLiteral("/tagomir");
    const QString shell = base + QStringLiteral("/iconv");
    generate(ours, pages);
    generate(shell, pages);
    const double megabytes = pages * double(PageBytes) / 1e6;

    int changed = 0;
    const double dry = convertOnce(ours, changed, false);
    std::printf("tagomir, dry run:     %7.3f s  (%d pages to convert)\n", dry, changed);
    const double first = convertOnce(ours, changed);
    std::printf("tagomir, first run:   %7.3f s  (%d of %d pages converted, %.0f MB, %.0f MB/s)\n",
                first, changed, pages, megabytes, megabytes / first);
    const double second = convertOnce(ours, changed);
    std::printf("tagomir, second run:  %7.3f s  (%d pages converted)\n", second, changed);
    // The same first run on fresh copies, plain and with the report, the backup or both; each
    // the best of a few rounds, since the disk's syncs vary from run to run.
    const struct {
        const char* name;
        bool report;
        bool backup;
    } variants[] = {{"plain", false, false},
                    {"+ report", true, false},
                    {"+ backup", false, true},
                    {"+ both", true, true}};
    const int rounds = qEnvironmentVariableIntValue("TAGOMIR_BENCH_ROUNDS") > 0
                           ? qEnvironmentVariableIntValue("TAGOMIR_BENCH_ROUNDS")
                           : 3;
    double best[4] = {1e9, 1e9, 1e9, 1e9};
    double bestCpu[4] = {1e9, 1e9, 1e9, 1e9};
    for (int round = 0; round < rounds; ++round) {
        for (int v = 0; v < 4; ++v) {
            const QString copy = base + QStringLiteral("/variant%1").arg(v);
            generate(copy, pages);
            // Each run starts with nothing of the pages' writing left to the disk.
            ::sync();
            const double cpuBefore = cpuSeconds();
            const double time =
                convertOnce(copy, changed, true,
                            variants[v].report ? copy + QStringLiteral(".html") : QString(),
                            variants[v].backup ? copy + QStringLiteral("-kopia") : QString());
            best[v] = std::min(best[v], time);
            bestCpu[v] = std::min(bestCpu[v], cpuSeconds() - cpuBefore);
            QDir(copy).removeRecursively();
            QDir(copy + QStringLiteral("-kopia")).removeRecursively();
            QFile::remove(copy + QStringLiteral(".html"));
        }
    }
    for (int v = 0; v < 4; ++v)
        std::printf("first run %-9s   %7.3f s  (best of %d, %+.0f%% on the plain run; processor "
                    "%.3f s, %+.0f%%)\n",
                    variants[v].name, best[v], rounds, (best[v] / best[0] - 1) * 100, bestCpu[v],
                    (bestCpu[v] / bestCpu[0] - 1) * 100);
    if (qEnvironmentVariableIsSet("TAGOMIR_BENCH_NO_SHELL"))
        return 0;
    const double loop = shellLoop(shell);
    std::printf("iconv + sed loop:     %7.3f s\n", loop);
    return 0;
}
