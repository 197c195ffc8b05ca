#include "TestRegistry.h"

#include "common/MulDiv.h"

#include <QTest>

#include <limits>

namespace {
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
} // namespace

class MulDivTest : public QObject {
    Q_OBJECT

private slots:
    void mulDiv_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("c");
        QTest::addColumn<int>("expected");
        QTest::newRow("exact") << 10 << 10 << 4 << 25;
        QTest::newRow("zoom scale") << 1600 << 42 << 100 << 672;
        QTest::newRow("below half") << 7 << 1 << 3 << 2;
        QTest::newRow("above half") << 8 << 1 << 3 << 3;
        // Halves go away from zero whatever the signs.
        QTest::newRow("half up") << 250 << 33 << 100 << 83;
        QTest::newRow("+5/+2") << 5 << 1 << 2 << 3;
        QTest::newRow("-5/+2") << -5 << 1 << 2 << -3;
        QTest::newRow("+5/-2") << 5 << 1 << -2 << -3;
        QTest::newRow("-5/-2") << 5 << -1 << -2 << 3;
        QTest::newRow("-7/3") << -7 << 1 << 3 << -2;
        QTest::newRow("-8/3") << -8 << 1 << 3 << -3;
        QTest::newRow("zero product") << 0 << 12345 << 7 << 0;
        QTest::newRow("zero divisor") << 1 << 1 << 0 << -1;
        QTest::newRow("all zero") << 0 << 0 << 0 << -1;
        // The product needs 64 bits; the quotient fits again.
        QTest::newRow("64-bit product") << 100000 << 100000 << 100000 << 100000;
        QTest::newRow("max*max/max") << kMax << kMax << kMax << kMax;
        QTest::newRow("min*min/min") << kMin << kMin << kMin << kMin;
        QTest::newRow("max*2/2") << kMax << 2 << 2 << kMax;
        QTest::newRow("half of max") << kMax << 1 << 2 << 1073741824;
        QTest::newRow("half of -max") << -kMax << 1 << 2 << -1073741824;
        QTest::newRow("overflow up") << kMax << 2 << 1 << -1;
        QTest::newRow("overflow -min") << kMin << -1 << 1 << -1;
        // 65535 * 65537 = 2^32 - 1 and 641 * 6700417 = 2^32 + 1: the half decides.
        QTest::newRow("rounding overflows max") << 65535 << 65537 << 2 << -1;
        QTest::newRow("rounding reaches min") << -65535 << 65537 << 2 << kMin;
        QTest::newRow("rounding overflows min") << -641 << 6700417 << 2 << -1;
        QTest::newRow("min stays") << kMin << 1 << 1 << kMin;
    }
    void mulDiv()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(int, c);
        QFETCH(int, expected);
        QCOMPARE(MulDiv(a, b, c), expected);
    }
};

REGISTER_TEST(MulDivTest);
#include "tst_MulDiv.moc"
