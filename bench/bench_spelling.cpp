// Spell checking through the main window, on a display:
//   bench_spelling keystroke   keys at the end of a 10 MB Polish page while it is being checked
//   bench_spelling keystroke-off   the same keys with the checking off
//   bench_spelling whole       the time the whole of that page takes to check in idle time
//   bench_spelling firstscreen a 100 MB page freshly opened: from shown to its first screen checked
//   bench_spelling oneline     keys at the end of a minified 10 MB page of one line
//   bench_spelling oneline-off the same keys with the checking off
#include "app/SpellingCommands.h"
#include "app/TForm1.h"
#include "bench/LargePage.h"
#include "bench/SilentDesktop.h"
#include "document/DocumentPage.h"
#include "editor/SpellChecking.h"
#include "editor/TSynMemo.h"
#include "tests/support/ComponentAccess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <time.h>

namespace {

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// About `bytes` of Polish paragraphs in UTF-8, one misspelt word in every few lines.
QString makePolishPage(const QTemporaryDir& dir, qint64 bytes)
{
    const QString path = dir.filePath(QStringLiteral("polski.html"));
    QFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    written =
        written && file.write("<!DOCTYPE html>\n<html lang=\"pl\">\n<head><meta charset=\"utf-8\">"
                              "<title>Żółwie błotne</title></head>\n<body>\n") > 0;
    const QByteArray lines[] = {
        "<p class=\"tekst\">Żółw błotny to jedyny żółw żyjący dziko w naszym kraju.</p>\n",
        "<p>Można go spotkać na Polesiu, gdzie żyje w płytkich zbiornikach &ndash; "
        "<a href=\"https://przyroda.pl/zolw\">więcej</a>.</p>\n",
        "<p>Samice składają jaja w czerwcu, a młode wykluwają się we wrześniu.</p>\n",
        "<p>Trzeba wziąść pod uwagę, że gatunek jest pod ścisłą ochroną.</p>\n",
        "<img src=\"zolw.jpg\" alt=\"Żółw wygrzewający się na pniu\" width=\"320\">\n",
        "<p>Ma&shy;szyna liczy jaja, a <b>badacze</b> zapisują wyniki w dzienniku.</p>\n",
        "<p>Zwierzęta zimują w mułe na dnie stawów i jezior.</p>\n",
    };
    for (int i = 0; written && file.pos() < bytes; ++i)
        written = file.write(lines[i % std::size(lines)]) > 0;
    written = written && file.write("</body>\n</html>\n") > 0 && file.flush();
    if (!written) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    return path;
}

struct Page {
    TSynMemo* editor;
    SpellChecking* checking;
};

Page open(TForm1& form, const QString& path)
{
    form.OpenFileInPage(QFileInfo(path).fileName(), path);
    QCoreApplication::processEvents();
    auto* spelling = form.findChild<SpellingCommands*>();
    return {form.ActiveEditor(), spelling->checkingOf(form.activePage())};
}

// Runs the event loop until `done`, for at most `limitMs`; the most processor time a pass
// through it took, in ms (its wall-clock time suffers when other processes share the processors).
template <typename Done> double runUntil(const Done& done, qint64 limitMs)
{
    QElapsedTimer all;
    all.start();
    double longest = 0;
    while (!done() && all.elapsed() < limitMs) {
        const double start = threadCpuMs();
        QCoreApplication::processEvents();
        longest = std::max(longest, threadCpuMs() - start);
    }
    return longest;
}

void waitForDictionary(Page page)
{
    // The dictionary loads on its own thread at the first check.
    runUntil([&] { return page.checking->isShownChecked(); }, 10000);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    installFastEditorAccessibility();
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("keystroke");
    QTemporaryDir dir;
    SilentDesktop desktop;
    TForm1 form(desktop, {}, dir.filePath("Tagomir.dat"));
    form.resize(1000, 800);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    QElapsedTimer timer;

    if (mode == QLatin1String("firstscreen")) {
        const QString small = dir.filePath(QStringLiteral("maly.html"));
        // A small page first, which has the dictionary loaded.
        QFile warm(small);
        if (!warm.open(QIODevice::WriteOnly) || warm.write("<p>Rozgrzewka słownika</p>") < 0 ||
            !warm.flush()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(small));
            return 1;
        }
        warm.close();
        timer.start();
        waitForDictionary(open(form, small));
        std::printf("dictionary loaded and a small page checked after %lld ms\n", timer.elapsed());
        const QString path = makeLargePage(dir, "<p>Trzeba wziąść pod uwage</p>\r\n");
        timer.restart();
        form.OpenFileInPage(QFileInfo(path).fileName(), path);
        const qint64 openMs = timer.elapsed();
        TSynMemo* editor = form.ActiveEditor();
        SpellChecking* checking =
            form.findChild<SpellingCommands*>()->checkingOf(form.activePage());
        qint64 paintedMs = -1;
        QsciScintillaBase* shown = component(editor);
        QObject::connect(shown, &QsciScintillaBase::SCN_PAINTED, shown, [&] {
            if (paintedMs < 0)
                paintedMs = timer.elapsed();
        });
        qint64 checkedMs = -1;
        runUntil(
            [&] {
                if (paintedMs >= 0 && checkedMs < 0 && checking->isShownChecked())
                    checkedMs = timer.elapsed();
                return checkedMs >= 0;
            },
            10000);
        std::printf("100 MB page: opened in %lld ms, first shown %lld ms after, its first screen "
                    "checked %lld ms after that (%lld marks on it)\n",
                    openMs, paintedMs - openMs, checkedMs - paintedMs,
                    qint64(checking->marks(0, 100000).size()));
        return 0;
    }

    const bool oneLine = mode.startsWith(QLatin1String("oneline"));
    const QString path =
        oneLine ? makeOneLinePage(dir, 10'000'000) : makePolishPage(dir, 10'000'000);
    timer.start();
    const Page page = open(form, path);
    page.editor->setFocus();
    component(page.editor)->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QCoreApplication::processEvents();
    waitForDictionary(page);
    const qint64 readyMs = timer.elapsed();
    if (mode == QLatin1String("whole")) {
        timer.restart();
        const double cpuStart = threadCpuMs();
        const double longest = runUntil([&] { return !page.checking->isCatchingUp(); }, 120000);
        std::printf("Polish page of %.1f MB: dictionary and shown text checked after %lld ms; the "
                    "rest in idle time in %lld ms (processor %.0f ms), the longest pass of "
                    "the event loop %.2f ms of processor time, %lld marks\n",
                    QFileInfo(path).size() / 1e6, readyMs, timer.elapsed(),
                    threadCpuMs() - cpuStart, longest, qint64(page.checking->marks().size()));
        return 0;
    }
    // For comparison: the same keys with the checking off.
    const bool off = mode.endsWith(QLatin1String("-off"));
    if (off)
        page.checking->setEnabled(false);
    const QString letters = QStringLiteral("zażółćgęśląjaźń ");
    int keys = 0, over5 = 0;
    double maxMs = 0, totalMs = 0, maxCpuMs = 0, totalCpuMs = 0;
    timer.restart();
    while ((page.checking->isCatchingUp() || off || oneLine) && keys < (oneLine ? 100 : 400)) {
        QElapsedTimer key;
        key.start();
        const double cpuStart = threadCpuMs();
        QTest::sendKeyEvent(QTest::Click, page.editor->viewport(), Qt::Key_unknown,
                            letters.mid(keys % letters.size(), 1), Qt::NoModifier);
        QCoreApplication::processEvents();
        const double ms = key.nsecsElapsed() / 1e6;
        const double cpuMs = threadCpuMs() - cpuStart;
        ++keys;
        maxMs = std::max(maxMs, ms);
        totalMs += ms;
        maxCpuMs = std::max(maxCpuMs, cpuMs);
        totalCpuMs += cpuMs;
        over5 += cpuMs >= 5;
    }
    const qint64 typingMs = timer.elapsed();
    runUntil([&] { return !page.checking->isCatchingUp(); }, 120000);
    std::printf("%s of %.1f MB: dictionary and shown text checked after %lld ms; %d keys at its "
                "end while checking: %.2f ms a key (at most %.2f ms; processor %.2f ms, at most "
                "%.2f ms, %d of 5 ms or more); whole text checked %lld ms after the jump (%lld ms "
                "of them typing), %lld marks\n",
                oneLine ? "minified page on one line" : "Polish page", QFileInfo(path).size() / 1e6,
                readyMs, keys, keys ? totalMs / keys : 0.0, maxMs, keys ? totalCpuMs / keys : 0.0,
                maxCpuMs, over5, timer.elapsed(), typingMs, qint64(page.checking->marks().size()));
    return 0;
}
