#include "app/SingleInstance.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QWidget>

namespace {

// A request is one QDataStream-serialised QStringList; the answer is this one byte.
constexpr char Received = '+';
// Fixed, so that a program started after an upgrade still reaches the one already running.
constexpr QDataStream::Version StreamVersion = QDataStream::Qt_6_0;
// No honest list of paths comes near this; a larger request is dropped unread.
constexpr qint64 MaxRequestBytes = 4 * 1024 * 1024;

} // namespace

QString instanceSocketName()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/tagomir.socket");
}

bool handFilesToRunningInstance(const QString& socketName, const QStringList& files, int timeoutMs)
{
    if (socketName.isEmpty())
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(socketName);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;

    QStringList absolute;
    for (const QString& file : files)
        absolute << QDir::current().absoluteFilePath(file);
    QByteArray request;
    QDataStream stream(&request, QIODevice::WriteOnly);
    stream.setVersion(StreamVersion);
    stream << absolute;
    socket.write(request);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
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

bool InstanceServer::listen(const QString& socketName)
{
    if (socketName.isEmpty())
        return false;
    if (m_server->listen(socketName))
        return true;
    // Whoever made the socket did not answer the hand-over: it is gone or hung, and this
    // program takes the name over.
    QLocalServer::removeServer(socketName);
    return m_server->listen(socketName);
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
    emit filesReceived(files);
}
