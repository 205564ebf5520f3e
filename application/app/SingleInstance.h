#pragma once

#include <QFile>
#include <QObject>
#include <QStringList>

class QLocalServer;
class QLocalSocket;
class QWidget;

// The display this program's windows appear on, as a file-name-safe key: $DISPLAY on X11 ("xcb",
// without the screen number), $WAYLAND_DISPLAY on Wayland, the platform's own name otherwise
// ("offscreen"). Starts on different displays, seats or `ssh -X` sessions get different keys.
QString displayKey(const QString& platformName, const QString& x11Display,
                   const QString& waylandDisplay);

// The local socket through which a later start on the same display hands its files to the running
// program, in the user's runtime folder (a lock file of the same name ending in ".lock" sits
// beside it); empty when there is no such folder (no hand-over then).
QString instanceSocketName(const QString& displayKey);

// Sends `files` to the program listening on `socketName` (relative paths made absolute against
// the current folder) and waits for its confirmation for as long as the connection stays open.
// False when nothing listens, or when the listener ended without confirming.
bool handFilesToRunningInstance(const QString& socketName, const QStringList& files);

// Shows `window` in front of the others, restored if it was minimised.
void bringToFront(QWidget* window);

// The running instance's end of the hand-over: holds the lock that makes a program the instance
// of its display, listens, and reports each later start's list of files.
class InstanceServer : public QObject {
    Q_OBJECT
public:
    enum class Claim { Listening, HeldElsewhere, Failed };

    explicit InstanceServer(QObject* parent = nullptr);

    // Makes this program the instance behind `socketName`: takes the lock beside it, then listens,
    // taking over a socket left behind by a program that ended. HeldElsewhere while another
    // running program holds the lock; Failed when the lock or the socket cannot be made.
    Claim claim(const QString& socketName);
    bool listen(const QString& socketName) { return claim(socketName) == Claim::Listening; }
    // Stops listening and gives the lock up; later starts then become the instance themselves.
    void close();

    // Lists received before this call were answered but held back: they are reported now, in
    // order, and later ones as they arrive.
    void startDelivering();

signals:
    void filesReceived(const QStringList& files);

private:
    void readRequest(QLocalSocket* socket);

    QLocalServer* m_server;
    QFile m_lock;
    QList<QStringList> m_held;
    bool m_delivering = false;
};

// Settles who opens this start's files: true when the running instance of the display took them;
// false when `server` became that instance, or when there can be none, and this start opens
// them itself.
bool handOverOrBecomeInstance(const QString& socketName, const QStringList& files,
                              InstanceServer& server);
