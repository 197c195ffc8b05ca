#include "RectTestSupport.h"
#include "TestRegistry.h"

#include "app/CropFrame.h"

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
    // Past the left edge the width is the distance, and the frame grows to the right.
    QTest::newRow("grip 4 past the left edge")
        << frame << 4 << QPoint(-150, 0) << Rect{100, 50, 150, 110};
    QTest::newRow("height truncates") << frame << 4 << QPoint(-99, 0) << Rect{100, 50, 101, 51};
}

void CropFrameTest::dragging()
{
    QFETCH(Rect, frame);
    QFETCH(int, grip);
    QFETCH(QPoint, delta);
    QFETCH(Rect, expected);
    dragCropFrame(frame, grip, delta, 1.2L);
    QCOMPARE(frame, expected);
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
