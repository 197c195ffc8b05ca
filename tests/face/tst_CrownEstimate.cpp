#include "TestRegistry.h"

#include "face/CrownEstimate.h"

#include <QPainter>
#include <QTest>

namespace {

// A drawn head on a 300 × 400 picture: eyes at y = eyeY, the chin 100 below them, the
// brows 20 above them, the forehead's hairline 60 above them and the hair's top hairTop
// above them (all in pixels).
struct Head {
    int eyeY = 190;
    int hairTop = 100;
    int background = 210;
    int hair = 60;
    bool texturedHair = false;
    bool shelfAbove = false;
};

constexpr int kDrop = 100;

QImage draw(const Head& head)
{
    QImage picture(300, 400, QImage::Format_RGB32);
    picture.fill(QColor(head.background, head.background, head.background));
    QPainter painter(&picture);
    painter.setPen(Qt::NoPen);
    if (head.shelfAbove)
        painter.fillRect(0, head.eyeY - head.hairTop - 50, 300, 12, QColor(20, 20, 20));
    const int crown = head.eyeY - head.hairTop;
    const int chin = head.eyeY + kDrop;
    painter.setBrush(QColor(head.hair, head.hair, head.hair));
    painter.drawEllipse(QRect(70, crown, 160, chin - crown + 20));
    painter.setBrush(QColor(175, 175, 175));
    painter.drawEllipse(QRect(95, head.eyeY - 60, 110, chin - head.eyeY + 60));
    painter.end();
    if (head.texturedHair) {
        // Strands of 180 and 240 that average to the background's grey.
        for (int y = std::max(0, crown); y < head.eyeY - 60; ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (qGray(picture.pixel(x, y)) == head.hair)
                    picture.setPixel(x, y, (x / 2) % 2 ? qRgb(180, 180, 180) : qRgb(240, 240, 240));
            }
        }
    }
    return picture.convertToFormat(QImage::Format_Grayscale8);
}

CrownCues cuesFor(const Head& head)
{
    CrownCues cues;
    cues.leftEye = QPointF(125, head.eyeY);
    cues.rightEye = QPointF(175, head.eyeY);
    cues.chin = QPointF(150, head.eyeY + kDrop);
    cues.browY = head.eyeY - 20;
    return cues;
}

} // namespace

Q_DECLARE_METATYPE(Head)

class CrownEstimateTest : public QObject {
    Q_OBJECT
private slots:
    // The prior alone would say 115 above the eyes; the drawn crown lies elsewhere, so each
    // row shows that the scan found the hair's edge (within a row or two where the round
    // top of the hair first fills enough of the strip).
    void crownOfDrawnHeads_data()
    {
        QTest::addColumn<Head>("head");
        QTest::addColumn<double>("crown");
        QTest::newRow("dark hair on a light background") << Head{} << 90.0;
        QTest::newRow("light hair on a dark background")
            << Head{190, 100, 40, 230, false, false} << 90.0;
        QTest::newRow("hair as grey as the background, but textured")
            << Head{190, 100, 210, 210, true, false} << 90.0;
        QTest::newRow("tall hair") << Head{190, 140, 210, 60, false, false} << 50.0;
        QTest::newRow("short hair") << Head{190, 85, 210, 60, false, false} << 105.0;
        QTest::newRow("a shelf above the head") << Head{190, 100, 210, 60, false, true} << 90.0;
        // The hair fills the strip up to the top: the hairline must not be taken for the
        // crown, which lies above the picture (the prior, 115 above the eyes).
        QTest::newRow("head cut off by the top") << Head{90, 110, 210, 60, false, false} << -25.0;
        // Nothing to see: the prior.
        QTest::newRow("no contrast") << Head{190, 100, 210, 210, false, false} << 75.0;
    }
    void crownOfDrawnHeads()
    {
        QFETCH(Head, head);
        QFETCH(double, crown);
        const double found = estimateCrownY(draw(head), cuesFor(head));
        QVERIFY2(std::abs(found - crown) <= 2.5, qPrintable(QString::number(found)));
    }

    void proportionsWithoutAPicture()
    {
        const Head head;
        QCOMPARE(estimateCrownY(QImage(), cuesFor(head)), 75.0);
        QCOMPARE(crownFromProportions(cuesFor(head)), 75.0);
    }
};

REGISTER_TEST(CrownEstimateTest);
#include "tst_CrownEstimate.moc"
