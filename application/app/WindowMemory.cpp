#include "app/WindowMemory.h"

#include "app/TForm1.h"
#include "common/CommandError.h"
#include "common/Commands.h"
#include "desktop/CommandRegistry.h"
#include "document/DocumentPage.h"
#include "document/DocumentSaver.h"
#include "document/RecentFiles.h"
#include "files/FileAccess.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMutex>
#include <QProgressDialog>
#include <QScopedValueRollback>

#include <thread>

namespace {

// A file that does not answer within this long (a drive gone, a network share that hangs) is
// skipped, so that one such file does not hold up the rest.
constexpr int ProbeTimeoutMs = 2000;

bool isReadableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

} // namespace

WindowMemory::FileCheck WindowMemory::m_fileCheck = isReadableFile;

void WindowMemory::setFileCheck(FileCheck check)
{
    m_fileCheck = check ? std::move(check) : isReadableFile;
}

// Which of the session's files can be read, found out away from the window: a file on a drive
// that hangs holds up only the thread that asked. Results are polled, never pushed into the
// window, so a thread that outlives the window touches nothing of it.
struct FileProbe {
    WindowMemory::FileCheck check;
    QStringList paths;
    QMutex mutex;
    std::vector<signed char> readable; // -1 unknown, 0 no, 1 yes
    int generation = 0;
};

WindowMemory::WindowMemory(TForm1& window, CommandRegistry& commands, DocumentSaver& saver,
                           Desktop& desktop)
    : QObject(&window), m_window(window), m_commands(commands), m_desktop(desktop),
      m_recentMenu(window.findChild<QMenu*>(QStringLiteral("mnuOstatnie"))),
      m_clearItem(window.findChild<QAction*>(QStringLiteral("mnuWyczyscListe"))),
      m_restoreItem(window.findChild<QAction*>(QStringLiteral("mnuPrzywracaj")))
{
    commands.add(QString::fromLatin1(Cmd::mnuWyczyscListeClick), [this] {
        loadRecent();
        m_recent.clear();
        saveRecent();
    });
    commands.add(QString::fromLatin1(Cmd::mnuPrzywracajClick), [this] { toggleRestore(); });
    connect(m_recentMenu, &QMenu::aboutToShow, this, &WindowMemory::showRecent);
    connect(&window.documents(), &DocumentList::added, this, [this](DocumentPage* page) {
        if (isRestoring())
            return; // the session's files were not chosen now
        // The path is known once the page has been read; a page that could not be is gone.
        QMetaObject::invokeMethod(
            this,
            [this, page = QPointer<DocumentPage>(page)] {
                if (page && !page->editor()->documentPath().isEmpty())
                    remember(page->editor()->documentPath());
            },
            Qt::QueuedConnection);
    });
    connect(&saver, &DocumentSaver::pageRenamed, this,
            [this](DocumentPage* page) { remember(page->editor()->documentPath()); });
    connect(&m_poll, &QTimer::timeout, this, &WindowMemory::openProbed);
}

WindowMemory::~WindowMemory()
{
    stopProbing();
}

void WindowMemory::stopProbing()
{
    if (!m_probe)
        return;
    {
        QMutexLocker lock(&m_probe->mutex);
        ++m_probe->generation; // a thread still asking stops at its next file
    }
    m_probe.reset();
}

QString WindowMemory::recentFilesPath() const
{
    return QFileInfo(m_window.settingsFilePath()).dir().filePath(QStringLiteral("Tagomir.recent"));
}

QString WindowMemory::sessionPath() const
{
    return QFileInfo(m_window.settingsFilePath()).dir().filePath(QStringLiteral("Tagomir.session"));
}

void WindowMemory::loadRecent()
{
    if (m_recentLoaded)
        return;
    m_recentLoaded = true;
    // Files gone since the last run are dropped now; those that go during this run stay
    // listed, marked, until the next start.
    const QStringList kept = loadRecentFiles(recentFilesPath());
    for (const QString& path : kept) {
        if (isExistingFile(path))
            m_recent << path;
        else
            m_dropped << path;
    }
}

void WindowMemory::remember(const QString& path)
{
    loadRecent();
    // Another window may have added files since: the list on disk is the one added to.
    QStringList current =
        QFileInfo::exists(recentFilesPath()) ? loadRecentFiles(recentFilesPath()) : m_recent;
    for (const QString& dropped : std::as_const(m_dropped))
        current.removeAll(dropped);
    const QStringList updated = withRecentFile(current, path);
    const bool unchanged = updated == current;
    m_recent = updated;
    if (!unchanged)
        saveRecent();
}

void WindowMemory::saveRecent()
{
    m_commands.guarded([this] { saveRecentFiles(recentFilesPath(), m_recent); });
}

void WindowMemory::showRecent()
{
    loadRecent();
    for (QAction* action : m_recentMenu->actions())
        if (action != m_clearItem)
            delete action;
    QAction* before = m_clearItem;
    for (int n = 0; n < m_recent.size(); ++n) {
        const QString path = m_recent[n];
        QString caption =
            QStringLiteral("&%1 %2")
                .arg((n + 1) % 10)
                .arg(QString(fileNamePart(path)).replace(QLatin1Char('&'), QLatin1String("&&")));
        const bool exists = isExistingFile(path);
        if (!exists)
            caption += QStringLiteral(" (brak pliku)");
        auto* item = new QAction(caption, m_recentMenu);
        item->setObjectName(QStringLiteral("mnuOstatni%1").arg(n + 1));
        item->setToolTip(path);
        item->setEnabled(exists);
        m_recentMenu->insertAction(before, item);
        connect(item, &QAction::triggered, this,
                [this, path] { m_commands.guarded([&] { m_window.openFiles({path}); }); });
    }
    if (!m_recent.isEmpty())
        m_recentMenu->insertSeparator(before);
    m_recentMenu->setToolTipsVisible(true);
    m_clearItem->setEnabled(!m_recent.isEmpty());
}

void WindowMemory::toggleRestore()
{
    m_session.restore = m_restoreItem->isChecked();
    const Session kept{m_session.restore, {}, -1};
    if (!m_commands.guarded([&] { saveSession(sessionPath(), kept); }))
        m_restoreItem->setChecked(!m_session.restore);
}

Session WindowMemory::sessionAtClose()
{
    Session open{m_session.restore, {}, -1};
    for (DocumentPage* page : m_window.documents().pages()) {
        TSynMemo* editor = page->editor();
        if (editor->documentPath().isEmpty())
            continue;
        if (page == m_window.activePage())
            open.active = int(open.files.size());
        open.files << SessionFile{editor->documentPath(), page->encodingName(), editor->caretLine(),
                                  editor->caretColumn(), editor->firstShownLine()};
    }
    if (isRestoring()) {
        for (qsizetype i = m_next; i < m_session.files.size(); ++i)
            open.files << m_session.files[i];
        m_poll.stop();
        stopProbing();
        delete m_progress;
    }
    return open;
}

void WindowMemory::closing(const Session& open)
{
    if (!open.restore)
        return;
    m_commands.guarded([&] { saveSession(sessionPath(), open); });
}

void WindowMemory::start(bool filesGiven)
{
    m_session = loadSession(sessionPath());
    m_restoreItem->setChecked(m_session.restore);
    if (filesGiven || !m_session.restore || m_session.files.isEmpty())
        return;
    // Files crash recovery brought back stay as they are; the rest open again.
    m_probe = std::make_shared<FileProbe>();
    m_probe->check = m_fileCheck;
    for (const SessionFile& file : std::as_const(m_session.files))
        m_probe->paths << file.path;
    m_probe->readable.assign(m_probe->paths.size(), -1);
    m_alreadyOpen.clear();
    for (const QString& path : m_window.documents().paths())
        if (!path.isEmpty())
            m_alreadyOpen.insert(comparablePath(path));
    m_next = 0;
    m_progress = new QProgressDialog(QStringLiteral("Otwieranie plików z poprzedniej sesji..."),
                                     QString(), 0, int(m_probe->paths.size()), &m_window);
    m_progress->setObjectName(QStringLiteral("SessionProgress"));
    m_progress->setMinimumDuration(1000);
    m_progress->setValue(0);
    probeFrom(0);
    m_sinceProgress.start();
    m_poll.start(0);
}

void WindowMemory::probeFrom(int index)
{
    std::shared_ptr<FileProbe> probe = m_probe;
    int generation;
    {
        QMutexLocker lock(&probe->mutex);
        generation = ++probe->generation;
    }
    std::thread([probe, generation, index] {
        for (int i = index; i < probe->paths.size(); ++i) {
            const bool readable = probe->check(probe->paths[i]);
            QMutexLocker lock(&probe->mutex);
            if (probe->generation != generation)
                return;
            probe->readable[i] = readable ? 1 : 0;
        }
    }).detach();
}

void WindowMemory::openProbed()
{
    // A message shown while a file opens (bytes that are not UTF-8) runs its own event loop,
    // in which the timer fires again: the file in hand is not taken twice.
    if (m_opening)
        return;
    const QScopedValueRollback opening(m_opening, true);
    QElapsedTimer slice;
    slice.start();
    // Files open for a few milliseconds at a time, so the window keeps answering in between.
    while (m_next < m_probe->paths.size() && slice.elapsed() < 30) {
        signed char readable;
        {
            QMutexLocker lock(&m_probe->mutex);
            readable = m_probe->readable[m_next];
        }
        if (readable < 0) {
            if (m_sinceProgress.elapsed() < ProbeTimeoutMs)
                return;
            m_skipped << m_probe->paths[m_next]; // no answer: left behind, the rest go on
            probeFrom(m_next + 1);
        } else if (!m_alreadyOpen.contains(comparablePath(m_probe->paths[m_next]))) {
            const SessionFile& file = m_session.files[m_next];
            try {
                if (readable == 0)
                    throw CommandError(file.path);
                m_window.OpenFileInPage(fileNamePart(file.path), file.path,
                                        Encoding::fromName(file.encoding));
                TSynMemo* editor = m_window.activePage()->editor();
                editor->goToPlace(file.line, file.column);
                editor->showFromLine(file.firstShownLine);
            } catch (const CommandError&) {
                m_skipped << file.path;
            }
        }
        ++m_next;
        m_sinceProgress.restart();
        if (m_progress)
            m_progress->setValue(m_next);
    }
    if (m_next >= m_probe->paths.size())
        finishRestoring();
}

void WindowMemory::finishRestoring()
{
    m_poll.stop();
    stopProbing();
    delete m_progress;
    if (m_session.active >= 0) {
        const int page = m_window.FindPageOfFile(m_session.files[m_session.active].path);
        if (page >= 0)
            m_window.documents().activate(page);
    }
    if (!m_skipped.isEmpty())
        m_desktop.showMessage(&m_window, QStringLiteral("Nie otwarto plików z poprzedniej sesji, "
                                                        "których nie ma albo nie można ich "
                                                        "odczytać:\n") +
                                             m_skipped.join(QLatin1Char('\n')));
    m_skipped.clear();
}
