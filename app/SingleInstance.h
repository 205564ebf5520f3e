#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;
class QLocalSocket;
class QWidget;

// The local socket through which a later start hands its files to the running program: one per
// user, in the user's runtime folder; empty when there is no such folder (no hand-over then).
QString instanceSocketName();

// Sends `files` to the program listening on `socketName` (relative paths made absolute against
// the current folder). True only when it confirmed receipt within `timeoutMs`; false when
// nothing listens, the socket is stale, or the listener is too slow to answer.
bool handFilesToRunningInstance(const QString& socketName, const QStringList& files,
                                int timeoutMs = 1000);

// Shows `window` in front of the others, restored if it was minimised.
void bringToFront(QWidget* window);

// Receives the files of later starts and reports each start's list.
class InstanceServer : public QObject {
    Q_OBJECT
public:
    explicit InstanceServer(QObject* parent = nullptr);

    // Listens on `socketName`, taking over a socket left behind by a program that no longer
    // answers. False when the socket cannot be created at all.
    bool listen(const QString& socketName);

signals:
    void filesReceived(const QStringList& files);

private:
    void readRequest(QLocalSocket* socket);

    QLocalServer* m_server;
};
