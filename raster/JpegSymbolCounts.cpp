#include "raster/JpegSymbolCounts.h"

#include <bit>
#include <cstddef>

namespace {

constexpr int kBlockSize = 64;
constexpr int kMaxComponents = 10;
constexpr unsigned kEndOfBlock = 0x00;
constexpr unsigned kZeroRun = 0xF0;

// The zigzag place of each coefficient in natural order.
constexpr std::array<std::uint8_t, kBlockSize> kZigzagPlace = {
    0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42, 3,  8,  12, 17, 25, 30,
    41, 43, 9,  11, 18, 24, 31, 40, 44, 53, 10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38,
    46, 51, 55, 60, 21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63};

// And the natural place of each zigzag one.
constexpr std::array<std::uint8_t, kBlockSize> kNaturalPlace = [] {
    std::array<std::uint8_t, kBlockSize> natural{};
    for (std::size_t place = 0; place < kBlockSize; ++place)
        natural[kZigzagPlace[place]] = std::uint8_t(place);
    return natural;
}();

// The bits a value takes: the size half of its symbol.
unsigned valueSize(int value)
{
    return unsigned(std::bit_width(unsigned(value < 0 ? -value : value)));
}

} // namespace

bool JpegSymbolCounts::addBlock(const std::int16_t* coefficients, int component, int dcTable,
                                int acTable)
{
    if (component < 0 || component >= kMaxComponents || dcTable < 0 || dcTable >= kTables ||
        acTable < 0 || acTable >= kTables)
        return false;
    const auto ci = std::size_t(component);
    grow(ci + 1);
    const int dcValue = coefficients[0];
    if (!m_started[ci]) {
        m_started[ci] = true;
        m_dcTable[ci] = dcTable;
        firstDc[ci] = dcValue;
    }
    ++dc[std::size_t(dcTable)][valueSize(dcValue - lastDc[ci])];
    lastDc[ci] = dcValue;

    // The nonzero AC coefficients, as bits in zigzag order; most blocks have few.
    std::uint64_t nonzero = 0;
    for (std::size_t place = 1; place < kBlockSize; ++place)
        nonzero |= std::uint64_t(coefficients[place] != 0) << kZigzagPlace[place];
    Frequencies& counts = ac[std::size_t(acTable)];
    int last = 0;
    while (nonzero) {
        const int at = std::countr_zero(nonzero);
        nonzero &= nonzero - 1;
        unsigned run = unsigned(at - last - 1);
        for (; run > 15; run -= 16)
            ++counts[kZeroRun];
        ++counts[run << 4 | valueSize(coefficients[kNaturalPlace[std::size_t(at)]])];
        last = at;
    }
    if (last != kBlockSize - 1)
        ++counts[kEndOfBlock];
    return true;
}

void JpegSymbolCounts::append(const JpegSymbolCounts& below)
{
    for (std::size_t table = 0; table < kTables; ++table) {
        for (std::size_t symbol = 0; symbol < dc[table].size(); ++symbol) {
            dc[table][symbol] += below.dc[table][symbol];
            ac[table][symbol] += below.ac[table][symbol];
        }
    }
    grow(below.m_started.size());
    for (std::size_t ci = 0; ci < below.m_started.size(); ++ci) {
        if (!below.m_started[ci])
            continue;
        if (m_started[ci]) {
            Frequencies& counts = dc[std::size_t(below.m_dcTable[ci])];
            --counts[valueSize(below.firstDc[ci])];
            ++counts[valueSize(below.firstDc[ci] - lastDc[ci])];
        } else {
            m_started[ci] = true;
            m_dcTable[ci] = below.m_dcTable[ci];
            firstDc[ci] = below.firstDc[ci];
        }
        lastDc[ci] = below.lastDc[ci];
    }
}

void JpegSymbolCounts::grow(std::size_t components)
{
    if (components <= m_started.size())
        return;
    m_started.resize(components);
    m_dcTable.resize(components);
    firstDc.resize(components);
    lastDc.resize(components);
}

std::int64_t JpegSymbolCounts::codedBits(const std::array<CodeLengths, kTables>& dcLengths,
                                         const std::array<CodeLengths, kTables>& acLengths) const
{
    std::int64_t bits = 0;
    for (std::size_t table = 0; table < kTables; ++table) {
        for (unsigned symbol = 0; symbol < 256; ++symbol) {
            const long dcCount = dc[table][symbol];
            const long acCount = ac[table][symbol];
            if ((dcCount && !dcLengths[table][symbol]) || (acCount && !acLengths[table][symbol]))
                return -1;
            bits += std::int64_t(dcCount) * (dcLengths[table][symbol] + symbol);
            bits += std::int64_t(acCount) * (acLengths[table][symbol] + (symbol & 15));
        }
    }
    return bits;
}
