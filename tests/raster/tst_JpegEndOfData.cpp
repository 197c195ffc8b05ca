#include "TestData.h"
#include "TestRegistry.h"

#include "raster/JpegCodec.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace test_data;

namespace {

// The same picture coded arithmetically, by the library's own transcoder; empty when the
// tool is missing.
QByteArray arithmeticCopy(const QByteArray& jpeg)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("jpegtran"));
    if (tool.isEmpty())
        return {};
    QProcess process;
    process.start(tool, {QStringLiteral("-arithmetic")});
    process.write(jpeg);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

} // namespace

// Where a file ends decides whether it loads: a file that lacks only its end marker still
// holds every pixel and loads as the whole file does; one whose coded data stops short is
// damaged and fails.
class JpegEndOfDataTest : public QObject {
    Q_OBJECT

private slots:
    void cutFiles_data()
    {
        QTest::addColumn<QByteArray>("full");
        QTest::addColumn<int>("keep"); // bytes kept: positive from the start, else dropped
        QTest::addColumn<bool>("loads");

        const QByteArray portrait = readTestData("portrait.jpg");
        const QByteArray progressive = readTestData("progressive.jpg");
        const QByteArray arithmetic = arithmeticCopy(portrait);

        QTest::newRow("baseline, whole") << portrait << 0 << true;
        QTest::newRow("baseline, no end marker") << portrait << -2 << true;
        QTest::newRow("baseline, last data bytes gone") << portrait << -6 << false;
        QTest::newRow("baseline, cut at two thirds")
            << portrait << int(portrait.size() * 2 / 3) << false;
        QTest::newRow("progressive, no end marker") << progressive << -2 << true;
        QTest::newRow("progressive, cut at two thirds")
            << progressive << int(progressive.size() * 2 / 3) << false;
        QTest::newRow("arithmetic, whole") << arithmetic << 0 << true;
        QTest::newRow("arithmetic, cut at two thirds")
            << arithmetic << int(arithmetic.size() * 2 / 3) << false;
        // After the rows: a data function that stops before its first row leaves QFETCH
        // without data, which aborts the whole run. A missing portrait has been named already.
        QVERIFY2(portrait.isEmpty() || !arithmetic.isEmpty(),
                 "jpegtran (libjpeg-turbo-progs) is needed");
    }

    void cutFiles()
    {
        QFETCH(QByteArray, full);
        QFETCH(int, keep);
        QFETCH(bool, loads);

        const QByteArray cut = keep > 0 ? full.left(keep) : full.chopped(-keep);
        const QImage image = decodeJpeg(cut);
        QCOMPARE(!image.isNull(), loads);
        if (loads)
            QCOMPARE(image, decodeJpeg(full));
    }
};

REGISTER_TEST(JpegEndOfDataTest);
#include "tst_JpegEndOfData.moc"
