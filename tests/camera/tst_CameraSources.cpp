#include "CameraTestSupport.h"
#include "TestRegistry.h"

#include "camera/CameraSourceFactory.h"
#include "camera/PreviewPacer.h"
#include "camera/SyntheticCameraSource.h"
#include "camera/VideoFrames.h"

#include <QSignalSpy>
#include <QTest>
#include <QVideoFrameFormat>

#include <cstring>
#include <optional>

Q_DECLARE_METATYPE(std::optional<int>)

class CameraSourcesTest : public QObject {
    Q_OBJECT
private slots:
    void testCameraCount_data();
    void testCameraCount();
    void counterSurvivesScaling_data();
    void counterSurvivesScaling();
    void sourceDeliversOnlyWhileLive();
    void framesOfCameraFormats_data();
    void framesOfCameraFormats();
    void unsafeFramesGiveNoPicture_data();
    void unsafeFramesGiveNoPicture();
    void previewPlace_data();
    void previewPlace();
    void pacerKeepsAQuarterOfACore_data();
    void pacerKeepsAQuarterOfACore();
};

void CameraSourcesTest::testCameraCount_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<std::optional<int>>("count");
    QTest::newRow("unset") << QByteArray() << std::optional<int>();
    QTest::newRow("0") << QByteArray("0") << std::optional<int>(0);
    QTest::newRow("2") << QByteArray("2") << std::optional<int>(2);
    QTest::newRow("4") << QByteArray("4") << std::optional<int>(4);
    QTest::newRow("5") << QByteArray("5") << std::optional<int>();
    QTest::newRow("-1") << QByteArray("-1") << std::optional<int>();
    QTest::newRow("word") << QByteArray("two") << std::optional<int>();
    QTest::newRow("spaces") << QByteArray(" 3 ") << std::optional<int>(3);
}

void CameraSourcesTest::testCameraCount()
{
    QFETCH(QByteArray, value);
    QFETCH(std::optional<int>, count);
    QCOMPARE(::testCameraCount(value), count);
}

void CameraSourcesTest::counterSurvivesScaling_data()
{
    QTest::addColumn<int>("counter");
    QTest::addColumn<QSize>("shownAt");
    QTest::newRow("1, full size") << 1 << QSize(640, 480);
    QTest::newRow("1234, preview") << 1234 << QSize(320, 240);
    QTest::newRow("32767, preview") << 32767 << QSize(320, 240);
}

void CameraSourcesTest::counterSurvivesScaling()
{
    QFETCH(int, counter);
    QFETCH(QSize, shownAt);
    const QImage frame = SyntheticCameraSource::drawFrame(1, counter, QSize(640, 480));
    const QImage shown = frame.scaled(shownAt, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QCOMPARE(SyntheticCameraSource::frameNumber(shown), counter);
    QImage plain(640, 480, QImage::Format_RGB32);
    plain.fill(Qt::black);
    QCOMPARE(SyntheticCameraSource::frameNumber(plain), -1);
}

// Frames come only while live; a stop keeps the latest, reopening forgets it.
void CameraSourcesTest::sourceDeliversOnlyWhileLive()
{
    SyntheticCameraSource source(2);
    source.setFrameInterval(0);
    QSignalSpy delivered(&source, &CameraSource::frameDelivered);
    QVERIFY(!source.open(0)); // not listed yet
    QCOMPARE(source.deviceNames(), (QStringList{"테스트 카메라 1", "테스트 카메라 2"}));
    QVERIFY(source.stillCopy().isNull());

    QVERIFY(source.open(1));
    source.deliverNextFrame();
    source.deliverNextFrame();
    source.stop();
    source.deliverNextFrame();
    QCOMPARE(delivered.size(), 2);
    const QImage still = source.stillCopy();
    QCOMPARE(still.format(), QImage::Format_RGB32);
    QCOMPARE(still, SyntheticCameraSource::drawFrame(1, 2, QSize(640, 480)));

    QVERIFY(source.open(0));
    QVERIFY(source.stillCopy().isNull());
    QVERIFY(!source.open(2));
    QVERIFY(!source.isLive());
}

void CameraSourcesTest::framesOfCameraFormats_data()
{
    QTest::addColumn<QVideoFrameFormat::PixelFormat>("format");
    QTest::addColumn<QSize>("size");
    QTest::newRow("RGB32 640x480") << QVideoFrameFormat::Format_BGRX8888 << QSize(640, 480);
    QTest::newRow("YUYV 1280x720") << QVideoFrameFormat::Format_YUYV << QSize(1280, 720);
    QTest::newRow("NV12 1280x720") << QVideoFrameFormat::Format_NV12 << QSize(1280, 720);
    QTest::newRow("I420 3840x2160") << QVideoFrameFormat::Format_YUV420P << QSize(3840, 2160);
    // As decoded from most MJPEG cameras; the stack's own converter of this layout writes
    // past its picture (found by the camera frame fuzz target).
    QTest::newRow("4:2:2 planar 640x480") << QVideoFrameFormat::Format_YUV422P << QSize(640, 480);
}

// Whatever the camera's format, the still is the whole frame in 32-bit pixels and the
// preview fits the video area; the counter reads the same from both.
void CameraSourcesTest::framesOfCameraFormats()
{
    QFETCH(QVideoFrameFormat::PixelFormat, format);
    QFETCH(QSize, size);
    const QImage picture = SyntheticCameraSource::drawFrame(0, 4321, size);
    const QVideoFrame frame = SyntheticCameraSource::cameraFrame(picture, format);
    QVERIFY(frame.isValid());

    const QImage still = stillImage(frame);
    QCOMPARE(still.size(), size);
    QCOMPARE(still.format(), QImage::Format_RGB32);
    QCOMPARE(SyntheticCameraSource::frameNumber(still), 4321);
    const RasterBitmap photo = photoFromStill(still);
    QCOMPARE(photo.bitsPerPixel(), 32);
    QCOMPARE(photo.width(), size.width());

    const QImage preview = previewImage(frame, QSize(320, 240));
    QCOMPARE(preview.size(), ::previewPlace(size, QSize(320, 240)).size());
    QCOMPARE(SyntheticCameraSource::frameNumber(preview), 4321);
}

void CameraSourcesTest::unsafeFramesGiveNoPicture_data()
{
    QTest::addColumn<QVideoFrameFormat::PixelFormat>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("converted");
    // 4:2:2 planar at 177 x 9 made the stack's converter write past its picture (found by
    // the camera frame fuzz target).
    QTest::newRow("4:2:2 planar, odd width")
        << QVideoFrameFormat::Format_YUV422P << QSize(177, 9) << false;
    QTest::newRow("YUYV, odd width") << QVideoFrameFormat::Format_YUYV << QSize(641, 480) << false;
    QTest::newRow("NV12, odd height") << QVideoFrameFormat::Format_NV12 << QSize(640, 481) << false;
    QTest::newRow("I420, even") << QVideoFrameFormat::Format_YUV420P << QSize(642, 482) << true;
    QTest::newRow("RGB32, odd") << SyntheticCameraSource::kRgbFormat << QSize(641, 481) << true;
    QTest::newRow("grey, odd") << QVideoFrameFormat::Format_Y8 << QSize(641, 481) << true;
}

void CameraSourcesTest::unsafeFramesGiveNoPicture()
{
    QFETCH(QVideoFrameFormat::PixelFormat, format);
    QFETCH(QSize, size);
    QFETCH(bool, converted);
    QVideoFrame frame{QVideoFrameFormat(size, format)};
    QVERIFY(frame.map(QVideoFrame::WriteOnly));
    for (int plane = 0; plane < frame.planeCount(); ++plane)
        std::memset(frame.bits(plane), 0x80, size_t(frame.mappedBytes(plane)));
    frame.unmap();
    QCOMPARE(stillImage(frame).size(), converted ? size : QSize(0, 0));
    QCOMPARE(previewImage(frame, QSize(320, 240)).isNull(), !converted);
}

void CameraSourcesTest::previewPlace_data()
{
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QRect>("place");
    QTest::newRow("4:3 fills") << QSize(640, 480) << QRect(0, 0, 320, 240);
    QTest::newRow("16:9 letterboxed") << QSize(1280, 720) << QRect(0, 30, 320, 180);
    QTest::newRow("small is enlarged") << QSize(160, 120) << QRect(0, 0, 320, 240);
    QTest::newRow("upright") << QSize(480, 640) << QRect(70, 0, 180, 240);
    QTest::newRow("empty") << QSize(0, 0) << QRect();
}

void CameraSourcesTest::previewPlace()
{
    QFETCH(QSize, frame);
    QFETCH(QRect, place);
    QCOMPARE(::previewPlace(frame, QSize(320, 240)), place);
}

void CameraSourcesTest::pacerKeepsAQuarterOfACore_data()
{
    QTest::addColumn<qint64>("tookNs");
    QTest::addColumn<qint64>("askedAtNs");
    QTest::addColumn<int>("delayMs");
    constexpr qint64 ms = 1'000'000;
    // A 1280 x 720 frame (about 4 ms) allows the next 16 ms after the first began: every
    // frame of a 30 fps camera.
    QTest::newRow("720p, next frame") << 4 * ms << 33 * ms << 0;
    QTest::newRow("720p, right after") << 4 * ms << 5 * ms << 11;
    // A 4K frame (about 25 ms) waits until 100 ms have passed.
    QTest::newRow("4K, next frame") << 25 * ms << 33 * ms << 67;
    QTest::newRow("4K, after 100 ms") << 25 * ms << 100 * ms << 0;
    QTest::newRow("rounds up") << 25 * ms << 99 * ms + 1 << 1;
}

void CameraSourcesTest::pacerKeepsAQuarterOfACore()
{
    QFETCH(qint64, tookNs);
    QFETCH(qint64, askedAtNs);
    QFETCH(int, delayMs);
    PreviewPacer pacer;
    QCOMPARE(pacer.delayMs(0), 0);
    pacer.converted(0, tookNs);
    QCOMPARE(pacer.delayMs(askedAtNs), delayMs);
}

REGISTER_TEST(CameraSourcesTest);
#include "tst_CameraSources.moc"
