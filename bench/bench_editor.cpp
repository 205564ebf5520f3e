// Whole-program timings: start-up to a shown window, opening and saving a 100 MB page through
// the main window, and typing at the end of it; opening a minified page of one long line and
// typing at its end. Each measurement runs in a fresh process so that the peak memory it
// reports is its own:
//   bench_editor startup | open | save | keystroke | colouring-top | switch   [file]
//   bench_editor colouring [file [command]]      (command: mnuCppClick unless given)
//   bench_editor oneline bytes [file]      (a missing file is made there, to be used again)
#include "app/TForm1.h"
#include "bench/LargePage.h"
#include "bench/SilentDesktop.h"
#include "document/DocumentPage.h"
#include "editor/TSynMemo.h"
#include "tests/support/ComponentAccess.h"

#include "desktop/Desktop.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtTest/qtestkeyboard.h>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>

namespace {

double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Keys, each typed and then shown. Wall-clock times suffer when other processes share the
// processors; the main thread's processor time is what each key itself costs.
struct KeyTimes {
    int count = 0;
    double totalMs = 0;
    double maxMs = 0;
    double totalCpuMs = 0;
    double maxCpuMs = 0;
    int over5 = 0;

    template <typename Key> void type(const Key& key)
    {
        QElapsedTimer keyTimer;
        keyTimer.start();
        const double cpuStart = threadCpuMs();
        key();
        QCoreApplication::processEvents(); // the repaint of what changed
        const double ms = keyTimer.nsecsElapsed() / 1e6;
        const double cpuMs = threadCpuMs() - cpuStart;
        ++count;
        totalMs += ms;
        maxMs = std::max(maxMs, ms);
        totalCpuMs += cpuMs;
        maxCpuMs = std::max(maxCpuMs, cpuMs);
        over5 += cpuMs >= 5;
    }
    double meanMs() const { return count ? totalMs / count : 0.0; }
    double meanCpuMs() const { return count ? totalCpuMs / count : 0.0; }
};

// A letter as a keyboard types it, Polish ones included.
void typeLetter(QWidget* editor, const QString& letter)
{
    QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, letter, Qt::NoModifier);
}

} // namespace

int main(int argc, char* argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication application(argc, argv);
    installFastEditorAccessibility();
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("startup");
    QTemporaryDir dir;
    SilentDesktop desktop;

    if (mode == QLatin1String("startup")) {
        TForm1 form(desktop, {}, dir.filePath("Tagomir.dat"));
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            return 1;
        std::printf("startup to shown window: %lld ms, peak %.0f MiB\n", sinceStart.elapsed(),
                    peakMiB());
        return 0;
    }

    const bool oneLine = mode == QLatin1String("oneline");
    const qint64 oneLineBytes = oneLine && argc > 2 ? QByteArray(argv[2]).toLongLong() : 0;
    if (oneLine && oneLineBytes <= 0) {
        std::fprintf(stderr, "usage: bench_editor oneline bytes [file]\n");
        return 1;
    }
    const int fileArgument = oneLine ? 3 : 2;
    QString path = argc > fileArgument ? QString::fromLocal8Bit(argv[fileArgument]) : QString();
    if (oneLine && !QFileInfo::exists(path))
        path = makeOneLinePage(dir, oneLineBytes, path);
    else if (path.isEmpty())
        path = makeLargePage(dir);
    const double fileMiB = QFileInfo(path).size() / 1048576.0;
    const double baseline = peakMiB();
    TForm1 form(desktop, {}, dir.filePath("Tagomir.dat"));
    form.resize(1000, 800);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;

    QElapsedTimer timer;
    timer.start();
    form.OpenFileInPage(oneLine ? QStringLiteral("oneline.htm") : QStringLiteral("large.htm"),
                        path);
    QCoreApplication::processEvents();
    const qint64 openMs = timer.elapsed();
    if (oneLine) {
        // The caret to the end of the only line, then letters typed there, each shown before the
        // next, for at most a minute in all.
        const double openPeak = peakMiB();
        TSynMemo* editor = form.ActiveEditor();
        editor->setFocus();
        timer.restart();
        component(editor)->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        QCoreApplication::processEvents();
        const qint64 endMs = timer.elapsed();
        const qint64 bytes = QFileInfo(path).size();
        const int keys = bytes >= 5'000'000 ? 40 : 100;
        const QString letters = QStringLiteral("zażółćgęśląjaźń");
        KeyTimes times;
        timer.restart();
        while (times.count < keys && timer.elapsed() < 60'000)
            times.type(
                [&] { typeLetter(editor->viewport(), letters.at(times.count % letters.size())); });
        const double endPeak = peakMiB();
        const long characters = component(editor)->SendScintilla(
            QsciScintillaBase::SCI_COUNTCHARACTERS, 0L,
            component(editor)->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
        std::printf("one line of %lld bytes (%d line): open %lld ms, peak %.0f MiB over a %.0f MiB "
                    "baseline; caret to its end %lld ms; %d of %d keys: %.1f ms a key, at most "
                    "%.1f ms (processor %.1f ms, at most %.1f ms), peak %.0f MiB; caret panel "
                    "\"%s\" on a line of %ld characters\n",
                    bytes, editor->lineCount(), openMs, openPeak, baseline, endMs, times.count,
                    keys, times.meanMs(), times.maxMs, times.meanCpuMs(), times.maxCpuMs, endPeak,
                    qPrintable(form.panelText(0)), characters);
        return 0;
    }
    if (mode == QLatin1String("open")) {
        std::printf("open %.0f MiB (%d lines, %s): %lld ms, peak %.0f MiB over a %.0f MiB baseline "
                    "(%.2fx the file)\n",
                    fileMiB, form.ActiveEditor()->lineCount(), qPrintable(form.panelText(2)),
                    openMs, peakMiB(), baseline, (peakMiB() - baseline) / fileMiB);
        return 0;
    }

    if (mode == QLatin1String("switch")) {
        // Each switch by the user looks for the charset line again; the second page has none,
        // so all of its text is searched.
        form.OpenFileInPage(QStringLiteral("undeclared.htm"),
                            makeLargePage(dir, {}, {}, false, QStringLiteral("undeclared.htm")));
        QCoreApplication::processEvents();
        auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("PC"));
        double slowest = 0, total = 0;
        constexpr int Switches = 20;
        for (int i = 0; i < Switches; ++i) {
            timer.restart();
            tabs->setCurrentIndex(i % 2);
            QCoreApplication::processEvents();
            const double ms = timer.nsecsElapsed() / 1e6;
            slowest = qMax(slowest, ms);
            total += ms;
        }
        std::printf("page switch between two %.0f MiB pages (one undeclared), shown: %.1f ms on "
                    "average, %.1f ms at most (panel 2 \"%s\")\n",
                    fileMiB, total / Switches, slowest, qPrintable(form.panelText(2)));
        return 0;
    }

    TSynMemo* editor = form.ActiveEditor();
    editor->setFocus();
    if (mode == QLatin1String("colouring-top")) {
        for (int i = 0; i < 20; ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(10);
        }
        timer.restart();
        editor->viewport()->repaint();
        std::printf("repaint before: %lld ms\n", timer.elapsed());
        timer.restart();
        form.runCommand(QStringLiteral("mnuSqlClick"));
        const qint64 commandMs = timer.elapsed();
        editor->viewport()->repaint();
        std::printf("switch colouring of %.0f MiB to SQL, viewing its start: command %lld ms, "
                    "shown coloured %lld ms\n",
                    fileMiB, commandMs, timer.elapsed());
        return 0;
    }
    timer.restart();
    component(editor)->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QCoreApplication::processEvents();
    std::printf("jump to the end of %.0f MiB, shown: %lld ms\n", fileMiB, timer.elapsed());

    if (mode == QLatin1String("save")) {
        component(editor)->SendScintilla(QsciScintillaBase::SCI_ADDTEXT, 1L, "x");
        timer.restart();
        form.runCommand(QStringLiteral("mnuZapisClick"));
        std::printf("save %.0f MiB as %s: %lld ms\n", fileMiB, qPrintable(form.panelText(2)),
                    timer.elapsed());
        return 0;
    }
    if (mode == QLatin1String("keystroke")) {
        // Keys typed one after another from right after the jump, while the text above is still
        // being coloured, and then once it is.
        // Lines of text as one types them: a Polish sentence, a new line after every 60 keys.
        // (Thousands of keys on one line would measure the layout of a long line instead.)
        const QString sentence =
            QStringLiteral("Zażółć gęślą jaźń, łąka nad Wisłą i źdźbło trawy. ");
        int typed = 0;
        const auto typeKey = [&](KeyTimes& times) {
            times.type([&] {
                if (++typed % 60 == 0)
                    QTest::keyClick(editor->viewport(), Qt::Key_Return);
                else
                    typeLetter(editor->viewport(), sentence.mid(typed % sentence.size(), 1));
            });
        };
        KeyTimes during;
        timer.restart();
        while (editor->isColouringBehind())
            typeKey(during);
        const qint64 catchUpMs = timer.elapsed();
        KeyTimes after;
        for (int i = 0; i < 200; ++i)
            typeKey(after);
        const auto report = [](const KeyTimes& times) {
            return QStringLiteral("%1 ms a key (processor %2 ms, at most %3 ms, %4 of %5 keys 5 ms "
                                  "or more)")
                .arg(times.meanMs(), 0, 'f', 2)
                .arg(times.meanCpuMs(), 0, 'f', 2)
                .arg(times.maxCpuMs, 0, 'f', 2)
                .arg(times.over5)
                .arg(times.count);
        };
        std::printf("keystroke at the end of %.0f MiB: while the text above is coloured (%lld ms) "
                    "%s; after, %s (panel 0 \"%s\", panel 1 \"%s\", marker %d)\n",
                    fileMiB, catchUpMs, qPrintable(report(during)), qPrintable(report(after)),
                    qPrintable(form.panelText(0)), qPrintable(form.panelText(1)),
                    form.activePage()->modifiedMarker());
        return 0;
    }
    if (mode == QLatin1String("colouring")) {
        const QString command =
            argc > 3 ? QString::fromLatin1(argv[3]) : QStringLiteral("mnuCppClick");
        timer.restart();
        form.runCommand(command);
        const qint64 commandMs = timer.elapsed();
        editor->viewport()->repaint();
        const qint64 shownMs = timer.elapsed();
        while (editor->isColouringBehind())
            QCoreApplication::processEvents();
        std::printf("%s on %.0f MiB viewed at its end: command %lld ms, repainted %lld ms, all "
                    "styled in the background after %lld ms\n",
                    qPrintable(command), fileMiB, commandMs, shownMs, timer.elapsed());
        return 0;
    }
    std::fprintf(stderr,
                 "usage: bench_editor startup|open|save|keystroke|colouring-top|switch [file]\n"
                 "       bench_editor colouring [file [command]]\n"
                 "       bench_editor oneline bytes [file]\n");
    return 1;
}
