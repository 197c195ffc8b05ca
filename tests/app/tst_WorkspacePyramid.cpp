#include "ImageCompare.h"
#include "TestRegistry.h"

#include "app/WorkspacePyramid.h"

#include <QPainter>
#include <QTest>

namespace {

// A smooth picture with a distinct colour in each corner, so a shifted, mirrored or
// wrongly scaled paint shows.
QImage gradient(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] =
                qRgb(255 * x / width, 255 * y / height, 255 - 255 * (x + y) / (width + height));
    }
    return image.convertToFormat(format);
}

QImage blankCanvas(int width, int height)
{
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(Qt::magenta);
    return canvas;
}

} // namespace

class WorkspacePyramidTest : public QObject {
    Q_OBJECT
private slots:
    void paintsLikeADirectScale_data();
    void paintsLikeADirectScale();
    void paintsOnlyInsideTheClip();
    void followsChangesOfThePhoto();
};

void WorkspacePyramidTest::paintsLikeADirectScale_data()
{
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<int>("format");
    QTest::addColumn<QRect>("target");
    const QSize large(2400, 1800);
    QTest::newRow("fit, 24-bit") << large << int(QImage::Format_RGB888) << QRect(10, 5, 300, 225);
    QTest::newRow("fit, 32-bit") << large << int(QImage::Format_RGB32) << QRect(10, 5, 300, 225);
    QTest::newRow("fit, alpha") << large << int(QImage::Format_ARGB32) << QRect(10, 5, 300, 225);
    QTest::newRow("grey palette") << large << int(QImage::Format_Grayscale8)
                                  << QRect(10, 5, 300, 225);
    QTest::newRow("between halvings")
        << large << int(QImage::Format_RGB888) << QRect(0, 0, 1000, 750);
    QTest::newRow("enlarged and scrolled")
        << QSize(400, 300) << int(QImage::Format_RGB888) << QRect(-150, -100, 800, 600);
    QTest::newRow("reduced in two steps")
        << QSize(4000, 3000) << int(QImage::Format_RGB888) << QRect(5, 5, 100, 75);
    QTest::newRow("odd sizes") << QSize(1001, 777) << int(QImage::Format_RGB888)
                               << QRect(3, 7, 219, 170);
}

void WorkspacePyramidTest::paintsLikeADirectScale()
{
    QFETCH(QSize, photo);
    QFETCH(int, format);
    QFETCH(QRect, target);
    const QImage source = gradient(photo.width(), photo.height(), QImage::Format(format));
    QImage canvas = blankCanvas(320, 240);
    QImage reference = canvas;
    {
        QPainter painter(&reference);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(
            target, source.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    WorkspacePyramid pyramid;
    {
        QPainter painter(&canvas);
        pyramid.paint(painter, source, target, canvas.rect());
    }
    const QRect painted = target.intersected(canvas.rect());
    QVERIFY(image_compare::meanAbsDifference(canvas.copy(painted), reference.copy(painted)) < 3.0);
    // Nothing outside the target.
    if (painted.right() + 1 < canvas.width())
        QCOMPARE(canvas.pixel(canvas.width() - 1, canvas.height() - 1), QColor(Qt::magenta).rgb());
}

void WorkspacePyramidTest::paintsOnlyInsideTheClip()
{
    const QImage source = gradient(1600, 1200, QImage::Format_RGB888);
    QImage canvas = blankCanvas(320, 240);
    const QRect clip(40, 30, 50, 20);
    WorkspacePyramid pyramid;
    {
        QPainter painter(&canvas);
        pyramid.paint(painter, source, QRect(0, 0, 320, 240), clip);
    }
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const bool magenta = canvas.pixel(x, y) == QColor(Qt::magenta).rgb();
            QVERIFY2(magenta != clip.contains(x, y),
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    }
}

void WorkspacePyramidTest::followsChangesOfThePhoto()
{
    QImage source = gradient(2000, 1500, QImage::Format_RGB888);
    WorkspacePyramid pyramid;
    QImage canvas = blankCanvas(200, 150);
    {
        QPainter painter(&canvas);
        pyramid.paint(painter, source, canvas.rect(), canvas.rect());
    }
    QVERIFY(pyramid.levelCount() > 0);
    source.fill(Qt::red);
    {
        QPainter painter(&canvas);
        pyramid.paint(painter, source, canvas.rect(), canvas.rect());
    }
    QCOMPARE(canvas.pixel(100, 75), QColor(Qt::red).rgb());
    pyramid.clear();
    QCOMPARE(pyramid.levelCount(), 0);
}

REGISTER_TEST(WorkspacePyramidTest);
#include "tst_WorkspacePyramid.moc"
