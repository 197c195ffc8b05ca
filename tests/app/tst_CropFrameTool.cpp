#include "TestRegistry.h"

#include "app/CropFrame.h"
#include "app/CropFrameTool.h"
#include "ui/WindowLook.h"

#include <QImage>
#include <QTest>

#include <cstdlib>

namespace {

// A 400 × 400 photo shown at 100 % in a client of the same size: photo and workspace
// pixels coincide.
ViewMapping plainView()
{
    ViewMapping view;
    view.imageWidth = 400;
    view.imageHeight = 400;
    view.clientWidth = 400;
    view.clientHeight = 400;
    return view;
}

struct Fixture {
    Rect cropRect{50, 50, 150, 170};
    bool dragging = false;
    int activeGrip = 0;
    QPoint dragPoint;
    CropFrameTool tool{{cropRect, dragging, activeGrip, dragPoint}};
};

int greyDistance(QRgb pixel, int grey)
{
    return std::abs(qGray(pixel) - grey);
}

} // namespace

class CropFrameToolTest : public QObject {
    Q_OBJECT
private slots:
    void labelStandsOnBacking_data();
    void labelStandsOnBacking();
};

void CropFrameToolTest::labelStandsOnBacking_data()
{
    QTest::addColumn<int>("ground");

    QTest::newRow("mid grey photo") << 128;
    QTest::newRow("darker photo") << 96;
    QTest::newRow("lighter photo") << 160;
}

// Whatever colour the label draws in, the strip beside the corner grip lies on a backing
// far from the photo's tone, and the grip above the label is still inverted.
void CropFrameToolTest::labelStandsOnBacking()
{
    QFETCH(int, ground);

    for (int paint = 0; paint < 20; ++paint) {
        Fixture fixture;
        QImage canvas(400, 400, QImage::Format_RGB32);
        canvas.fill(qRgb(ground, ground, ground));
        fixture.tool.paint(canvas, canvas.rect(), plainView(), QStringLiteral("2.5 * 3 Cm"),
                           frameLabelFont());

        // The glyphs may take any colour, the photo's tone too; the backing around them
        // may not.
        const Rect grip = GripRect(fixture.cropRect, kGripBottomRight);
        int total = 0;
        int far = 0;
        for (int y = fixture.cropRect.bottom + 2; y < fixture.cropRect.bottom + 10; ++y) {
            for (int x = grip.right + 1; x < grip.right + 30; ++x) {
                ++total;
                far += greyDistance(canvas.pixel(x, y), ground) > 60;
            }
        }
        QVERIFY2(far * 10 >= total * 6, qPrintable(QStringLiteral("%1 of %2").arg(far).arg(total)));
        const QRgb gripAbove = canvas.pixel(grip.right - 2, grip.top + 1);
        QCOMPARE(qGray(gripAbove), 255 - ground);
    }
}

REGISTER_TEST(CropFrameToolTest);
#include "tst_CropFrameTool.moc"
