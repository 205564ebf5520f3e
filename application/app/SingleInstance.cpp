#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

// Who is the instance of a display: the program that holds the lock (flock) on the file beside
// the socket. It takes the lock and listens before it reads any file. The kernel accepts a
// connection as soon as the socket listens, even while the instance is busy loading, and keeps the
// request until the instance's event loop reads it. So a later start, once connected, waits for
// the one-byte answer as long as the connection stays open: only the instance's end (crash or
// exit) closes it unanswered. The kernel also drops the lock when its holder ends, however it
// ends, so a lock is never stale. When nothing listens, a start tries the lock: taken, it is the
// instance; held, another start is between its lock and its listen, and it connects again shortly.

namespace {

// A request is one QDataStream-serialised QStringList; the answer is this one byte.
constexpr char Received = '+';
// Fixed, so that a program started after an upgrade still reaches the one already running.
constexpr QDataStream::Version StreamVersion = QDataStream::Qt_6_0;
// No honest list of paths comes near this; a larger request is dropped unread.
constexpr qint64 MaxRequestBytes = 4 * 1024 * 1024;
// A socket path must fit in about 100 bytes: a longer display name is replaced by its digest.
constexpr qsizetype MaxKeyLength = 40;
// How many times, 20 ms apart, a start finds the lock held and nobody listening before it opens its
// own window: the holder listens right after it takes the lock, so this is only a holder that hangs
// or whose socket was deleted under it.
constexpr int MaxListenWaits = 250;
// After this long without an answer, a start says on its terminal what it is waiting for.
constexpr int PatienceNoteMs = 2000;

void printNote(const QString& text)
{
    std::fputs(("tagomir: " + text + "\n").toUtf8().constData(), stderr);
}

} // namespace

QString displayKey(const QString& platformName, const QString& x11Display,
                   const QString& waylandDisplay)
{
    QString key = platformName;
    if (platformName == QLatin1String("xcb")) {
        // ":0" and ":0.0" are one display: its screens are all in reach of one window.
        const qsizetype colon = x11Display.lastIndexOf(QLatin1Char(':'));
        const qsizetype dot = x11Display.indexOf(QLatin1Char('.'), colon);
        key = colon >= 0 && dot > colon ? x11Display.left(dot) : x11Display;
    } else if (platformName.startsWith(QLatin1String("wayland"))) {
        key = waylandDisplay.isEmpty() ? QStringLiteral("wayland-0") : waylandDisplay;
    }
    for (QChar& c : key)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('.') &&
            c != QLatin1Char('-'))
            c = QLatin1Char('_');
    if (key.size() > MaxKeyLength)
        key = QString::fromLatin1(
            QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
    return key;
}

QString instanceSocketName(const QString& displayKey)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty()
               ? QString()
               : folder + QStringLiteral("/tagomir-") + displayKey + QStringLiteral(".socket");
}

bool handFilesToRunningInstance(const QString& socketName, const QStringList& files)
{
    if (socketName.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(socketName);
    if (!socket.waitForConnected(-1))
        return false;

    QStringList absolute;
    for (const QString& file : files)
        absolute << QDir::current().absoluteFilePath(file);
    QByteArray request;
    QDataStream stream(&request, QIODevice::WriteOnly);
    stream.setVersion(StreamVersion);
    stream << absolute;
    socket.write(request);
    // Each wait ends early when the connection drops: the instance is gone.
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(-1))
            return false;
    if (socket.bytesAvailable() < 1 && !socket.waitForReadyRead(PatienceNoteMs)) {
        if (socket.state() != QLocalSocket::ConnectedState)
            return false;
        printNote(QStringLiteral("Tagomir już działa i jest zajęty; pliki otworzą się w jego "
                                 "oknie, gdy skończy."));
    }
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(-1))
            return false;
    char answer = 0;
    return socket.getChar(&answer) && answer == Received;
}

void bringToFront(QWidget* window)
{
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

InstanceServer::InstanceServer(QObject* parent) : QObject(parent), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { readRequest(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

InstanceServer::Claim InstanceServer::claim(const QString& socketName)
{
    if (socketName.isEmpty())
        return Claim::Failed;
    // Not inherited by the programs this one starts (a browser), which would hold it after us.
    const int fd = ::open(QFile::encodeName(socketName + QStringLiteral(".lock")).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return Claim::Failed;
    if (!m_lock.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Claim::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        m_lock.close();
        return held ? Claim::HeldElsewhere : Claim::Failed;
    }
    // Holding the lock, this program is the only one that may listen: a socket already there was
    // left by a program that ended.
    if (m_server->listen(socketName))
        return Claim::Listening;
    QLocalServer::removeServer(socketName);
    if (m_server->listen(socketName))
        return Claim::Listening;
    m_lock.close();
    return Claim::Failed;
}

void InstanceServer::close()
{
    m_server->close();
    m_lock.close();
}

void InstanceServer::startDelivering()
{
    m_delivering = true;
    for (const QStringList& files : std::exchange(m_held, {}))
        emit filesReceived(files);
}

void InstanceServer::readRequest(QLocalSocket* socket)
{
    if (socket->bytesAvailable() > MaxRequestBytes) {
        socket->abort();
        return;
    }
    QDataStream stream(socket);
    stream.setVersion(StreamVersion);
    stream.startTransaction();
    QStringList files;
    stream >> files;
    if (!stream.commitTransaction()) {
        if (stream.status() == QDataStream::ReadCorruptData)
            socket->abort();
        return;
    }
    socket->putChar(Received);
    socket->flush();
    socket->disconnectFromServer();
    if (m_delivering)
        emit filesReceived(files);
    else
        m_held << files;
}

bool handOverOrBecomeInstance(const QString& socketName, const QStringList& files,
                              InstanceServer& server)
{
    if (socketName.isEmpty())
        return false;
    for (int attempt = 0;; ++attempt) {
        if (handFilesToRunningInstance(socketName, files))
            return true;
        switch (server.claim(socketName)) {
        case InstanceServer::Claim::Listening:
            return false;
        case InstanceServer::Claim::Failed:
            printNote(QStringLiteral("nie można utworzyć gniazda %1; kolejne uruchomienia "
                                     "otworzą własne okna.")
                          .arg(socketName));
            return false;
        case InstanceServer::Claim::HeldElsewhere:
            break;
        }
        if (attempt == MaxListenWaits) {
            printNote(QStringLiteral("inny Tagomir zajął %1, ale nie odpowiada; otwieram "
                                     "osobne okno.")
                          .arg(socketName));
            return false;
        }
        QThread::msleep(20);
    }
}
