#include "RectTestSupport.h"
#include "TestRegistry.h"

#include "common/Rect.h"

#include <QTest>

#include <limits>

namespace {
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
} // namespace

class RectTest : public QObject {
    Q_OBJECT

private slots:
    void widthAndHeight_data()
    {
        QTest::addColumn<Rect>("rect");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("normal") << Rect{0, 0, 10, 20} << 10 << 20;
        QTest::newRow("reversed is absolute") << Rect{10, 20, 0, 0} << 10 << 20;
        QTest::newRow("negative coordinates") << Rect{-5, -7, 5, 3} << 10 << 10;
        QTest::newRow("empty") << Rect{4, 4, 4, 4} << 0 << 0;
        QTest::newRow("full range saturates") << Rect{kMin, kMax, kMax, kMin} << kMax << kMax;
    }
    void widthAndHeight()
    {
        QFETCH(Rect, rect);
        QFETCH(int, width);
        QFETCH(int, height);
        QCOMPARE(RectWidth(rect), width);
        QCOMPARE(RectHeight(rect), height);
    }

    // Left and top edges belong to the rectangle, right and bottom do not.
    void contains_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("inside");
        QTest::newRow("top-left corner") << 10 << 20 << true;
        QTest::newRow("last pixel") << 29 << 39 << true;
        QTest::newRow("right edge") << 30 << 25 << false;
        QTest::newRow("bottom edge") << 15 << 40 << false;
        QTest::newRow("left of it") << 9 << 25 << false;
        QTest::newRow("above it") << 15 << 19 << false;
    }
    void contains()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(bool, inside);
        QCOMPARE(RectContains(Rect{10, 20, 30, 40}, x, y), inside);
        QVERIFY(!RectContains(Rect{30, 40, 10, 20}, x, y));
    }

    void normalize_data()
    {
        QTest::addColumn<Rect>("rect");
        QTest::addColumn<Rect>("expected");
        QTest::newRow("already normal") << Rect{1, 2, 3, 4} << Rect{1, 2, 3, 4};
        QTest::newRow("both swapped") << Rect{10, 20, 0, 0} << Rect{0, 0, 10, 20};
        QTest::newRow("only horizontal") << Rect{10, 0, 0, 20} << Rect{0, 0, 10, 20};
        QTest::newRow("only vertical") << Rect{0, 20, 10, 0} << Rect{0, 0, 10, 20};
        QTest::newRow("negative") << Rect{-1, -2, -30, -40} << Rect{-30, -40, -1, -2};
        QTest::newRow("empty") << Rect{5, 5, 5, 5} << Rect{5, 5, 5, 5};
    }
    void normalize()
    {
        QFETCH(Rect, rect);
        QFETCH(Rect, expected);
        NormalizeRect(rect);
        QCOMPARE(rect, expected);
    }

    void fitInto_data()
    {
        QTest::addColumn<Rect>("rect");
        QTest::addColumn<int>("maxWidth");
        QTest::addColumn<int>("maxHeight");
        QTest::addColumn<Rect>("expected");
        QTest::newRow("photo into workspace")
            << Rect{0, 0, 1600, 1200} << 716 << 506 << Rect{0, 0, 675, 506};
        QTest::newRow("fits: unchanged, never enlarged")
            << Rect{10, 10, 110, 60} << 200 << 200 << Rect{10, 10, 110, 60};
        QTest::newRow("exact fit") << Rect{0, 0, 716, 506} << 716 << 506 << Rect{0, 0, 716, 506};
        QTest::newRow("width limits, corner kept")
            << Rect{5, 7, 1005, 107} << 500 << 500 << Rect{5, 7, 505, 57};
        QTest::newRow("height limits")
            << Rect{0, 0, 300, 900} << 400 << 300 << Rect{0, 0, 100, 300};
        // Products landing on .5 round to the even neighbour.
        QTest::newRow("2.5 to 2") << Rect{0, 0, 5, 10} << 5 << 5 << Rect{0, 0, 2, 5};
        QTest::newRow("3.5 to 4") << Rect{0, 0, 7, 10} << 7 << 5 << Rect{0, 0, 4, 5};
        QTest::newRow("1.5 to 2") << Rect{0, 0, 10, 3} << 5 << 3 << Rect{0, 0, 5, 2};
        QTest::newRow("negative coordinates")
            << Rect{-100, -50, 100, 50} << 100 << 100 << Rect{-100, -50, 0, 0};
        QTest::newRow("zero width, zero limit")
            << Rect{3, 0, 3, 100} << 0 << 50 << Rect{3, 0, 3, 50};
        QTest::newRow("negative limit collapses")
            << Rect{0, 0, 100, 100} << -10 << 50 << Rect{0, 0, 0, 0};
    }
    void fitInto()
    {
        QFETCH(Rect, rect);
        QFETCH(int, maxWidth);
        QFETCH(int, maxHeight);
        QFETCH(Rect, expected);
        FitRectInto(rect, maxWidth, maxHeight);
        QCOMPARE(rect, expected);
    }

    void centerIn_data()
    {
        QTest::addColumn<Rect>("rect");
        QTest::addColumn<Rect>("outer");
        QTest::addColumn<Rect>("expected");
        QTest::newRow("odd gap: extra pixel on far side")
            << Rect{0, 0, 5, 5} << Rect{0, 0, 10, 10} << Rect{2, 2, 7, 7};
        QTest::newRow("position of r ignored")
            << Rect{100, 200, 103, 202} << Rect{0, 0, 10, 10} << Rect{3, 4, 6, 6};
        QTest::newRow("offset outer")
            << Rect{0, 0, 20, 10} << Rect{50, 60, 250, 160} << Rect{140, 105, 160, 115};
        // Truncation toward zero: the larger r sticks out one more pixel on the far side.
        QTest::newRow("larger than outer")
            << Rect{0, 0, 15, 13} << Rect{0, 0, 10, 10} << Rect{-2, -1, 13, 12};
        QTest::newRow("negative outer")
            << Rect{0, 0, 4, 6} << Rect{-20, -30, -10, -10} << Rect{-17, -23, -13, -17};
        QTest::newRow("larger, negative outer")
            << Rect{0, 0, 7, 0} << Rect{-10, -10, -6, -6} << Rect{-11, -8, -4, -8};
        QTest::newRow("preview box")
            << Rect{0, 0, 198, 149} << Rect{0, 0, 198, 199} << Rect{0, 25, 198, 174};
    }
    void centerIn()
    {
        QFETCH(Rect, rect);
        QFETCH(Rect, outer);
        QFETCH(Rect, expected);
        CenterRectIn(rect, outer);
        QCOMPARE(rect, expected);
    }
};

REGISTER_TEST(RectTest);
#include "tst_Rect.moc"
