// What keeping recovery copies costs on a 100 MB page: a keystroke while the copies wait for a
// pause, the copy of the changed page once the user pauses (the part on the window's thread
// and the whole with the writing), and a copy round when nothing changed.
//   bench_recovery            (needs a display or QT_QPA_PLATFORM=offscreen)
#include "app/TForm1.h"
#include "bench/LargePage.h"
#include "bench/SilentDesktop.h"
#include "document/CrashRecovery.h"
#include "document/DocumentPage.h"
#include "editor/TSynMemo.h"
#include "tests/support/ComponentAccess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    installFastEditorAccessibility();
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit());
    const QString path = makeLargePage(dir);
    SilentDesktop desktop;
    TForm1 form(desktop, {path});
    form.show();
    if (!QTest::qWaitFor([&] { return form.pageCount() == 1; }, 60000))
        return 1;
    TSynMemo* editor = form.ActiveEditor();
    auto* recovery = form.findChild<CrashRecovery*>();
    component(editor)->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);

    // Typing: every keystroke only notes the change; no copy is taken while keys come.
    QElapsedTimer timer;
    timer.start();
    const int keys = 200;
    for (int i = 0; i < keys; ++i) {
        QTest::keyClick(editor->viewport(), Qt::Key_A);
        QCoreApplication::processEvents();
    }
    const double perKey = timer.nsecsElapsed() / 1e6 / keys;
    const bool copiedWhileTyping = QDir(recovery->folder()).exists(QStringLiteral("1.tgr"));

    // The pause: the page is copied; then nothing has changed and nothing is written.
    timer.restart();
    if (!QTest::qWaitFor([&] { return QDir(recovery->folder()).exists(QStringLiteral("1.tgr")); },
                         60000))
        return 1;
    const qint64 firstCopyMs = timer.elapsed();
    QTest::keyClick(editor->viewport(), Qt::Key_B);
    QCoreApplication::processEvents();
    timer.restart();
    recovery->copyNow();
    const qint64 wholeCopyMs = timer.elapsed();
    timer.restart();
    const QByteArray snapshot = editor->textBytes().toByteArray(); // what a copy takes on the spot
    const double snapshotMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    recovery->copyNow();
    const double unchangedMs = timer.nsecsElapsed() / 1e6;

    std::printf(
        "keystroke at the end of %lld MB: %.2f ms (copy taken while typing: %s)\n",
        static_cast<long long>(component(editor)->SendScintilla(QsciScintillaBase::SCI_GETLENGTH)) /
            1'000'000,
        perKey, copiedWhileTyping ? "yes" : "no");
    std::printf("first copy after the pause: %lld ms after the last key (idle wait %d ms)\n",
                firstCopyMs, CrashRecovery::IdleMilliseconds);
    std::printf("copy of the changed page, taken and written: %lld ms\n", wholeCopyMs);
    std::printf("of which on the window's thread (taking the text): %.1f ms\n", snapshotMs);
    std::printf("copy round with nothing changed: %.3f ms\n", unchangedMs);
    return 0;
}
