#include "FaceTestSupport.h"
#include "TestRegistry.h"

#include "face/FaceReadout.h"
#include "face/HeadGuides.h"
#include "face/HeadTargets.h"

#include <QPainter>
#include <QTest>
#include <QTransform>

#include <functional>

using namespace face_test;

namespace {

constexpr int kPassport = 2;
const QSize kPassportSize(350, 450);

// A variant of the portrait and where its head went.
struct Variant {
    QImage photo;
    HeadTruth truth;
};

// The portrait scaled by factor; pixel centres map as (p + 0.5) · factor − 0.5.
Variant scaled(double factor)
{
    const QImage source = portrait();
    const auto at = [factor](double p) { return (p + 0.5) * factor - 0.5; };
    const HeadTruth t;
    return {source.scaled(int(source.width() * factor), int(source.height() * factor),
                          Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
            {at(t.crownY), at(t.chinY), at(t.centreX)}};
}

// The portrait drawn at offset on a canvas of the backdrop's colour.
Variant placed(QSize canvas, QPoint offset, double factor = 1)
{
    const Variant inner = scaled(factor);
    QImage photo(canvas, QImage::Format_RGB32);
    photo.fill(QColor(214, 210, 207));
    QPainter(&photo).drawImage(offset, inner.photo);
    const HeadTruth t = inner.truth;
    return {photo, {t.crownY + offset.y(), t.chinY + offset.y(), t.centreX + offset.x()}};
}

Variant mirrored()
{
    const QImage source = portrait();
    const HeadTruth t;
    return {source.mirrored(true, false), {t.crownY, t.chinY, source.width() - 1 - t.centreX}};
}

Variant grey()
{
    return {portrait().convertToFormat(QImage::Format_Grayscale8), {}};
}

using Make = std::function<Variant()>;

} // namespace

Q_DECLARE_METATYPE(Make)

class FaceDetectorTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(detector().load()); }

    // The passport fit on the portrait and its variants: the true head between 3.2 and 3.6
    // cm of the 4.5 cm photo, the face within 2 % of the frame's width from its middle.
    void passportFitOnVariants_data()
    {
        QTest::addColumn<Make>("make");
        QTest::newRow("portrait") << Make([] { return scaled(1); });
        QTest::newRow("half size") << Make([] { return scaled(0.5); });
        QTest::newRow("double size") << Make([] { return scaled(2); });
        QTest::newRow("off-centre on a larger background") << Make([] {
            return placed({1400, 1000}, {820, 410});
        });
        QTest::newRow("mirrored") << Make(mirrored);
        QTest::newRow("grey-scale") << Make(grey);
        QTest::newRow("24 megapixels") << Make([] { return placed({6000, 4000}, {3100, 900}, 4); });
    }
    void passportFitOnVariants()
    {
        QFETCH(Make, make);
        const Variant variant = make();
        const FaceSearch search = detector().find(variant.photo);
        QVERIFY(search.found());
        // Weak detections on the suit and the flag do not count as faces.
        QCOMPARE(search.faceCount, 1);
        const HeadTruth& truth = variant.truth;
        const double trueHead = truth.chinY - truth.crownY;
        QVERIFY2(std::abs(search.face.crownY - truth.crownY) < 0.04 * trueHead,
                 qPrintable(QStringLiteral("crown %1").arg(search.face.crownY)));

        const std::optional<FrameFit> fit = fitFrameToFace(search.face, headRuleFor(kPassport),
                                                           kPassportSize, variant.photo.size(), 20);
        QVERIFY(fit);
        const Rect& f = fit->frame;
        const int width = RectWidth(f);
        QCOMPARE(RectHeight(f), int(width * (450.0L / 350)));
        const double headCm = trueHead / RectHeight(f) * 4.5;
        const double offCentre = std::abs(truth.centreX - (f.left + width / 2.0)) / width;
        qInfo("head %.2f cm, off centre %.2f %% of the width", headCm, 100 * offCentre);
        QVERIFY2(headCm >= 3.2 && headCm <= 3.6, qPrintable(QString::number(headCm)));
        QVERIFY2(offCentre <= 0.02, qPrintable(QString::number(offCentre)));
        QVERIFY(f.left >= 0 && f.top >= 0);
        QVERIFY(f.right <= variant.photo.width() && f.bottom <= variant.photo.height());
    }

    // Photos without a usable face are answered, never crash, and give no face.
    void noFace_data()
    {
        QTest::addColumn<QImage>("photo");
        QImage flat(640, 480, QImage::Format_RGB32);
        flat.fill(QColor(200, 200, 200));
        QTest::newRow("flat grey") << flat;
        QImage gradient(900, 600, QImage::Format_RGB888);
        QPainter painter(&gradient);
        QLinearGradient fill(0, 0, 900, 600);
        fill.setColorAt(0, Qt::darkBlue);
        fill.setColorAt(1, Qt::yellow);
        painter.fillRect(gradient.rect(), fill);
        painter.end();
        QTest::newRow("gradient") << gradient;
        QTest::newRow("face turned sideways") << portrait().transformed(QTransform().rotate(90));
        QTest::newRow("one pixel") << QImage(1, 1, QImage::Format_RGB32);
    }
    void noFace()
    {
        QFETCH(QImage, photo);
        const FaceSearch search = detector().find(photo);
        QCOMPARE(search.status, FaceSearch::Status::NoFace);
        QCOMPARE(search.faceCount, 0);
    }

    // Awkward photos that still show a face: each is found and fitted inside the photo.
    void awkwardFaces_data()
    {
        QTest::addColumn<QImage>("photo");
        QTest::addColumn<bool>("tight");
        QTest::newRow("200 x 200 around the face") << portrait().copy(125, 30, 200, 200) << true;
        QTest::newRow("face cut off by the left edge") << portrait().copy(200, 0, 312, 512) << true;
        QTest::newRow("256-colour palette")
            << portrait().convertToFormat(QImage::Format_Indexed8) << false;
        // The face is about 65 pixels wide: found only by the second, closer look.
        QTest::newRow("small face in a large photo")
            << placed({1200, 900}, {500, 300}, 0.7).photo << false;
    }
    void awkwardFaces()
    {
        QFETCH(QImage, photo);
        QFETCH(bool, tight);
        const FaceSearch search = detector().find(photo);
        QVERIFY(search.found());
        const std::optional<FrameFit> fit =
            fitFrameToFace(search.face, headRuleFor(kPassport), kPassportSize, photo.size(), 20);
        QVERIFY(fit);
        QCOMPARE(fit->tight, tight);
        QVERIFY(fit->frame.left >= 0 && fit->frame.top >= 0);
        QVERIFY(fit->frame.right <= photo.width() && fit->frame.bottom <= photo.height());
    }

    // A tilted head: the tilt is measured and the readout reports it.
    void tilt()
    {
        const FaceSearch upright = detector().find(portrait());
        QVERIFY(upright.found());
        QImage turned(portrait().size(), QImage::Format_RGB32);
        turned.fill(QColor(214, 210, 207));
        QPainter painter(&turned);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(256, 256);
        painter.rotate(8);
        painter.translate(-256, -256);
        painter.drawImage(0, 0, portrait());
        painter.end();
        const FaceSearch tilted = detector().find(turned);
        QVERIFY(tilted.found());
        QVERIFY2(std::abs(tilted.face.tiltDegrees - upright.face.tiltDegrees - 8) < 1.5,
                 qPrintable(QString::number(tilted.face.tiltDegrees)));
        ReadoutFacts facts;
        facts.tiltDegrees = tilted.face.tiltDegrees;
        QVERIFY(faceReadout(facts).contains(QStringLiteral("기울기 ")));
    }

    // Two people: the larger face is fitted and both are counted; the weak detection that
    // dlib also makes on the larger suit, and that is larger than both faces, is not.
    void severalFaces()
    {
        QImage photo(1000, 520, QImage::Format_RGB32);
        photo.fill(QColor(214, 210, 207));
        QPainter painter(&photo);
        painter.drawImage(
            0, 20, portrait().scaled(480, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        painter.drawImage(488, 0, portrait());
        painter.end();
        const FaceSearch search = detector().find(photo);
        QVERIFY(search.found());
        QCOMPARE(search.faceCount, 2);
        QVERIFY(search.face.centreX() > 600);
        QVERIFY(std::abs(search.face.headHeight() - 161) < 8);
    }

    void missingModelAndEmptyPhoto()
    {
        FaceDetector missing(QStringLiteral("/nonexistent/landmarks.dat"));
        QVERIFY(!missing.load());
        QCOMPARE(missing.find(portrait()).status, FaceSearch::Status::NoModel);
        QCOMPARE(detector().find(QImage()).status, FaceSearch::Status::NoPhoto);
    }
};

REGISTER_TEST(FaceDetectorTest);
#include "tst_FaceDetector.moc"
