#include "RectTestSupport.h"
#include "TestRegistry.h"

#include "app/WorkspaceGeometry.h"

#include <QTest>

namespace {

// The workspace of the main window without scroll bars: 721 × 511.
ViewMapping view(int imageWidth, int imageHeight, int zoom, int scrollX = 0, int scrollY = 0,
                 int clientWidth = 721, int clientHeight = 511)
{
    return {imageWidth, imageHeight, zoom, scrollX, scrollY, clientWidth, clientHeight};
}

} // namespace

class WorkspaceGeometryTest : public QObject {
    Q_OBJECT
private slots:
    void fitZoom_data();
    void fitZoom();
    void ranges_data();
    void ranges();
    void mapping_data();
    void mapping();
    void backgroundStrips_data();
    void backgroundStrips();
};

void WorkspaceGeometryTest::fitZoom_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("expected");
    // Limits 716 × 506: the workspace less 5 pixels.
    QTest::newRow("1600x1200 is limited by height") << 1600 << 1200 << 42;
    QTest::newRow("wide photo is limited by width") << 2000 << 1000 << 35;
    QTest::newRow("exactly fitting") << 716 << 506 << 100;
    QTest::newRow("smaller photo is not enlarged") << 512 << 512 << 98;
    QTest::newRow("tiny photo") << 100 << 80 << 100;
    QTest::newRow("more than ten times larger") << 10000 << 7000 << 7;
    QTest::newRow("fitted width rounds to zero: fails to 100") << 1 << 30000 << 100;
    QTest::newRow("very tall") << 600 << 30000 << 1;
}

void WorkspaceGeometryTest::fitZoom()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, expected);
    QCOMPARE(fitZoomPercent(width, height, 716, 506), expected);
}

void WorkspaceGeometryTest::ranges_data()
{
    QTest::addColumn<ViewMapping>("mapping");
    QTest::addColumn<ScrollRanges>("expected");
    QTest::addColumn<QPoint>("offset");
    QTest::newRow("no photo") << view(0, 0, 100) << ScrollRanges{0, 0, true} << QPoint(0, 0);
    QTest::newRow("fitted 1600x1200 at 42")
        << view(1600, 1200, 42) << ScrollRanges{672, 504, true} << QPoint(24, 3);
    // MulDiv rounds halves away from zero: 1001 * 50 / 100 = 500.5 -> 501.
    QTest::newRow("halves round up")
        << view(1001, 3, 50) << ScrollRanges{501, 2, true} << QPoint(110, 254);
    QTest::newRow("larger both ways")
        << view(2000, 1500, 100) << ScrollRanges{2000, 1500, false} << QPoint(0, 0);
    QTest::newRow("wider only") << view(2000, 300, 100) << ScrollRanges{2000, 300, true}
                                << QPoint(0, 105);
    QTest::newRow("exactly the client")
        << view(721, 511, 100) << ScrollRanges{721, 511, false} << QPoint(0, 0);
    QTest::newRow("enlarged 300%")
        << view(250, 300, 300) << ScrollRanges{750, 900, false} << QPoint(0, 0);
}

void WorkspaceGeometryTest::ranges()
{
    QFETCH(ViewMapping, mapping);
    QFETCH(ScrollRanges, expected);
    QFETCH(QPoint, offset);
    const ScrollRanges actual = scrollRanges(mapping);
    QCOMPARE(actual.horizontal, expected.horizontal);
    QCOMPARE(actual.vertical, expected.vertical);
    QCOMPARE(actual.eraseBack, expected.eraseBack);
    QCOMPARE(centeringOffset(mapping), offset);
}

void WorkspaceGeometryTest::mapping_data()
{
    QTest::addColumn<ViewMapping>("mapping");
    QTest::addColumn<Rect>("image");
    QTest::addColumn<Rect>("screen");
    QTest::addColumn<Rect>("back");
    QTest::newRow("type 0 frame at 100%, centred 512x512")
        << view(512, 512, 100) << Rect{0, 0, 250, 300} << Rect{104, 0, 354, 300}
        << Rect{0, 0, 250, 300};
    QTest::newRow("frame at 42% on 1600x1200") << view(1600, 1200, 42) << Rect{100, 50, 350, 350}
                                               << Rect{66, 24, 171, 150} << Rect{100, 50, 350, 350};
    // Sizes and origins are converted separately: the round trip loses a pixel.
    QTest::newRow("round trip changes the size below 100%")
        << view(1600, 1200, 42) << Rect{0, 0, 251, 301} << Rect{24, 3, 129, 129}
        << Rect{0, 0, 250, 300};
    QTest::newRow("scrolled at 200%") << view(2000, 2000, 200, 300, 40) << Rect{200, 100, 450, 400}
                                      << Rect{100, 160, 600, 760} << Rect{200, 100, 450, 400};
    QTest::newRow("odd sizes at 33%")
        << view(3000, 3000, 33) << Rect{7, 7, 20, 20} << Rect{2, 2, 6, 6} << Rect{6, 6, 18, 18};
    QTest::newRow("frame off the photo to the left")
        << view(4000, 3000, 50, 0, 0) << Rect{-40, 0, 210, 300} << Rect{-20, 0, 105, 150}
        << Rect{-40, 0, 210, 300};
}

void WorkspaceGeometryTest::mapping()
{
    QFETCH(ViewMapping, mapping);
    QFETCH(Rect, image);
    QFETCH(Rect, screen);
    QFETCH(Rect, back);
    Rect r = image;
    imageToScreen(mapping, r);
    QCOMPARE(r, screen);
    screenToImage(mapping, r);
    QCOMPARE(r, back);
}

void WorkspaceGeometryTest::backgroundStrips_data()
{
    QTest::addColumn<ViewMapping>("mapping");
    QTest::addColumn<Rect>("clip");
    QTest::addColumn<QList<Rect>>("expected");
    const Rect all{0, 0, 721, 511};
    QTest::newRow("no photo: everything") << view(0, 0, 0) << all << QList<Rect>{all};
    QTest::newRow("no photo: only the clip")
        << view(0, 0, 0) << Rect{10, 20, 30, 40} << QList<Rect>{{10, 20, 30, 40}};
    // 512x512 at 98% is 502x502 at (109, 4): the columns 108 and 611 and the rows 3
    // and 506 are left for the outline.
    QTest::newRow("centred both ways")
        << view(512, 512, 98) << all
        << QList<Rect>{{0, 0, 108, 511}, {612, 0, 721, 511}, {0, 0, 721, 3}, {0, 507, 721, 511}};
    QTest::newRow("clip inside the photo")
        << view(512, 512, 98) << Rect{200, 200, 300, 300} << QList<Rect>{};
    QTest::newRow("clip across the left strip")
        << view(512, 512, 98) << Rect{100, 100, 120, 110} << QList<Rect>{{100, 100, 108, 110}};
    QTest::newRow("covering photo") << view(3000, 2000, 100, 500, 500) << all << QList<Rect>{};
    QTest::newRow("wide photo: strips above and below")
        << view(2000, 300, 100) << all << QList<Rect>{{0, 0, 721, 104}, {0, 406, 721, 511}};
}

void WorkspaceGeometryTest::backgroundStrips()
{
    QFETCH(ViewMapping, mapping);
    QFETCH(Rect, clip);
    QFETCH(QList<Rect>, expected);
    QCOMPARE(::backgroundStrips(mapping, clip), expected);
}

REGISTER_TEST(WorkspaceGeometryTest);
#include "tst_WorkspaceGeometry.moc"
