#include "TestRegistry.h"

#include "app/SaveRules.h"

#include <QTest>

Q_DECLARE_METATYPE(SaveFormat)

class SaveRulesTest : public QObject {
    Q_OBJECT

private slots:
    void filterEntries_data()
    {
        QTest::addColumn<QString>("entryText");
        QTest::addColumn<int>("entry");
        QTest::newRow("jpeg") << "(JPG) Jpeg Files (*.jpg)" << 1;
        QTest::newRow("bmp") << "(BMP) Windows & OS2 (*.bmp)" << 2;
        QTest::newRow("pcx") << "(PCX) Pcx Files (*.pcx)" << 3;
        QTest::newRow("gif") << "(GIF) CompuServe GIF Files (*.gif)" << 4;
        QTest::newRow("unknown") << "All Files (*)" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void filterEntries()
    {
        QFETCH(QString, entryText);
        QFETCH(int, entry);
        QCOMPARE(saveFilterEntry(entryText), entry);
        if (entry > 0)
            QCOMPARE(saveDialogFilter().split(QStringLiteral(";;")).at(entry - 1), entryText);
    }

    void fileNames_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("jpeg after .jpeg") << 1 << "photo.jpeg"
                                          << "photo.jpeg.jpg";
        QTest::newRow("jpeg in mixed case kept") << 1 << "PHOTO.JpG"
                                                 << "PHOTO.JpG";
        QTest::newRow("jpeg without extension") << 1 << "/home/kim/photo"
                                                << "/home/kim/photo.jpg";
        QTest::newRow("bmp kept") << 2 << "sheet.BMP"
                                  << "sheet.BMP";
        QTest::newRow("bmp after jpg") << 2 << "sheet.jpg"
                                       << "sheet.jpg.bmp";
        QTest::newRow("pcx last extension counts") << 3 << "a.pcx.gif"
                                                   << "a.pcx.gif.pcx";
        QTest::newRow("pcx kept") << 3 << "a.gif.Pcx"
                                  << "a.gif.Pcx";
        QTest::newRow("gif dot in folder") << 4 << "/tmp/x.gif/photo"
                                           << "/tmp/x.gif/photo.gif";
        QTest::newRow("gif bare dot") << 4 << "photo."
                                      << "photo..gif";
        QTest::newRow("gif Korean name") << 4 << "증명사진.GIF"
                                         << "증명사진.GIF";
        QTest::newRow("gif extension only as name") << 4 << ".gif"
                                                    << ".gif";
    }
    void fileNames()
    {
        QFETCH(int, entry);
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        const std::optional<SaveRequest> request = saveRequestFor(entry, chosen, 24);
        QVERIFY(request.has_value());
        QCOMPARE(request->fileName, written);
    }

    void formatsAndDepths_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("pictureBits");
        QTest::addColumn<SaveFormat>("format");
        QTest::addColumn<int>("writtenBits");
        QTest::newRow("jpeg from 8") << 1 << 8 << SaveFormat::Jpeg << 24;
        QTest::newRow("jpeg from 24") << 1 << 24 << SaveFormat::Jpeg << 24;
        QTest::newRow("jpeg from 32") << 1 << 32 << SaveFormat::Jpeg << 24;
        QTest::newRow("bmp from 8") << 2 << 8 << SaveFormat::Bmp << 8;
        QTest::newRow("bmp from 24") << 2 << 24 << SaveFormat::Bmp << 24;
        QTest::newRow("bmp from 32") << 2 << 32 << SaveFormat::Bmp << 32;
        QTest::newRow("pcx from 8") << 3 << 8 << SaveFormat::Pcx << 8;
        QTest::newRow("pcx from 24") << 3 << 24 << SaveFormat::Pcx << 24;
        QTest::newRow("pcx from 32") << 3 << 32 << SaveFormat::Pcx << 24;
        QTest::newRow("gif from 8") << 4 << 8 << SaveFormat::Gif << 8;
        QTest::newRow("gif from 24") << 4 << 24 << SaveFormat::Gif << 8;
        QTest::newRow("gif from 32") << 4 << 32 << SaveFormat::Gif << 8;
    }
    void formatsAndDepths()
    {
        QFETCH(int, entry);
        QFETCH(int, pictureBits);
        QFETCH(SaveFormat, format);
        QFETCH(int, writtenBits);
        const std::optional<SaveRequest> request = saveRequestFor(entry, "x", pictureBits);
        QVERIFY(request.has_value());
        QCOMPARE(request->format, format);
        QCOMPARE(request->bitsPerPixel, writtenBits);
    }

    void unknownEntry_data()
    {
        QTest::addColumn<int>("entry");
        QTest::newRow("0") << 0;
        QTest::newRow("5") << 5;
        QTest::newRow("negative") << -1;
    }
    void unknownEntry()
    {
        QFETCH(int, entry);
        QVERIFY(!saveRequestFor(entry, "photo.jpg", 24).has_value());
    }
};

REGISTER_TEST(SaveRulesTest);
#include "tst_SaveRules.moc"
