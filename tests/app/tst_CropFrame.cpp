#include "RectTestSupport.h"
#include "TestRegistry.h"

#include "app/CropFrame.h"
#include "common/MulDiv.h"

#include <QTest>

class CropFrameTest : public QObject {
    Q_OBJECT
private slots:
    void gripRects_data();
    void gripRects();
    void gripAtPoint_data();
    void gripAtPoint();
    void dragging_data();
    void dragging();
    void smallStepsPastTheLeftEdge_data();
    void smallStepsPastTheLeftEdge();
    void minimumWidthAtEveryZoom();
    void clampOrigin_data();
    void clampOrigin();
};

void CropFrameTest::gripRects_data()
{
    QTest::addColumn<Rect>("frame");
    QTest::addColumn<int>("grip");
    QTest::addColumn<Rect>("expected");
    const Rect frame{100, 50, 200, 171};
    // Middle: 50 + 121 / 2 = 110.
    QTest::newRow("right edge") << frame << 4 << Rect{193, 103, 207, 117};
    QTest::newRow("bottom-right corner") << frame << 5 << Rect{193, 164, 207, 178};
    QTest::newRow("reversed frame is normalised")
        << Rect{200, 171, 100, 50} << 4 << Rect{193, 103, 207, 117};
    QTest::newRow("odd height: middle rounds down")
        << Rect{0, 0, 10, 21} << 4 << Rect{3, 3, 17, 17};
    QTest::newRow("body has no handle") << frame << 0 << Rect{};
    QTest::newRow("top-left has no handle") << frame << 1 << Rect{};
}

void CropFrameTest::gripRects()
{
    QFETCH(Rect, frame);
    QFETCH(int, grip);
    QFETCH(Rect, expected);
    QCOMPARE(GripRect(frame, grip), expected);
}

void CropFrameTest::gripAtPoint_data()
{
    QTest::addColumn<Rect>("frame");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("expected");
    const Rect frame{100, 50, 200, 171};
    QTest::newRow("centre of grip 4") << frame << QPoint(200, 110) << 4;
    QTest::newRow("top-left of grip 4 is inside") << frame << QPoint(193, 103) << 4;
    QTest::newRow("right edge of grip 4 is outside") << frame << QPoint(207, 110) << 0;
    QTest::newRow("bottom edge of grip 5 is outside") << frame << QPoint(200, 178) << 0;
    QTest::newRow("corner grip") << frame << QPoint(206, 177) << 5;
    QTest::newRow("frame body") << frame << QPoint(150, 100) << 0;
    // 26 high: grip 4 covers rows 56..69 and grip 5 rows 69..82; the shared row is 4's.
    QTest::newRow("26 high: shared row is grip 4") << Rect{0, 50, 100, 76} << QPoint(100, 69) << 4;
    QTest::newRow("26 high: below the shared row") << Rect{0, 50, 100, 76} << QPoint(100, 70) << 5;
}

void CropFrameTest::gripAtPoint()
{
    QFETCH(Rect, frame);
    QFETCH(QPoint, point);
    QFETCH(int, expected);
    QCOMPARE(GripAtPoint(frame, point), expected);
}

void CropFrameTest::dragging_data()
{
    QTest::addColumn<Rect>("frame");
    QTest::addColumn<int>("grip");
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<Rect>("expected");
    const Rect frame{100, 50, 200, 170}; // 100 x 120, aspect 1.2
    QTest::newRow("body moves") << frame << 0 << QPoint(-130, 15) << Rect{-30, 65, 70, 185};
    QTest::newRow("grip 4 widens, height follows")
        << frame << 4 << QPoint(25, 40) << Rect{100, 50, 225, 200};
    QTest::newRow("grip 5 vertically only: unchanged") << frame << 5 << QPoint(0, 60) << frame;
    QTest::newRow("grip 5 diagonal acts like grip 4")
        << frame << 5 << QPoint(-10, -30) << Rect{100, 50, 190, 158};
    // Past the left edge the frame stops at its smallest: 20 photo pixels at 100 %.
    QTest::newRow("grip 4 past the left edge")
        << frame << 4 << QPoint(-150, 0) << Rect{100, 50, 120, 74};
    QTest::newRow("grip 4 to just under the minimum")
        << frame << 4 << QPoint(-81, 0) << Rect{100, 50, 120, 74};
    QTest::newRow("height truncates") << frame << 4 << QPoint(-77, 0) << Rect{100, 50, 123, 77};
}

void CropFrameTest::dragging()
{
    QFETCH(Rect, frame);
    QFETCH(int, grip);
    QFETCH(QPoint, delta);
    QFETCH(Rect, expected);
    dragCropFrame(frame, grip, delta, 1.2L, 100);
    QCOMPARE(frame, expected);
}

void CropFrameTest::smallStepsPastTheLeftEdge_data()
{
    QTest::addColumn<int>("grip");
    QTest::addColumn<QPoint>("step");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QSize>("photoType"); // the ratio is height / width, as the window's
    QTest::addColumn<QSize>("smallest");
    // Workspace pixels. At 100 % the 20 photo pixels rule; at low zooms the frame must
    // still be large enough to be drawn (above 10 a side); a wide custom ratio needs the
    // width for its height.
    const QSize idPhoto(250, 300);
    QTest::newRow("grip 4, 3-pixel steps, 100 %")
        << 4 << QPoint(-3, 0) << 100 << idPhoto << QSize(20, 24);
    QTest::newRow("grip 4, 1-pixel steps, 100 %")
        << 4 << QPoint(-1, 0) << 100 << idPhoto << QSize(20, 24);
    QTest::newRow("grip 4, 7-pixel steps, 300 %")
        << 4 << QPoint(-7, 0) << 300 << idPhoto << QSize(60, 72);
    QTest::newRow("grip 4, 2-pixel steps, 42 %")
        << 4 << QPoint(-2, 0) << 42 << idPhoto << QSize(11, 13);
    QTest::newRow("grip 5, diagonal steps, 100 %")
        << 5 << QPoint(-3, -4) << 100 << idPhoto << QSize(20, 24);
    QTest::newRow("custom 999 x 200, 100 %")
        << 4 << QPoint(-3, 0) << 100 << QSize(999, 200) << QSize(55, 11);
    QTest::newRow("custom 200 x 799, 100 %")
        << 4 << QPoint(-3, 0) << 100 << QSize(200, 799) << QSize(20, 79);
}

// Dragged leftwards far past the frame's own left edge, step by step as the mouse reports
// it: the frame shrinks steadily to its smallest size and stays there, without bouncing.
void CropFrameTest::smallStepsPastTheLeftEdge()
{
    QFETCH(int, grip);
    QFETCH(QPoint, step);
    QFETCH(int, zoom);
    QFETCH(QSize, photoType);
    QFETCH(QSize, smallest);
    const long double ratio = static_cast<long double>(photoType.height()) / photoType.width();

    Rect frame{100, 50, 300, 50 + static_cast<int>(200 * ratio)};
    for (int i = 0; i < 400; ++i) {
        const int before = RectWidth(frame);
        dragCropFrame(frame, grip, step, ratio, zoom);
        QCOMPARE(frame.left, 100);
        QCOMPARE(frame.top, 50);
        QVERIFY2(RectWidth(frame) <= before, qPrintable(QStringLiteral("step %1").arg(i)));
    }
    QCOMPARE(QSize(RectWidth(frame), RectHeight(frame)), smallest);
    // From there it grows again as soon as the mouse turns back.
    dragCropFrame(frame, grip, QPoint(5, 0), ratio, zoom);
    QCOMPARE(RectWidth(frame), smallest.width() + 5);
}

// Whatever the zoom and the photo type, the smallest frame is drawn on the screen and is
// still 20 photo pixels wide once the release maps it back to the photo.
void CropFrameTest::minimumWidthAtEveryZoom()
{
    for (QSize type : {QSize(999, 200), QSize(250, 300), QSize(300, 390), QSize(200, 799)}) {
        const long double ratio = static_cast<long double>(type.height()) / type.width();
        for (int zoom = 1; zoom <= 400; ++zoom) {
            const int width = minimumFrameWidth(zoom, ratio);
            const QByteArray where =
                QByteArray::number(zoom) + " %, ratio " + QByteArray::number(double(ratio));
            QVERIFY2(width > kSmallestDrawnFrame, where.constData());
            QVERIFY2(static_cast<int>(width * ratio) > kSmallestDrawnFrame, where.constData());
            QVERIFY2(MulDiv(width, 100, zoom) >= kMinFrameWidth, where.constData());
        }
    }
}

void CropFrameTest::clampOrigin_data()
{
    QTest::addColumn<Rect>("frame");
    QTest::addColumn<Rect>("expected");
    QTest::newRow("off the left") << Rect{-30, 10, 220, 310} << Rect{0, 10, 250, 310};
    QTest::newRow("off the top") << Rect{5, -1, 255, 299} << Rect{5, 0, 255, 300};
    QTest::newRow("off both") << Rect{-7, -9, 3, 1} << Rect{0, 0, 10, 10};
    QTest::newRow("off the right and bottom stays")
        << Rect{400, 300, 900, 1000} << Rect{400, 300, 900, 1000};
}

void CropFrameTest::clampOrigin()
{
    QFETCH(Rect, frame);
    QFETCH(Rect, expected);
    ClampCropOrigin(frame);
    QCOMPARE(frame, expected);
}

REGISTER_TEST(CropFrameTest);
#include "tst_CropFrame.moc"
