#include "RectTestSupport.h"
#include "TestRegistry.h"

#include "face/HeadTargets.h"

#include <QTest>

namespace {

// A face whose head (crown to chin) is head pixels high, its eyes 45 % of the way down.
FaceFeatures faceAt(double centreX, double crownY, double head)
{
    FaceFeatures face;
    face.crownY = crownY;
    face.chin = QPointF(centreX, crownY + head);
    face.leftEye = QPointF(centreX - head / 6, crownY + 0.45 * head);
    face.rightEye = QPointF(centreX + head / 6, crownY + 0.45 * head);
    return face;
}

const QSize kLargePhoto(4000, 3000);

} // namespace

class HeadTargetsTest : public QObject {
    Q_OBJECT
private slots:
    void table_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("minShare");
        QTest::addColumn<double>("maxShare");
        QTest::addColumn<bool>("eyesInUpperHalf");
        QTest::newRow("ID 2.5 x 3") << 0 << 0.70 << 0.80 << false;
        QTest::newRow("half card 3 x 4") << 1 << 0.70 << 0.80 << false;
        QTest::newRow("passport 3.5 x 4.5: 3.2-3.6 cm") << 2 << 3.2 / 4.5 << 3.6 / 4.5 << true;
        QTest::newRow("card 5 x 7") << 3 << 0.70 << 0.80 << false;
        QTest::newRow("custom") << 4 << 0.70 << 0.80 << false;
        QTest::newRow("unknown is type 0") << 9 << 0.70 << 0.80 << false;
    }
    void table()
    {
        QFETCH(int, type);
        QFETCH(double, minShare);
        QFETCH(double, maxShare);
        QFETCH(bool, eyesInUpperHalf);
        const HeadRule& rule = headRuleFor(type);
        QCOMPARE(rule.minShare, minShare);
        QCOMPARE(rule.maxShare, maxShare);
        QVERIFY(rule.targetShare > minShare && rule.targetShare < maxShare);
        QCOMPARE(rule.eyesInUpperHalf, eyesInUpperHalf);
    }

    // With room all round, every type gets the head at its target share, the eyes in the
    // middle, the crown below its margin, and the crop frame's exact proportions.
    void fitWithRoom_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QSize>("target");
        QTest::newRow("ID") << 0 << QSize(250, 300);
        QTest::newRow("half card") << 1 << QSize(300, 400);
        QTest::newRow("passport") << 2 << QSize(350, 450);
        QTest::newRow("card") << 3 << QSize(500, 700);
        QTest::newRow("custom wide") << 4 << QSize(999, 200);
        QTest::newRow("custom tall") << 4 << QSize(200, 799);
    }
    void fitWithRoom()
    {
        QFETCH(int, type);
        QFETCH(QSize, target);
        const FaceFeatures face = faceAt(2000, 1000, 600);
        const HeadRule& rule = headRuleFor(type);
        const std::optional<FrameFit> fit = fitFrameToFace(face, rule, target, kLargePhoto, 20);
        QVERIFY(fit);
        QVERIFY(!fit->tight);
        const Rect& f = fit->frame;
        const int width = RectWidth(f);
        QCOMPARE(
            RectHeight(f),
            static_cast<int>(width * (static_cast<long double>(target.height()) / target.width())));
        QVERIFY(std::abs(600.0 / RectHeight(f) - rule.targetShare) < 0.005);
        QVERIFY(std::abs(f.left + width / 2.0 - 2000) <= 0.5);
        QVERIFY(face.crownY - f.top <= rule.crownMargin * RectHeight(f) + 0.5);
        QVERIFY(face.crownY > f.top);
        if (rule.eyesInUpperHalf)
            QVERIFY(face.eyeY() - f.top < RectHeight(f) / 2.0);
    }

    // Where the photo is too tight the frame is pushed or shrunk inside it, and says so
    // when the rule is lost; a push that keeps the rule is no fault.
    void fitAtTheEdges_data()
    {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<double>("centreX");
        QTest::addColumn<double>("crownY");
        QTest::addColumn<Rect>("frame");
        QTest::addColumn<bool>("tight");
        // The head of 340 wants a frame of 350 × 450 at (325, 64).
        QTest::newRow("room") << QSize(1000, 1000) << 500.0 << 100.0 << Rect{325, 64, 675, 514}
                              << false;
        QTest::newRow("crown near the top: pushed down a little, head still inside")
            << QSize(1000, 1000) << 500.0 << 20.0 << Rect{325, 0, 675, 450} << false;
        QTest::newRow("head cut off by the top")
            << QSize(1000, 1000) << 500.0 << -30.0 << Rect{325, 0, 675, 450} << true;
        QTest::newRow("face near the left edge: off-centre")
            << QSize(1000, 1000) << 100.0 << 100.0 << Rect{0, 64, 350, 514} << true;
        QTest::newRow("face near the right edge")
            << QSize(1000, 1000) << 990.0 << 100.0 << Rect{650, 64, 1000, 514} << true;
        QTest::newRow("photo lower than the frame: shrunk")
            << QSize(1000, 400) << 500.0 << 20.0 << Rect{345, 0, 656, 399} << true;
    }
    void fitAtTheEdges()
    {
        QFETCH(QSize, photo);
        QFETCH(double, centreX);
        QFETCH(double, crownY);
        QFETCH(Rect, frame);
        QFETCH(bool, tight);
        const double head = 340;
        const std::optional<FrameFit> fit =
            fitFrameToFace(faceAt(centreX, crownY, head), headRuleFor(2), {350, 450}, photo, 20);
        QVERIFY(fit);
        QCOMPARE(fit->frame, frame);
        QCOMPARE(fit->tight, tight);
    }

    // Low eyes (a tall hairdo) would put them in the passport's lower half: the crown's
    // margin gives way, down to its smallest.
    void passportEyesStayInTheUpperHalf()
    {
        FaceFeatures face = faceAt(500, 100, 340);
        face.leftEye.setY(100 + 0.6 * 340);
        face.rightEye.setY(100 + 0.6 * 340);
        const std::optional<FrameFit> fit =
            fitFrameToFace(face, headRuleFor(2), {350, 450}, {1000, 1000}, 20);
        QVERIFY(fit);
        const double height = RectHeight(fit->frame);
        QVERIFY(face.eyeY() - fit->frame.top < height / 2);
        QVERIFY(face.crownY - fit->frame.top >= 0.02 * height - 0.5);
        QVERIFY(!fit->tight);
    }

    void unusableInput()
    {
        const FaceFeatures face = faceAt(500, 100, 340);
        const HeadRule& rule = headRuleFor(2);
        QVERIFY(!fitFrameToFace(faceAt(500, 100, 0), rule, {350, 450}, {1000, 1000}, 20));
        QVERIFY(!fitFrameToFace(face, rule, {0, 450}, {1000, 1000}, 20));
        QVERIFY(!fitFrameToFace(face, rule, {350, 450}, {0, 0}, 20));
        // A tiny head still gets a frame the cut can use.
        const std::optional<FrameFit> tiny =
            fitFrameToFace(faceAt(500, 100, 4), rule, {350, 450}, {1000, 1000}, 20);
        QVERIFY(tiny);
        QCOMPARE(RectWidth(tiny->frame), 20);
        QVERIFY(tiny->tight);
    }
};

REGISTER_TEST(HeadTargetsTest);
#include "tst_HeadTargets.moc"
