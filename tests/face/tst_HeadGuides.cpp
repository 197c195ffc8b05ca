#include "TestRegistry.h"

#include "face/FaceReadout.h"
#include "face/HeadGuides.h"

#include <QTest>

namespace {

FaceFeatures headFrom(double crownY, double chinY)
{
    FaceFeatures face;
    face.crownY = crownY;
    face.chin = QPointF(100, chinY);
    face.leftEye = QPointF(80, (crownY + chinY) / 2);
    face.rightEye = QPointF(120, (crownY + chinY) / 2);
    return face;
}

} // namespace

class HeadGuidesTest : public QObject {
    Q_OBJECT
private slots:
    // In a 450-pixel frame the passport's head may be 320 to 360 pixels: the crown's band
    // hangs that far above the chin, the chin's that far below the crown.
    void passportGuides()
    {
        const FaceFeatures face = headFrom(40, 380);
        const HeadGuides guides = headGuides(face, headRuleFor(2), QRectF(0, 10, 350, 450));
        QCOMPARE(guides.crownY, 40.0);
        QCOMPARE(guides.eyeY, 210.0);
        QCOMPARE(guides.chinY, 380.0);
        QCOMPARE(guides.crownBandTop, 20.0);
        QCOMPARE(guides.crownBandBottom, 60.0);
        QCOMPARE(guides.chinBandTop, 360.0);
        QCOMPARE(guides.chinBandBottom, 400.0);
        QVERIFY(guides.eyeLimitY);
        QCOMPARE(*guides.eyeLimitY, 235.0);
        QVERIFY(!headGuides(face, headRuleFor(0), QRectF(0, 10, 350, 450)).eyeLimitY);
    }

    void readout_data()
    {
        QTest::addColumn<double>("crownY");
        QTest::addColumn<double>("chinY");
        QTest::addColumn<QRectF>("frame");
        QTest::addColumn<int>("faceCount");
        QTest::addColumn<double>("tilt");
        QTest::addColumn<bool>("tight");
        QTest::addColumn<QString>("text");
        const QRectF passport(0, 0, 350, 450);
        QTest::newRow("fits") << 40.0 << 380.0 << passport << 1 << 0.0 << false
                              << "머리 높이 3.4 cm (기준 3.2–3.6) ✓";
        QTest::newRow("too small") << 40.0 << 340.0 << passport << 1 << 0.0 << false
                                   << "머리 높이 3.0 cm (기준 3.2–3.6) ✗";
        QTest::newRow("too large") << 10.0 << 440.0 << passport << 1 << 0.0 << false
                                   << "머리 높이 4.3 cm (기준 3.2–3.6) ✗";
        QTest::newRow("band edges count as inside") << 40.0 << 360.0 << passport << 1 << 0.0
                                                    << false << "머리 높이 3.2 cm (기준 3.2–3.6) ✓";
        // 3.16 cm would show as 3.2 beside a cross.
        QTest::newRow("just under: two decimals") << 40.0 << 356.0 << passport << 1 << 0.0 << false
                                                  << "머리 높이 3.16 cm (기준 3.2–3.6) ✗";
        QTest::newRow("head above the frame")
            << -20.0 << 320.0 << passport << 1 << 0.0 << false
            << "머리 높이 3.4 cm (기준 3.2–3.6) ✗ · 머리가 틀 밖으로 나감";
        QTest::newRow("tilt of 3 degrees is not reported")
            << 40.0 << 380.0 << passport << 1 << -3.0 << false
            << "머리 높이 3.4 cm (기준 3.2–3.6) ✓";
        QTest::newRow("tilt, three faces, tight")
            << 40.0 << 380.0 << passport << 3 << -4.26 << true
            << "머리 높이 3.4 cm (기준 3.2–3.6) ✓ · 기울기 4.3° · 얼굴 3개 중 가장 큰 얼굴 · "
               "사진이 좁아 최대한 맞춤";
        QTest::newRow("ID photo 2.5 x 3") << 30.0 << 252.0 << QRectF(0, 0, 250, 300) << 1 << 0.0
                                          << false << "머리 높이 2.2 cm (기준 2.1–2.4) ✓";
    }
    void readout()
    {
        QFETCH(double, crownY);
        QFETCH(double, chinY);
        QFETCH(QRectF, frame);
        QFETCH(int, faceCount);
        QFETCH(double, tilt);
        QFETCH(bool, tight);
        QFETCH(QString, text);
        const int type = frame.height() == 450 ? 2 : 0;
        ReadoutFacts facts;
        facts.check =
            checkHead(headFrom(crownY, chinY), headRuleFor(type), frame, frame.height() / 100);
        facts.faceCount = faceCount;
        facts.tiltDegrees = tilt;
        facts.tight = tight;
        QCOMPARE(faceReadout(facts), text);
    }
};

REGISTER_TEST(HeadGuidesTest);
#include "tst_HeadGuides.moc"
