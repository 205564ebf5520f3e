// A later start hands its files to the running window of its display, even while that window is
// still loading; a socket left by a program that ended does not stop a start.
#include "document/DocumentPage.h"
#include "app/SingleInstance.h"
#include "app/TForm1.h"
#include "support/ScriptedDesktop.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

class TestInstance : public QObject {
    Q_OBJECT
private slots:
    void handedFilesOpenAsPages();
    void silentSocketDoesNotBlockAStart_data();
    void silentSocketDoesNotBlockAStart();
    void keyNamesTheDisplay_data();
    void keyNamesTheDisplay();
    void busyInstanceStillTakesTheFiles();

private:
    // Hands `files` over from another thread, as a second program would, while this one runs.
    static bool handOver(const QString& socketName, const QStringList& files);
};

bool TestInstance::handOver(const QString& socketName, const QStringList& files)
{
    auto answer = std::async(std::launch::async,
                             [=] { return handFilesToRunningInstance(socketName, files); });
    while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QTest::qWait(5);
    return answer.get();
}

void TestInstance::handedFilesOpenAsPages()
{
    QTemporaryDir dir;
    for (const char* name : {"a.htm", "b.htm"}) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<p>\r\n");
    }
    ScriptedDesktop desktop;
    TForm1 form(desktop, {dir.filePath("a.htm")}, dir.filePath("Tagomir.dat"));
    InstanceServer server;
    connect(&server, &InstanceServer::filesReceived, &form,
            [&form](const QStringList& files) { form.openFiles(files); });
    const QString socketName = dir.filePath("socket");
    QVERIFY(server.listen(socketName));
    form.show();
    QTRY_COMPARE(form.pageCount(), 1);

    // The second start runs elsewhere: its relative paths arrive made absolute.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QVERIFY(handOver(socketName, {"b.htm", "a.htm"}));
    QDir::setCurrent(previous);
    // Answered, but held until the window is ready for them.
    QTest::qWait(50);
    QCOMPARE(form.pageCount(), 1);
    server.startDelivering();
    QTRY_COMPARE(form.pageCount(), 2);
    QCOMPARE(form.page(1)->editor()->documentPath(), dir.filePath("b.htm"));
    QCOMPARE(form.activePage(), form.page(0));
    QVERIFY(desktop.errors.isEmpty());
}

void TestInstance::silentSocketDoesNotBlockAStart_data()
{
    QTest::addColumn<QString>("left");
    QTest::newRow("socket of a program that ended") << "stale";
    QTest::newRow("program that ends without answering") << "hung";
}

void TestInstance::silentSocketDoesNotBlockAStart()
{
    QFETCH(QString, left);
    QTemporaryDir dir;
    const QString socketName = dir.filePath("socket");
    QLocalServer hung;
    if (left == "stale") {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(socketName), sizeof address.sun_path);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    } else if (left == "hung") {
        QVERIFY(hung.listen(socketName));
        // It takes the connection and ends (its sockets close) without a word.
        connect(&hung, &QLocalServer::newConnection, this, [&hung] { hung.close(); });
    }
    QVERIFY(!handOver(socketName, {"a.htm"}));

    InstanceServer server;
    QStringList received;
    connect(&server, &InstanceServer::filesReceived, this,
            [&received](const QStringList& files) { received = files; });
    QVERIFY(server.listen(socketName));
    server.startDelivering();
    QVERIFY(handOver(socketName, {"/x/a.htm"}));
    QTRY_COMPARE(received, QStringList{"/x/a.htm"});
}

void TestInstance::keyNamesTheDisplay_data()
{
    QTest::addColumn<QStringList>("display"); // platform, $DISPLAY, $WAYLAND_DISPLAY
    QTest::addColumn<QString>("key");
    QTest::newRow("X display and screen") << QStringList{"xcb", ":0.1", "wayland-0"} << "_0";
    QTest::newRow("ssh -X") << QStringList{"xcb", "localhost:10.0", ""} << "localhost_10";
    QTest::newRow("Wayland") << QStringList{"wayland", ":0", "/run/w 1"} << "_run_w_1";
    QTest::newRow("no display") << QStringList{"offscreen", ":0", "wayland-0"} << "offscreen";
}

void TestInstance::keyNamesTheDisplay()
{
    QFETCH(QStringList, display);
    QFETCH(QString, key);
    QCOMPARE(displayKey(display[0], display[1], display[2]), key);
}

// The real program, started while the instance is busy, waits, hands its files over and ends
// without a window; Qt's options after "--" are files to it. One program holds the lock.
void TestInstance::busyInstanceStillTakesTheFiles()
{
    QTemporaryDir dir;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    const QString socketName = instanceSocketName(
        displayKey(QGuiApplication::platformName(), qEnvironmentVariable("DISPLAY"),
                   qEnvironmentVariable("WAYLAND_DISPLAY")));
    InstanceServer instance;
    QList<QStringList> received;
    connect(&instance, &InstanceServer::filesReceived, this,
            [&received](const QStringList& files) { received << files; });
    QVERIFY(instance.listen(socketName));
    instance.startDelivering();
    InstanceServer rival;
    QCOMPARE(rival.claim(socketName), InstanceServer::Claim::HeldElsewhere);

    QProcess second;
    second.setWorkingDirectory(dir.path());
    second.start(TAGOMIR_PROGRAM, {"--", "-platform", "x.htm"});
    // Loading a large page: the event loop does not run.
    QThread::msleep(2500);
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
    QCOMPARE(second.exitCode(), 0);
    const QStringList handedOver{dir.filePath("-platform"), dir.filePath("x.htm")};
    QCOMPARE(received, QList<QStringList>{handedOver});
}

QTEST_MAIN(TestInstance)
#include "tst_instance.moc"
