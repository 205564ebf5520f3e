// Find, find next, replace all and its undo on a 100 MB Polish page through the main window's
// commands and the real dialogs, next to grep and sed on the same text in the same run:
//   bench_search [file]        (needs a display; the page is generated when no file is given)
#include "app/TForm1.h"
#include "bench/LargePage.h"
#include "bench/SilentDesktop.h"
#include "desktop/Desktop.h"
#include "editor/TSynMemo.h"
#include "tests/support/ComponentAccess.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QProcess>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

// Resident and peak memory of this process in MiB; the peak can be started afresh.
double statusMiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

void restartPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Runs a command of the window; its dialog is filled and confirmed by `button` as soon as it is
// shown. Returns the milliseconds from that click until the command returned.
double throughDialog(TForm1& form, const char* command, const QString& search,
                     const QString& replacement, bool matchCase, bool entireText,
                     const char* button)
{
    QElapsedTimer sinceClick;
    QTimer::singleShot(0, &form, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        dialog->findChild<QComboBox*>("FindText")->setEditText(search);
        if (auto* box = dialog->findChild<QComboBox*>("ReplaceText"))
            box->setEditText(replacement);
        dialog->findChild<QCheckBox*>("CaseSensitive")->setChecked(matchCase);
        dialog->findChild<QGroupBox*>("Origin")
            ->findChildren<QRadioButton*>()
            .value(entireText ? 1 : 0)
            ->setChecked(true);
        sinceClick.start();
        dialog->findChild<QAbstractButton*>(button)->click();
    });
    form.runCommand(QString::fromLatin1(command));
    return sinceClick.nsecsElapsed() / 1e6;
}

double run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr)
{
    QProcess process;
    process.setProcessEnvironment([] {
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", "C.UTF-8");
        return environment;
    }());
    if (!output)
        process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    process.waitForFinished(-1);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (output)
        *output = process.readAllStandardOutput().trimmed();
    return ms;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    installFastEditorAccessibility();
    QTemporaryDir dir;
    SilentDesktop desktop;
    // Every other line holds "łąka"; the last one before the end holds "Źdźbło".
    const QString path = argc > 1
                             ? QString::fromLocal8Bit(argv[1])
                             : makeLargePage(dir, "<p>Zielona \xb3\xb9ka nad Wis\xb3\xb9.</p>\r\n",
                                             "<p>\x8f"
                                             "d\x9f"
                                             "b\xb3o trawy.</p>\r\n");
    TForm1 form(desktop, {}, dir.filePath("Tagomir.dat"));
    form.resize(1000, 800);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    QElapsedTimer timer;
    timer.start();
    form.OpenFileInPage(QStringLiteral("large.htm"), path);
    QCoreApplication::processEvents();
    TSynMemo* editor = form.ActiveEditor();
    const double documentMiB = editor->textBytes().size() / 1048576.0;
    std::printf("open: %lld ms, %.0f MiB of UTF-8 in %d lines, resident %.0f MiB\n",
                timer.elapsed(), documentMiB, editor->lineCount(), statusMiB("VmRSS:"));

    // The anchors read the very text the editor holds.
    const QString utf8Path = dir.filePath("large-utf8.htm");
    {
        QFile copy(utf8Path);
        copy.open(QIODevice::WriteOnly);
        copy.write(editor->textBytes().toByteArray());
    }
    QByteArray count;
    double ms = run("grep", {"-c", "łąka", utf8Path}, &count);
    std::printf("anchor grep -c łąka: %.0f ms (%s lines)\n", ms, count.constData());
    ms = run("grep", {"-ci", "ŹDŹBŁO", utf8Path}, &count);
    std::printf("anchor grep -ci ŹDŹBŁO: %.0f ms (%s lines)\n", ms, count.constData());
    ms = run("sed", {"s/łąka/laka/g", utf8Path});
    std::printf("anchor sed s/łąka/laka/g > /dev/null: %.0f ms\n", ms);
    QFile::remove(utf8Path);

    const auto fromStart = [&] {
        component(editor)->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0L);
        QCoreApplication::processEvents();
    };
    fromStart();
    ms = throughDialog(form, "mnuFindClick", "Źdźbło", {}, true, false, "Button1");
    QCoreApplication::processEvents();
    std::printf("find near the end from the start, match case: %.1f ms (panel 0 \"%s\")\n", ms,
                qPrintable(form.panelText(0)));
    fromStart();
    ms = throughDialog(form, "mnuFindClick", "źdźbło", {}, false, false, "Button1");
    std::printf("find near the end from the start, any case: %.1f ms (found \"%s\")\n", ms,
                qPrintable(editor->selectedText()));

    fromStart();
    throughDialog(form, "mnuFindClick", "łąka", {}, true, false, "Button1");
    const int steps = 1000;
    timer.restart();
    for (int i = 0; i < steps; ++i)
        form.runCommand(QStringLiteral("mnuFindNextClick"));
    const double walkMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    for (int i = 0; i < steps; ++i) {
        form.runCommand(QStringLiteral("mnuFindNextClick"));
        QCoreApplication::processEvents();
    }
    std::printf("F3 over %d matches: %.3f ms each; %.3f ms each with the screen updated (at "
                "line %d)\n",
                steps, walkMs / steps, timer.nsecsElapsed() / 1e6 / steps, editor->caretLine());

    const size_t before = qHash(editor->textBytes());
    const double openedMiB = statusMiB("VmRSS:");
    restartPeak();
    ms = throughDialog(form, "mnuReplaceClick", "łąka", "laka", true, true, "ReplaceAll");
    timer.restart();
    editor->viewport()->repaint();
    std::printf("replace all łąka by laka: %.0f ms, repaint %lld ms; peak %.0f MiB over the opened "
                "%.0f MiB (%.2fx the document), %.1f MiB of UTF-8 now\n",
                ms, timer.elapsed(), statusMiB("VmHWM:") - openedMiB, openedMiB,
                (statusMiB("VmHWM:") - openedMiB) / documentMiB,
                editor->textBytes().size() / 1048576.0);
    timer.restart();
    form.runCommand(QStringLiteral("mnuUndoClick"));
    const qint64 undoMs = timer.elapsed();
    timer.restart();
    editor->viewport()->repaint();
    std::printf("undo of it: %lld ms, repaint %lld ms, text as before: %s\n", undoMs,
                timer.elapsed(), qHash(editor->textBytes()) == before ? "yes" : "NO");

    desktop.said.clear();
    fromStart();
    ms = throughDialog(form, "mnuReplaceClick", "a", QString(1000, QLatin1Char('b')), true, true,
                       "ReplaceAll");
    std::printf("replace all a by 1000 letters: %.0f ms, said \"%s\", text unchanged: %s\n", ms,
                qPrintable(desktop.said.join(" | ").replace('\r', ' ')),
                qHash(editor->textBytes()) == before ? "yes" : "NO");
    component(editor)->SendScintilla(QsciScintillaBase::SCI_SETSAVEPOINT);
    return 0;
}
