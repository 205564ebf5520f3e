#include "app/Icons.h"

#include <QImage>
#include <QPixmap>
#include <QtTest>

namespace {

constexpr int ToolbarImages = 20;
constexpr int TabImages = 2;

QImage render(const QIcon& icon, int size)
{
    return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Pixels that are more opaque than not: a drawing, not a stray antialiased edge.
int solidPixels(const QImage& image)
{
    int solid = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            solid += qAlpha(image.pixel(x, y)) > 128;
    return solid;
}

QIcon icon(const QString& kind, int index)
{
    return kind == QLatin1String("toolbar") ? toolbarIcon(index) : tabIcon(index);
}

} // namespace

class TestIcons : public QObject {
    Q_OBJECT

private slots:
    void init() { QIcon::setThemeName(QString()); }

    void drawsSomething_data();
    void drawsSomething();

    void ownDrawingsAreDistinct();
    void missingThemeFallsBackToOwnDrawing();
    void indexOutOfRangeGivesNull();
};

void TestIcons::drawsSomething_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("size");
    for (int size : {16, 32}) {
        for (int i = 0; i < ToolbarImages; ++i)
            QTest::addRow("toolbar %d at %d px", i, size) << "toolbar" << i << size;
        for (int i = 0; i < TabImages; ++i)
            QTest::addRow("tab %d at %d px", i, size) << "tab" << i << size;
    }
}

void TestIcons::drawsSomething()
{
    QFETCH(QString, kind);
    QFETCH(int, index);
    QFETCH(int, size);

    const QIcon drawn = icon(kind, index);
    QVERIFY(!drawn.isNull());
    const QImage image = render(drawn, size);
    QCOMPARE(image.size(), QSize(size, size));
    // Every drawing covers well over a tenth of its square.
    QVERIFY2(solidPixels(image) > size * size / 10,
             qPrintable(QString::number(solidPixels(image))));
}

void TestIcons::ownDrawingsAreDistinct()
{
    QList<QImage> images;
    for (int i = 0; i < ToolbarImages; ++i)
        images << render(toolbarIcon(i), 16);
    for (int i = 0; i < TabImages; ++i)
        images << render(tabIcon(i), 16);
    for (int a = 0; a < images.size(); ++a)
        for (int b = a + 1; b < images.size(); ++b)
            QVERIFY2(images[a] != images[b], qPrintable(QStringLiteral("%1 and %2").arg(a).arg(b)));
}

void TestIcons::missingThemeFallsBackToOwnDrawing()
{
    const QImage own = render(toolbarIcon(2), 16);
    QIcon::setThemeName(QStringLiteral("tagomir-test-no-such-theme"));
    const QIcon themed = toolbarIcon(2);
    QVERIFY(!themed.isNull());
    QCOMPARE(render(themed, 16), own);
}

void TestIcons::indexOutOfRangeGivesNull()
{
    QVERIFY(toolbarIcon(-1).isNull());
    QVERIFY(toolbarIcon(ToolbarImages).isNull());
    QVERIFY(tabIcon(-1).isNull());
    QVERIFY(tabIcon(TabImages).isNull());
}

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
