#include "TestRegistry.h"

#include "app/FileFilters.h"

#include <QTest>

class FileFiltersTest : public QObject {
    Q_OBJECT
private slots:
    void conversion_data();
    void conversion();
    void openFilter();
};

void FileFiltersTest::conversion_data()
{
    QTest::addColumn<QString>("paired");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one entry") << "Bitmaps (*.bmp)|*.bmp"
                               << "Bitmaps (*.bmp)";
    QTest::newRow("several patterns") << "All (*.gif;*.jpg)|*.gif;*.jpg|GIF (*.gif)|*.gif"
                                      << "All (*.gif *.jpg);;GIF (*.gif)";
    QTest::newRow("label without patterns") << "Pictures|*.png;*.jpg"
                                            << "Pictures (*.png *.jpg)";
    QTest::newRow("patterns come from the second half") << "Bitmaps (*.dib)|*.bmp"
                                                        << "Bitmaps (*.bmp)";
    QTest::newRow("dangling label dropped") << "GIF (*.gif)|*.gif|Broken"
                                            << "GIF (*.gif)";
}

void FileFiltersTest::conversion()
{
    QFETCH(QString, paired);
    QFETCH(QString, expected);
    QCOMPARE(qtFileFilter(paired), expected);
}

void FileFiltersTest::openFilter()
{
    const QStringList entries = photoOpenFilter().split(QStringLiteral(";;"));
    const QStringList expected{
        "All (*.gif *.jpg *.jpeg *.bmp *.ico *.emf *.wmf *.png *.webp *.tif *.tiff *.heic "
        "*.heif)",
        "CompuServe GIF Image (*.gif)",
        "JPEG Image File (*.jpg)",
        "JPEG Image File (*.jpeg)",
        "Bitmaps (*.bmp)",
        "Icons (*.ico)",
        "Enhanced Metafiles (*.emf)",
        "Metafiles (*.wmf)",
        "PNG Image (*.png)",
        "WebP Image (*.webp)",
        "TIFF Image (*.tif *.tiff)",
        "HEIF Image (*.heic *.heif)",
    };
    QCOMPARE(entries, expected);
}

REGISTER_TEST(FileFiltersTest);
#include "tst_FileFilters.moc"
