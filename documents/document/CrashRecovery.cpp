#include "document/CrashRecovery.h"

#include "common/CommandError.h"
#include "desktop/Desktop.h"
#include "document/Document.h"
#include "document/DocumentEncodings.h"
#include "document/DocumentList.h"
#include "document/DocumentPage.h"
#include "editor/TSynMemo.h"
#include "files/FileWriter.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDateTime>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr quint32 Magic = 0x54475231; // "TGR1"
constexpr int TickMilliseconds = 1000;
// A slice of text copied between two events: a few milliseconds' work.
constexpr qsizetype SliceBytes = 1 << 20;
const QString PageSuffix = QStringLiteral(".tgr");
const QString LockSuffix = QStringLiteral(".lock");

// True for a regular file, not a link to one.
bool isPlainFile(const QString& path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode);
}

bool isPlainFolder(const QString& path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Removes what this program writes into an instance's folder, then the folder when that leaves
// it empty. Nothing is followed: a link planted there, and whatever it points to, stay.
void removeInstanceFolder(const QDir& folder)
{
    if (!isPlainFolder(folder.path()))
        return;
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const bool ours = name.endsWith(PageSuffix) || name.startsWith(QLatin1String(".tagomir-"));
        if (ours && isPlainFile(folder.filePath(name)))
            ::unlink(QFile::encodeName(folder.filePath(name)).constData());
    }
    ::rmdir(QFile::encodeName(folder.path()).constData());
}

// The documents kept in a dead instance's folder, in the order they were first copied.
QList<RecoveredDocument> readFolder(const QDir& folder)
{
    QList<RecoveredDocument> documents;
    QStringList names = folder.entryList({QLatin1Char('*') + PageSuffix}, QDir::Files);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const QString& name : std::as_const(names)) {
        if (!isPlainFile(folder.filePath(name)))
            continue;
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        if (auto document = parseRecoveredDocument(file.readAll()))
            documents.append(*document);
    }
    return documents;
}

} // namespace

QByteArray formatRecoveredDocument(const RecoveredDocument& document)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << Magic << document.path << document.encodingName << document.caption
        << qint32(document.lineBreak) << document.text;
    return bytes;
}

std::optional<RecoveredDocument> parseRecoveredDocument(const QByteArray& bytes)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    qint32 lineBreak = 0;
    RecoveredDocument document;
    in >> magic >> document.path >> document.encodingName >> document.caption >> lineBreak >>
        document.text;
    if (in.status() != QDataStream::Ok || magic != Magic || lineBreak < 0 || lineBreak > 2)
        return std::nullopt;
    document.lineBreak = LineBreak(lineBreak);
    return document;
}

CrashRecovery::CrashRecovery(Desktop& desktop, DocumentEncodings& encodings,
                             DocumentList& documents, ShowPath showPath, QWidget* window,
                             const QString& root)
    : QObject(window), m_desktop(desktop), m_encodings(encodings), m_documents(documents),
      m_showPath(std::move(showPath)), m_window(window),
      m_root(root.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                                  QStringLiteral("/recovery")
                            : root)
{
    m_writer.setMaxThreadCount(1);
    // The pid tells the instance apart from the others running now, the time from an earlier
    // one that had the same pid; the lock says whether the instance still runs.
    const QString name = QStringLiteral("%1-%2")
                             .arg(QCoreApplication::applicationPid())
                             .arg(QDateTime::currentMSecsSinceEpoch());
    m_root.mkpath(QStringLiteral("."));
    m_lock = std::make_unique<QLockFile>(m_root.filePath(name + LockSuffix));
    m_lock->setStaleLockTime(0);
    m_lock->tryLock(0); // tried again before a copy is written, if it fails now
    m_folder = QDir(m_root.filePath(name));
    connect(&m_timer, &QTimer::timeout, this, &CrashRecovery::tick);
    m_timer.start(TickMilliseconds);
    connect(&m_slices, &QTimer::timeout, this, &CrashRecovery::copySlice);
}

CrashRecovery::~CrashRecovery()
{
    m_writer.waitForDone();
    // Leaving normally, the user has been asked about every modified document.
    removeInstanceFolder(m_folder);
    m_lock->unlock();
}

CrashRecovery::Tracked& CrashRecovery::track(DocumentPage* page)
{
    auto found = m_pages.find(page);
    if (found != m_pages.end())
        return *found;
    Tracked& tracked = m_pages[page];
    tracked.page = page;
    tracked.fileName = QString::number(m_nextFile++) + PageSuffix;
    TSynMemo* editor = page->editor();
    // Typing only notes that the page changed; the copying waits until the user pauses.
    connect(editor, &TSynMemo::statusChange, this,
            [this, page, editor](TSynMemo::StatusChanges changes) {
                if (changes & TSynMemo::StatusText) {
                    m_pages[page].changed = true;
                    m_sinceEdit.start();
                }
                // Saved, or undone back to what the file holds: no copy is needed.
                if (changes & TSynMemo::StatusModified && !editor->isDocumentModified())
                    removeCopy(m_pages[page]);
            });
    connect(page, &QObject::destroyed, this, [this, page] {
        removeCopy(m_pages[page]);
        m_pages.remove(page);
    });
    return tracked;
}

void CrashRecovery::tick()
{
    if (m_copying || (m_sinceEdit.isValid() && m_sinceEdit.elapsed() < IdleMilliseconds))
        return;
    startNextCopy();
}

bool CrashRecovery::startNextCopy()
{
    for (DocumentPage* page : m_documents.pages()) {
        if (!m_pages.contains(page)) {
            // Its edits so far went unnoticed: it counts as typed in just now.
            track(page);
            m_sinceEdit.start();
            continue;
        }
        Tracked& tracked = m_pages[page];
        if (!page->editor()->isDocumentModified()) {
            removeCopy(tracked);
        } else if (tracked.changed || !tracked.copied) {
            // Copies not under this instance's lock would be taken for a dead one's.
            if (!m_lock->isLocked() && !m_lock->tryLock(0)) {
                reportCopyFailure(QStringLiteral("Nie można założyć blokady %1\n%2")
                                      .arg(m_root.filePath(m_folder.dirName() + LockSuffix),
                                           m_lock->error() == QLockFile::PermissionError
                                               ? systemErrorText(EACCES)
                                               : systemErrorText(EIO)));
                return false;
            }
            tracked.changed = false;
            m_copying = page;
            m_copiedText.resize(page->editor()->textBytes().size());
            m_copiedBytes = 0;
            m_slices.start(0);
            return true;
        }
    }
    return false;
}

void CrashRecovery::copySlice()
{
    DocumentPage* page = m_copying;
    const QByteArrayView text = page ? page->editor()->textBytes() : QByteArrayView();
    if (!page || m_pages[page].changed || text.size() != m_copiedText.size()) {
        m_copying = nullptr;
        m_slices.stop();
        return;
    }
    const qsizetype count = std::min(SliceBytes, text.size() - m_copiedBytes);
    std::memcpy(m_copiedText.data() + m_copiedBytes, text.data() + m_copiedBytes, count);
    m_copiedBytes += count;
    if (m_copiedBytes < text.size())
        return;

    m_copying = nullptr;
    m_slices.stop();
    Tracked& tracked = m_pages[page];
    tracked.copied = true;
    const Document* kept = page->document();
    RecoveredDocument document{kept->path(), kept->encodingName(), kept->caption(),
                               kept->format().lineBreak, std::exchange(m_copiedText, {})};
    const QDir folder = m_folder;
    const QString path = m_folder.filePath(tracked.fileName);
    m_writer.start([this, folder, path, document = std::move(document)] {
        try {
            if (!folder.mkpath(QStringLiteral(".")))
                throw CommandError(QStringLiteral("Cannot create file %1\n%2")
                                       .arg(folder.path(), systemErrorText(EACCES)));
            writeWholeFile(path, formatRecoveredDocument(document), WriteTarget::ThisNameOnly);
        } catch (const CommandError& error) {
            QMetaObject::invokeMethod(
                this, [this, message = error.message()] { reportCopyFailure(message); },
                Qt::QueuedConnection);
        }
    });
    startNextCopy();
}

void CrashRecovery::reportCopyFailure(const QString& message)
{
    // Said once: the user should know that a crash now would lose the edits.
    if (!std::exchange(m_copyFailed, true))
        emit copyFailed(message);
}

void CrashRecovery::copyNow()
{
    if (!m_copying)
        startNextCopy();
    while (m_copying)
        copySlice();
    m_writer.waitForDone();
}

void CrashRecovery::removeCopy(Tracked& tracked)
{
    tracked.changed = true;
    if (!tracked.copied)
        return;
    tracked.copied = false;
    const QString path = m_folder.filePath(tracked.fileName);
    m_writer.start([path] { QFile::remove(path); });
}

void CrashRecovery::offerRestore()
{
    std::vector<std::unique_ptr<QLockFile>> locks;
    QList<QDir> folders;
    QList<RecoveredDocument> documents;
    const QStringList folderNames = m_root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& folderName : folderNames) {
        if (m_folder.dirName() == folderName || !isPlainFolder(m_root.filePath(folderName)))
            continue;
        auto lock = std::make_unique<QLockFile>(m_root.filePath(folderName + LockSuffix));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            continue; // that instance is still running
        folders.append(QDir(m_root.filePath(folderName)));
        documents += readFolder(folders.last());
        locks.push_back(std::move(lock));
    }
    if (locks.empty())
        return;

    Answer answer = Answer::No;
    if (!documents.isEmpty()) {
        QStringList shown;
        for (const RecoveredDocument& document : std::as_const(documents))
            shown << QStringLiteral("• %1%2").arg(
                document.caption,
                document.path.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(document.path));
        answer = m_desktop.askYesNoCancel(
            m_window, QStringLiteral("Tagomir nie został poprawnie zamknięty. Zachowały się kopie "
                                     "niezapisanych dokumentów:\n\n%1\n\nCzy przywrócić je teraz?\n"
                                     "(Nie – kopie zostaną usunięte, Anuluj – pytanie wróci przy "
                                     "następnym uruchomieniu.)")
                          .arg(shown.join(QLatin1Char('\n'))));
    }
    if (answer == Answer::Cancel)
        return;
    if (answer == Answer::Yes) {
        restore(documents);
        copyNow(); // the restored pages are safe in this instance's folder before the old go
    }
    for (const QDir& folder : std::as_const(folders))
        removeInstanceFolder(folder);
    for (auto& lock : locks) {
        lock->unlock(); // removes the lock file
    }
}

void CrashRecovery::restore(const QList<RecoveredDocument>& documents)
{
    for (const RecoveredDocument& document : documents) {
        DocumentPage* page = m_documents.add(document.caption);
        m_documents.activate(m_documents.count() - 1);
        track(page);
        page->document()->setPath(document.path);
        page->document()->setLineBreak(document.lineBreak);
        TSynMemo* editor = page->editor();
        editor->setDocumentText(document.text);
        editor->markModified(); // against its file, until it is saved
        m_encodings.setPageEncoding(page, document.encodingName);
        m_encodings.followActivePage();
        m_showPath(page);
    }
}
