#include "RectTestSupport.h"
#include "TestRegistry.h"

#include "app/PhotoType.h"

#include <QTest>

class PhotoTypeTest : public QObject {
    Q_OBJECT
private slots:
    void fixedTypes_data();
    void fixedTypes();
    void customSizes_data();
    void customSizes();
    void otherIndexesAreRefused();
};

void PhotoTypeTest::fixedTypes_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("label");
    QTest::addColumn<Rect>("crop");
    QTest::addColumn<int>("marginX");
    QTest::addColumn<int>("marginY");
    QTest::addColumn<double>("aspect");
    // The frame keeps its top-left corner (10, 20) and takes the type's size.
    QTest::newRow("ID photo") << 0 << QStringLiteral("증명사진 - 2.5 * 3 Cm")
                              << Rect{10, 20, 260, 320} << 25 << 18 << 1.2;
    QTest::newRow("half business card") << 1 << QStringLiteral("반명함 사진 - 3 * 4 Cm")
                                        << Rect{10, 20, 310, 420} << 37 << 50 << 4.0 / 3;
    QTest::newRow("passport") << 2 << QStringLiteral("여권사진 - 3.5 * 4.5 Cm")
                              << Rect{10, 20, 360, 470} << 15 << 25 << 450.0 / 350;
    QTest::newRow("business card") << 3 << QStringLiteral("명함판 사진 - 5 * 7 Cm")
                                   << Rect{10, 20, 510, 720} << 125 << 150 << 1.4;
}

void PhotoTypeTest::fixedTypes()
{
    QFETCH(int, index);
    QFETCH(QString, label);
    QFETCH(Rect, crop);
    QFETCH(int, marginX);
    QFETCH(int, marginY);
    QFETCH(double, aspect);
    PhotoTypeState state;
    state.CustomSize = true;
    Rect cropRect{10, 20, 11, 21};
    QVERIFY(applyFixedPhotoType(state, cropRect, index));
    QVERIFY(updateAspectRatio(state));
    QCOMPARE(photoTypeLabel(state), label);
    QCOMPARE(cropRect, crop);
    QCOMPARE(state.TargetWidth, RectWidth(crop));
    QCOMPARE(state.TargetHeight, RectHeight(crop));
    QCOMPARE(state.MarginX, marginX);
    QCOMPARE(state.MarginY, marginY);
    QCOMPARE(double(state.AspectRatio), aspect);
    QVERIFY(!state.CustomSize);
}

void PhotoTypeTest::customSizes_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("sizeText");
    QTest::addColumn<int>("marginX");
    QTest::addColumn<int>("marginY");
    QTest::newRow("one decimal") << 250 << 300 << QStringLiteral("2.5 * 3 Cm") << 25 << 30;
    QTest::newRow("whole centimetres") << 200 << 200 << QStringLiteral("2 * 2 Cm") << 20 << 20;
    QTest::newRow("two decimals") << 333 << 405 << QStringLiteral("3.33 * 4.05 Cm") << 33 << 40;
    QTest::newRow("largest") << 999 << 799 << QStringLiteral("9.99 * 7.99 Cm") << 99 << 79;
    QTest::newRow("tenths only") << 310 << 790 << QStringLiteral("3.1 * 7.9 Cm") << 31 << 79;
}

void PhotoTypeTest::customSizes()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, sizeText);
    QFETCH(int, marginX);
    QFETCH(int, marginY);
    PhotoTypeState state;
    Rect cropRect{-5, 7, 0, 0};
    applyCustomPhotoType(state, cropRect, width, height);
    QVERIFY(state.CustomSize);
    QCOMPARE(photoTypeLabel(state), QStringLiteral("자유지정 - ") + sizeText);
    QCOMPARE(state.MarginX, marginX);
    QCOMPARE(state.MarginY, marginY);
    QCOMPARE(cropRect, (Rect{-5, 7, -5 + width, 7 + height}));
}

void PhotoTypeTest::otherIndexesAreRefused()
{
    for (int index : {-1, kCustomPhotoType, kPhotoTypeCount}) {
        PhotoTypeState state;
        Rect cropRect{1, 2, 3, 4};
        QVERIFY(!applyFixedPhotoType(state, cropRect, index));
        QCOMPARE(cropRect, (Rect{1, 2, 3, 4}));
        QCOMPARE(state.TargetWidth, 0);
    }
    PhotoTypeState empty;
    QVERIFY(!updateAspectRatio(empty));
}

REGISTER_TEST(PhotoTypeTest);
#include "tst_PhotoType.moc"
