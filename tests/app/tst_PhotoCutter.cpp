#include "ImageCompare.h"
#include "RectTestSupport.h"
#include "TestRegistry.h"

#include "app/PhotoCutter.h"

#include <QTest>

namespace {

// 400 × 300: left half red, right half green, bottom quarter blue across the width.
RasterBitmap halvesPhoto()
{
    QImage image(400, 300, QImage::Format_RGB888);
    image.fill(Qt::red);
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x) {
            if (y >= 225)
                image.setPixelColor(x, y, Qt::blue);
            else if (x >= 200)
                image.setPixelColor(x, y, Qt::green);
        }
    }
    return RasterBitmap(image);
}

} // namespace

class PhotoCutterTest : public QObject {
    Q_OBJECT

private slots:
    void clipToImage_data()
    {
        QTest::addColumn<Rect>("frame");
        QTest::addColumn<Rect>("clipped");
        QTest::newRow("inside") << Rect{10, 20, 110, 140} << Rect{10, 20, 110, 140};
        QTest::newRow("past right and bottom")
            << Rect{300, 200, 550, 500} << Rect{300, 200, 400, 300};
        QTest::newRow("past left and top") << Rect{-30, -5, 100, 120} << Rect{0, 0, 100, 120};
        QTest::newRow("covers the photo") << Rect{-1, -1, 401, 301} << Rect{0, 0, 400, 300};
        QTest::newRow("wholly beyond the right edge")
            << Rect{450, 10, 700, 310} << Rect{450, 10, 400, 300};
    }
    void clipToImage()
    {
        QFETCH(Rect, frame);
        QFETCH(Rect, clipped);
        QCOMPARE(ClipToImage(frame, 400, 300), clipped);
    }

    void frameSizeCheck_data()
    {
        QTest::addColumn<Rect>("frame");
        QTest::addColumn<bool>("largeEnough");
        QTest::newRow("after a cut") << Rect{0, 0, 0, 0} << false;
        QTest::newRow("4 wide") << Rect{10, 10, 14, 200} << false;
        QTest::newRow("4 high") << Rect{10, 10, 200, 14} << false;
        QTest::newRow("5 x 5") << Rect{10, 10, 15, 15} << true;
        // Widths are absolute, so a frame the wrong way round still counts.
        QTest::newRow("reversed") << Rect{50, 50, 10, 10} << true;
        // Checked before clipping: a large frame off the photo passes here.
        QTest::newRow("off the photo") << Rect{1000, 1000, 1250, 1300} << true;
    }
    void frameSizeCheck()
    {
        QFETCH(Rect, frame);
        QFETCH(bool, largeEnough);
        QCOMPARE(cropFrameLargeEnough(frame), largeEnough);
    }

    // Each row: frame, target size, and colours expected at points of the result given as
    // fractions of its size.
    void cut_data()
    {
        QTest::addColumn<Rect>("frame");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<QList<QPointF>>("points");
        QTest::addColumn<QList<QColor>>("colours");
        const QList<QPointF> corners{{0.02, 0.02}, {0.98, 0.02}, {0.02, 0.98}, {0.98, 0.98}};
        QTest::newRow("one colour enlarged")
            << Rect{20, 20, 120, 140} << QSize(250, 300) << corners << QList<QColor>(4, Qt::red);
        QTest::newRow("across the halves") << Rect{100, 0, 300, 100} << QSize(350, 450) << corners
                                           << QList<QColor>{Qt::red, Qt::green, Qt::red, Qt::green};
        QTest::newRow("shrunk over three areas")
            << Rect{0, 0, 400, 300} << QSize(200, 200)
            << QList<QPointF>{{0.1, 0.1}, {0.9, 0.1}, {0.5, 0.95}}
            << QList<QColor>{Qt::red, Qt::green, Qt::blue};
        // Clipped to (300, 200)-(400, 300): green above y 225, blue below, so the result is a
        // quarter green and three quarters blue, stretched to the type's proportions.
        QTest::newRow("past right and bottom, clipped then stretched")
            << Rect{300, 200, 550, 500} << QSize(250, 300)
            << QList<QPointF>{{0.5, 0.1}, {0.5, 0.2}, {0.5, 0.3}, {0.5, 0.9}}
            << QList<QColor>{Qt::green, Qt::green, Qt::blue, Qt::blue};
        QTest::newRow("reversed frame")
            << Rect{380, 100, 220, 10} << QSize(200, 200) << corners << QList<QColor>(4, Qt::green);
    }
    void cut()
    {
        QFETCH(Rect, frame);
        QFETCH(QSize, target);
        QFETCH(QList<QPointF>, points);
        QFETCH(QList<QColor>, colours);
        const RasterBitmap photo = halvesPhoto();
        const QImage before = photo.image().copy();

        RasterBitmap cut;
        QVERIFY(cutFramedArea(cut, photo, frame, target.width(), target.height()));

        QVERIFY(!frameOutsidePhoto(frame, photo.width(), photo.height()));
        QCOMPARE(QSize(cut.width(), cut.height()), target);
        QCOMPARE(photo.image(), before);
        for (qsizetype i = 0; i < points.size(); ++i) {
            const QPoint at(int(points[i].x() * (target.width() - 1)),
                            int(points[i].y() * (target.height() - 1)));
            const QColor actual = cut.image().pixelColor(at);
            QVERIFY2(image_compare::coloursNear(actual, colours[i], 8),
                     qPrintable(QStringLiteral("at %1,%2: %3 instead of %4")
                                    .arg(at.x())
                                    .arg(at.y())
                                    .arg(actual.name(), colours[i].name())));
        }
    }

    void nothingToCut_data()
    {
        QTest::addColumn<Rect>("frame");
        QTest::newRow("wholly past the right edge") << Rect{400, 0, 650, 300};
        QTest::newRow("wholly past the bottom edge") << Rect{0, 300, 250, 600};
        QTest::newRow("wholly past the left edge") << Rect{-300, 0, -50, 300};
        QTest::newRow("far away") << Rect{100000, 100000, 100250, 100300};
        QTest::newRow("reversed, wholly above") << Rect{250, -10, 0, -310};
    }
    void nothingToCut()
    {
        QFETCH(Rect, frame);
        // The one refusal the user is told about.
        QVERIFY(frameOutsidePhoto(frame, 400, 300));
        RasterBitmap cut = halvesPhoto();
        const QImage before = cut.image();
        QVERIFY(!cutFramedArea(cut, halvesPhoto(), frame, 250, 300));
        QCOMPARE(cut.image(), before); // left as it was
    }

    void refusesMissingPhotoAndBadTarget()
    {
        RasterBitmap cut;
        QVERIFY(!cutFramedArea(cut, RasterBitmap(), Rect{0, 0, 100, 100}, 250, 300));
        QVERIFY(!cutFramedArea(cut, halvesPhoto(), Rect{0, 0, 100, 100}, 0, 300));
        QVERIFY(!cutFramedArea(cut, halvesPhoto(), Rect{0, 0, 100, 100}, 250, -1));
        QVERIFY(!cut.isAllocated());
        QVERIFY(!frameOutsidePhotoMessage().isEmpty());
    }
};

REGISTER_TEST(PhotoCutterTest);
#include "tst_PhotoCutter.moc"
