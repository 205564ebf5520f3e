// Converting a generated site of 2,000 pages of 50 KB each (100 MB; ISO-8859-2, windows-1250,
// UTF-8 and undeclared windows-1250 in turn) to UTF-8: the first run, a second run with nothing
// left to do, and a shell loop of iconv and sed over the same pages.
//   bench_site [pages] [folder]   (the folder defaults to a temporary one)
#include "bench/GeneratedSite.h"
#include "files/SiteConversion.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double convertOnce(const QString& folder, int& changed, bool write = true)
{
    QElapsedTimer timer;
    timer.start();
    SiteConversionOptions options;
    options.target = EncodingUtf8;
    changed = 0;
    convertSiteEntries(collectSiteFiles({folder}), options, write,
                       [&changed](qsizetype, const FileConversion& done) {
                           changed += done.outcome == FileConversion::Outcome::Changed;
                       });
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
    if (qEnvironmentVariableIsSet("TAGOMIR_BENCH_NO_SHELL"))
        return 0;
    const double loop = shellLoop(shell);
    std::printf("iconv + sed loop:     %7.3f s\n", loop);
    return 0;
}
