// Find and replace in the files of the generated site (2,000 pages of 50 KB in mixed encodings,
// 100 MB), with grep -r on a UTF-8 copy of the same pages as the yardstick in the same run; then
// a regular expression near the end of a 100 MB page, in the file engine and in the editor.
//   bench_findinfiles [pages]
#include "bench/GeneratedSite.h"
#include "bench/LargePage.h"
#include "editor/TSynMemo.h"
#include "files/DocumentReader.h"
#include "files/FindInFiles.h"
#include "search/EditorSearch.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double peakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

void restartPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Seconds to search the folder, and the matches found.
double findOnce(const QString& folder, const FindQuery& query, qsizetype* matches)
{
    QElapsedTimer timer;
    timer.start();
    *matches = 0;
    searchFiles(
        collectFilesToSearch({folder}, siteFilePatterns().join(' ')), FileSearchPattern(query),
        [&](qsizetype, const FileSearchResult& result) { *matches += result.matches.size(); });
    return timer.nsecsElapsed() / 1e9;
}

double grepOnce(const QString& folder, const QString& word, const QStringList& switches)
{
    QElapsedTimer timer;
    timer.start();
    QProcess grep;
    grep.setStandardOutputFile(QProcess::nullDevice());
    grep.start(QStringLiteral("grep"), switches + QStringList{QStringLiteral("-rn"), word, folder});
    grep.waitForFinished(-1);
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int pages = argc > 1 ? std::atoi(argv[1]) : 2000;
    QTemporaryDir temporary;
    const QString site = temporary.filePath(QStringLiteral("site"));
    const QString utf8 = temporary.filePath(QStringLiteral("utf8"));
    generate(site, pages);
    generate(utf8, pages, true);
    std::printf("%d pages, %.0f MB, mixed encodings (UTF-8 copy for grep)\n", pages,
                pages * double(PageBytes) / 1e6);

    qsizetype matches = 0;
    struct Case {
        const char* label;
        FindQuery query;
        QStringList grep;
    };
    const Case cases[] = {
        {"word, one case        ", {QStringLiteral("Strona"), true, false, false}, {"-F"}},
        {"word, any case, whole ",
         {QStringLiteral("ŹDŹBŁO"), false, true, false},
         {"-F", "-i", "-w"}},
        {"regex, one case       ", {QStringLiteral("Stro\\w+ \\d+"), true, false, true}, {"-P"}},
        {"regex, any case       ", {QStringLiteral("źdź\\w+"), false, false, true}, {"-P", "-i"}},
    };
    for (const Case& c : cases) {
        restartPeak();
        findOnce(site, c.query, &matches); // the first run reads the files into the cache
        const double ours = findOnce(site, c.query, &matches);
        const double grep = grepOnce(utf8, c.query.text, c.grep);
        std::printf("find %s %7.3f s  (%lld matches, peak %.0f MiB)   grep -rn %s: %7.3f s\n",
                    c.label, ours, qlonglong(matches), peakMiB(), qPrintable(c.grep.join(' ')),
                    grep);
    }

    // Replace: planned, copied and written, every page.
    {
        QElapsedTimer timer;
        timer.start();
        const FileSearchPattern pattern({QStringLiteral("Strona"), true, false, false});
        QList<FileReplacement> plans;
        planFileReplacements(collectFilesToSearch({site}, QStringLiteral("*.htm")), pattern,
                             QStringLiteral("Stronica"), false,
                             [&](qsizetype, const FileReplacement& plan) { plans << plan; });
        const double planned = timer.nsecsElapsed() / 1e9;
        ReplacementRun run;
        int written = 0;
        for (const FileWriteOutcome& outcome :
             applyFileReplacements(plans, temporary.filePath(QStringLiteral("kopie")), &run))
            written += outcome.written;
        const double total = timer.nsecsElapsed() / 1e9;
        std::printf("replace word:           %7.3f s  (%d files written with copies; planning "
                    "%.3f s)\n",
                    total, written, planned);
        timer.restart();
        undoFileReplacements(run);
        std::printf("undo replacement:       %7.3f s\n", timer.nsecsElapsed() / 1e9);
    }

    // A 100 MB page with the match near its end.
    const QString large = makeLargePage(temporary, {}, "<p>Koniec: \xb3\xb9ka-42.</p>\r\n");
    {
        const SiteEntry entry{large, {}, {}, comparablePath(large)};
        // The first run reads the page into the cache, as for the site.
        (void)searchFile(entry, FileSearchPattern({QStringLiteral("łąka-42"), false, false, false}));
        for (const bool regex : {false, true}) {
            const double before = (restartPeak(), peakMiB());
            QElapsedTimer timer;
            timer.start();
            const FileSearchResult result = searchFile(
                entry,
                FileSearchPattern({regex ? QStringLiteral("łąka-\\d+") : QStringLiteral("łąka-42"),
                                   false, false, regex}));
            std::printf("100 MB page, file, %s %7.3f s  (%lld matches, peak %.0f MiB over the "
                        "%.0f MiB before)\n",
                        regex ? "regex:" : "plain:", timer.nsecsElapsed() / 1e9,
                        qlonglong(result.matches.size()), peakMiB() - before, before);
        }
        TSynMemo editor;
        DocumentRead read = readDocument(large);
        editor.loadFile(read);
        for (const bool regex : {false, true}) {
            editor.moveCaret(0);
            QElapsedTimer timer;
            timer.start();
            const int found = searchAndReplace(
                editor, regex ? QStringLiteral("łąka-\\d+") : QStringLiteral("łąka-42"), {},
                regex ? SearchOptions(SearchOption::RegularExpression) : SearchOptions());
            std::printf("100 MB page, editor, %s %7.3f s  (found %d)\n",
                        regex ? "regex:" : "plain:", timer.nsecsElapsed() / 1e9, found);
        }
    }
    return 0;
}
