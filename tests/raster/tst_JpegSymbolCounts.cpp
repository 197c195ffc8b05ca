#include "TestRegistry.h"
#include "raster/JpegCodec.h"
#include "raster/JpegHalves.h"
#include "raster/JpegSymbolCounts.h"

#include <QtTest>

#include <array>
#include <map>
#include <utility>
#include <vector>

using Coefficients = std::array<std::int16_t, 64>;
using SymbolCounts = std::map<int, long>;

Q_DECLARE_METATYPE(Coefficients)
Q_DECLARE_METATYPE(SymbolCounts)

namespace {

// A block from (natural index, value) pairs; the rest are zero.
Coefficients block(std::initializer_list<std::pair<int, int>> values)
{
    Coefficients coefficients{};
    for (const auto& [index, value] : values)
        coefficients[std::size_t(index)] = std::int16_t(value);
    return coefficients;
}

SymbolCounts nonzero(const JpegSymbolCounts::Frequencies& frequencies)
{
    SymbolCounts counts;
    for (std::size_t symbol = 0; symbol < frequencies.size(); ++symbol)
        if (frequencies[symbol])
            counts[int(symbol)] = frequencies[symbol];
    return counts;
}

} // namespace

class JpegSymbolCountsTest : public QObject {
    Q_OBJECT

private slots:
    // The AC symbols walk the coefficients in zigzag order: runs of zeros before each
    // value, sixteen-zero runs, and the end of block only when zeros remain.
    void acSymbols_data()
    {
        QTest::addColumn<Coefficients>("coefficients");
        QTest::addColumn<SymbolCounts>("expected");

        QTest::newRow("all zero: end of block") << block({}) << SymbolCounts{{0x00, 1}};
        // Natural index 8 is zigzag place 2: one zero before it.
        QTest::newRow("second in zigzag order, negative")
            << block({{8, -3}}) << SymbolCounts{{0x12, 1}, {0x00, 1}};
        QTest::newRow("first and second")
            << block({{1, 1}, {8, 2}}) << SymbolCounts{{0x01, 1}, {0x02, 1}, {0x00, 1}};
        // Natural index 41 is zigzag place 22: its 21 zeros are one sixteen-zero run and
        // a run of 5.
        QTest::newRow("run past sixteen")
            << block({{41, 5}}) << SymbolCounts{{0xF0, 1}, {0x53, 1}, {0x00, 1}};
        QTest::newRow("last coefficient set: no end of block")
            << block({{63, 1}}) << SymbolCounts{{0xF0, 3}, {0xE1, 1}};
        QTest::newRow("largest value") << block({{1, -1023}}) << SymbolCounts{{0x0A, 1}, {0x00, 1}};
    }

    void acSymbols()
    {
        QFETCH(Coefficients, coefficients);
        QFETCH(SymbolCounts, expected);
        JpegSymbolCounts counts;
        QVERIFY(counts.addBlock(coefficients.data(), 0, 0, 1));
        QCOMPARE(nonzero(counts.ac[1]), expected);
        QCOMPARE(nonzero(counts.ac[0]), SymbolCounts{});
    }

    // DC values are coded as differences from the component's last one; rows counted on
    // their own start from zero, which joining them corrects.
    void dcDifferencesAcrossAppend()
    {
        JpegSymbolCounts upper;
        JpegSymbolCounts lower;
        QVERIFY(upper.addBlock(block({{0, 100}}).data(), 0, 0, 0));
        QVERIFY(upper.addBlock(block({{0, 96}}).data(), 1, 1, 1));
        QVERIFY(upper.addBlock(block({{0, 101}}).data(), 0, 0, 0));
        QVERIFY(lower.addBlock(block({{0, 99}}).data(), 0, 0, 0));
        QVERIFY(lower.addBlock(block({{0, 96}}).data(), 1, 1, 1));
        upper.append(lower);
        // Component 0: 100 (size 7), +1 (1), -2 (2). Component 1: 96 (7), 0 (0).
        QCOMPARE(nonzero(upper.dc[0]), (SymbolCounts{{7, 1}, {1, 1}, {2, 1}}));
        QCOMPARE(nonzero(upper.dc[1]), (SymbolCounts{{7, 1}, {0, 1}}));
        QCOMPARE(upper.firstDc, (std::vector<int>{100, 96}));
        QCOMPARE(upper.lastDc, (std::vector<int>{99, 96}));
    }

    void codedBits()
    {
        JpegSymbolCounts counts;
        QVERIFY(counts.addBlock(block({{0, 3}, {1, -1}}).data(), 0, 0, 0));
        std::array<JpegSymbolCounts::CodeLengths, JpegSymbolCounts::kTables> dc{};
        std::array<JpegSymbolCounts::CodeLengths, JpegSymbolCounts::kTables> ac{};
        dc[0][2] = 3;
        ac[0][0x01] = 2;
        // The end of block has no code yet.
        QCOMPARE(counts.codedBits(dc, ac), std::int64_t(-1));
        ac[0][0x00] = 4;
        // DC: 3 + 2 value bits; AC: 2 + 1, end of block 4.
        QCOMPARE(counts.codedBits(dc, ac), std::int64_t(12));
    }

    void outOfRangeTablesRefused()
    {
        JpegSymbolCounts counts;
        const Coefficients zero{};
        QVERIFY(!counts.addBlock(zero.data(), 0, JpegSymbolCounts::kTables, 0));
        QVERIFY(!counts.addBlock(zero.data(), 0, 0, -1));
        QVERIFY(!counts.addBlock(zero.data(), -1, 0, 0));
        QVERIFY(counts.firstDc.empty());
    }

    // Halves that do not fit together give nothing rather than a broken file.
    void joinChecksItsHalves_data()
    {
        QTest::addColumn<QByteArray>("upper");
        QTest::addColumn<qint64>("upperBits");
        QTest::addColumn<bool>("fits");

        QImage image(16, 16, QImage::Format_RGB888);
        image.fill(Qt::gray);
        const QByteArray jpeg = encodeJpeg(image, 95);
        const qsizetype header = jpeg.indexOf("\xFF\xDA");
        const qsizetype scan =
            header + 2 + (uchar(jpeg[header + 2]) << 8 | uchar(jpeg[header + 3]));
        QByteArray marker = jpeg;
        marker.insert(scan, QByteArray("\xFF\x01", 2));

        QTest::newRow("fits") << jpeg << qint64(8) << true;
        QTest::newRow("not a JPEG") << QByteArray("plain text") << qint64(8) << false;
        QTest::newRow("more bits than the scan holds") << jpeg << qint64(1 << 24) << false;
        QTest::newRow("marker inside the scan") << marker << qint64(8) << false;
        QTest::newRow("cut inside its markers") << jpeg.left(header + 4) << qint64(0) << false;
    }

    void joinChecksItsHalves()
    {
        QFETCH(QByteArray, upper);
        QFETCH(qint64, upperBits);
        QFETCH(bool, fits);
        QImage image(16, 16, QImage::Format_RGB888);
        image.fill(Qt::gray);
        const QByteArray lower = encodeJpeg(image, 95);
        QCOMPARE(!joinJpegHalves(upper, upperBits, lower, 8, 32).isEmpty(), fits);
    }
};

REGISTER_TEST(JpegSymbolCountsTest);
#include "tst_JpegSymbolCounts.moc"
