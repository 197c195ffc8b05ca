#include "TestRegistry.h"

#include "PrintProbeSupport.h"
#include "app/PrintLayout.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QTest>
#include <QThread>

#include <cmath>

namespace {

constexpr int kRenderDpi = 300;

// The newest PDF in folder written after since, once it is complete (ends with %%EOF and
// stops growing); empty when none is complete before the deadline.
QString waitForPdf(const QString& folder, const QDateTime& since, QDeadlineTimer deadline)
{
    qint64 lastSize = -1;
    while (!deadline.hasExpired()) {
        const QFileInfoList pdfs =
            QDir(folder).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
        if (!pdfs.isEmpty() && pdfs.first().lastModified() >= since) {
            const QFileInfo& pdf = pdfs.first();
            QFile file(pdf.filePath());
            if (pdf.size() == lastSize && pdf.size() > 6 && file.open(QIODevice::ReadOnly)) {
                file.seek(std::max<qint64>(0, file.size() - 32));
                if (file.readAll().contains("%%EOF"))
                    return pdf.filePath();
            }
            lastSize = pdf.size();
        }
        QThread::msleep(500);
    }
    return {};
}

} // namespace

// Run by cups-print-test, which provides the queue (IDPHOTO_CUPS_QUEUE) and the folder its
// cups-pdf backend writes to (IDPHOTO_CUPS_OUT), and points CUPS_SERVER at its cupsd.
class CupsPrintTest : public QObject {
    Q_OBJECT

private slots:
    void sheetThroughQueue()
    {
        const QString queue = qEnvironmentVariable("IDPHOTO_CUPS_QUEUE");
        const QString outFolder = qEnvironmentVariable("IDPHOTO_CUPS_OUT");
        if (queue.isEmpty() || outFolder.isEmpty())
            QFAIL("run through cups-print-test, which sets up the CUPS queue");

        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(queue);
        QVERIFY2(printer.isValid(), "Qt does not see the test queue");
        QCOMPARE(printer.outputFormat(), QPrinter::NativeFormat);
        QCOMPARE(printer.printerName(), queue);
        printer.setDocName(QStringLiteral("idphoto sheet"));
        // Paper and margins are the printer's defaults, as with the print dialog untouched.
        const QPageLayout layout = printer.pageLayout();
        const QPointF printableTopLeft = layout.paintRect(QPageLayout::Millimeter).topLeft();
        const QSizeF paper = layout.fullRect(QPageLayout::Millimeter).size();
        qInfo("paper %s %.1f x %.1f mm, printable area from %.2f, %.2f mm",
              qPrintable(layout.pageSize().name()), paper.width(), paper.height(),
              printableTopLeft.x(), printableTopLeft.y());

        // File times may be coarser than the clock.
        const QDateTime printed = QDateTime::currentDateTime().addSecs(-2);
        QVERIFY(printSheetDocument(printer, probeSheet()));

        const QString pdf = waitForPdf(outFolder, printed, QDeadlineTimer(120000));
        QVERIFY2(!pdf.isEmpty(), "the queue wrote no PDF within two minutes");
        const QImage page = rasterisePdf(pdf, kRenderDpi);
        QVERIFY(!page.isNull());
        QVERIFY(std::abs(page.width() * 25.4 / kRenderDpi - paper.width()) < 1.0);
        QVERIFY(std::abs(page.height() * 25.4 / kRenderDpi - paper.height()) < 1.0);
        const QString mismatch = probeSheetMismatch(page, kRenderDpi, printableTopLeft);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }
};

REGISTER_TEST(CupsPrintTest);
#include "tst_CupsPrint.moc"
