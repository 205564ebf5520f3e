// A later start hands its files to the running window; a socket nobody answers on does not
// stop a start.
#include "app/DocumentPage.h"
#include "app/SingleInstance.h"
#include "app/TForm1.h"
#include "support/ScriptedDesktop.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QTemporaryDir>
#include <QTest>

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
    QTRY_COMPARE(form.pageCount(), 2);
    QCOMPARE(form.page(1)->editor()->documentPath(), dir.filePath("b.htm"));
    QCOMPARE(form.activePage(), form.page(0));
    QVERIFY(desktop.errors.isEmpty());
}

void TestInstance::silentSocketDoesNotBlockAStart_data()
{
    QTest::addColumn<QString>("left");
    QTest::newRow("socket of a program that ended") << "stale";
    QTest::newRow("program that does not answer") << "hung";
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
    }
    // Called on this thread, the hung listener never gets to answer.
    QVERIFY(!handFilesToRunningInstance(socketName, {"a.htm"}));

    InstanceServer server;
    QStringList received;
    connect(&server, &InstanceServer::filesReceived, this,
            [&received](const QStringList& files) { received = files; });
    QVERIFY(server.listen(socketName));
    QVERIFY(handOver(socketName, {"/x/a.htm"}));
    QTRY_COMPARE(received, QStringList{"/x/a.htm"});
}

QTEST_MAIN(TestInstance)
#include "tst_instance.moc"
