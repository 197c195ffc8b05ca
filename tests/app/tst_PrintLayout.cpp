#include "RectTestSupport.h"
#include "TestRegistry.h"

#include "PrintProbeSupport.h"
#include "app/PrintLayout.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

constexpr int kRenderDpi = 300;

} // namespace

class PrintLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void millimetresToTwips_data()
    {
        QTest::addColumn<Rect>("millimetres");
        QTest::addColumn<Rect>("twips");
        QTest::newRow("the sheet") << Rect{0, 0, 152, 102} << Rect{0, 0, 8617, 5783};
        QTest::newRow("whole inches") << Rect{127, 254, 381, 0} << Rect{7200, 14400, 21600, 0};
        // 56.69 and 113.39: nearest, not truncated.
        QTest::newRow("small") << Rect{1, 2, 3, 4} << Rect{57, 113, 170, 227};
        QTest::newRow("negative") << Rect{-152, -102, -1, -2} << Rect{-8617, -5783, -57, -113};
    }
    void millimetresToTwips()
    {
        QFETCH(Rect, millimetres);
        QFETCH(Rect, twips);
        QCOMPARE(MillimetresToTwips(millimetres), twips);
    }

    void deviceRect_data()
    {
        QTest::addColumn<int>("dpiX");
        QTest::addColumn<int>("dpiY");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("600 dpi") << 600 << 600 << QRect(0, 0, 3590, 2410);
        QTest::newRow("1200 dpi") << 1200 << 1200 << QRect(0, 0, 7181, 4819);
        QTest::newRow("1440 dpi") << 1440 << 1440 << QRect(0, 0, 8617, 5783);
        QTest::newRow("300 x 600 dpi") << 300 << 600 << QRect(0, 0, 1795, 2410);
        QTest::newRow("72 dpi") << 72 << 72 << QRect(0, 0, 431, 289);
    }
    void deviceRect()
    {
        QFETCH(int, dpiX);
        QFETCH(int, dpiY);
        QFETCH(QRect, rect);
        QCOMPARE(sheetDeviceRect(dpiX, dpiY), rect);
    }

    // Prints to a PDF file through QPrinter and measures the sheet on the rendered page.
    void printedToPdf_data()
    {
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::addColumn<QPageLayout::Orientation>("orientation");
        QTest::addColumn<QMarginsF>("margins"); // millimetres; negative keeps the default
        QTest::addColumn<int>("resolution");    // 0 keeps the printer's own
        QTest::newRow("A4 portrait, default margins")
            << QPageSize::A4 << QPageLayout::Portrait << QMarginsF(-1, -1, -1, -1) << 0;
        QTest::newRow("Letter portrait, default margins")
            << QPageSize::Letter << QPageLayout::Portrait << QMarginsF(-1, -1, -1, -1) << 0;
        QTest::newRow("A4 landscape, wide uneven margins")
            << QPageSize::A4 << QPageLayout::Landscape << QMarginsF(31, 17, 5, 5) << 0;
        QTest::newRow("A5 landscape, no margins, 300 dpi")
            << QPageSize::A5 << QPageLayout::Landscape << QMarginsF(0, 0, 0, 0) << 300;
        QTest::newRow("Letter portrait, 96 dpi") << QPageSize::Letter << QPageLayout::Portrait
                                                 << QMarginsF(12.7, 25.4, 12.7, 12.7) << 96;
    }
    void printedToPdf()
    {
        QFETCH(QPageSize::PageSizeId, paper);
        QFETCH(QPageLayout::Orientation, orientation);
        QFETCH(QMarginsF, margins);
        QFETCH(int, resolution);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));

        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        if (resolution > 0)
            printer.setResolution(resolution);
        QVERIFY(printer.setPageSize(QPageSize(paper)));
        QVERIFY(printer.setPageOrientation(orientation));
        if (margins.left() >= 0)
            QVERIFY(printer.setPageMargins(margins, QPageLayout::Millimeter));
        const QPointF printableTopLeft =
            printer.pageLayout().paintRect(QPageLayout::Millimeter).topLeft();
        QVERIFY(printSheetDocument(printer, probeSheet()));

        const QImage page = rasterisePdf(pdf, kRenderDpi);
        QVERIFY(!page.isNull());
        const QSizeF pageMillimetres =
            printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
        QVERIFY(std::abs(page.width() * 25.4 / kRenderDpi - pageMillimetres.width()) < 0.5);
        QVERIFY(std::abs(page.height() * 25.4 / kRenderDpi - pageMillimetres.height()) < 0.5);
        const QString mismatch = probeSheetMismatch(page, kRenderDpi, printableTopLeft);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    void nothingToPrint()
    {
        QImage canvas(100, 100, QImage::Format_RGB32);
        QPainter painter(&canvas);
        QVERIFY(!PrintSheet(painter, RasterBitmap()));
    }
};

REGISTER_TEST(PrintLayoutTest);
#include "tst_PrintLayout.moc"
