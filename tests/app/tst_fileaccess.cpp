// Writing files when the disk or the folder is against us.
#include "app/CommandError.h"
#include "app/FileAccess.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

class TestFileAccess : public QObject {
    Q_OBJECT
private slots:
    void inPlaceRewrite_data();
    void inPlaceRewrite();
};

void TestFileAccess::inPlaceRewrite_data()
{
    QTest::addColumn<QByteArray>("newBytes");
    QTest::addColumn<bool>("fits");

    QTest::newRow("shorter") << QByteArray("abc") << true;
    QTest::newRow("longer") << QByteArray(5000, 'x') << true;
    QTest::newRow("longer than the disk allows") << QByteArray(70000, 'x') << false;
}

void TestFileAccess::inPlaceRewrite()
{
    // The file-size limit stands in for a full disk: a write past it fails as one would.
    QFETCH(QByteArray, newBytes);
    QFETCH(bool, fits);
    QTemporaryDir dir;
    const QByteArray oldBytes(40000, 'o');
    const QString path = writeFile(dir.filePath("page.htm"), oldBytes);

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{65536, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QString error;
    try {
        // Handed over in pieces, as a save hands them.
        writeInPlace(path, [&](const ByteSink& sink) {
            for (qsizetype at = 0; at < newBytes.size(); at += 1000)
                sink(QByteArrayView(newBytes).sliced(at,
                                                     qMin<qsizetype>(1000, newBytes.size() - at)));
        });
    } catch (const CommandError& failure) {
        error = failure.message();
    }
    std::signal(SIGXFSZ, oldHandler);
    setrlimit(RLIMIT_FSIZE, &saved);

    QCOMPARE(readFile(path), fits ? newBytes : oldBytes);
    QCOMPARE(error, fits ? QString()
                         : QStringLiteral("Cannot create file %1\nPlik byłby za duży.").arg(path));
}

QTEST_APPLESS_MAIN(TestFileAccess)
#include "tst_fileaccess.moc"
