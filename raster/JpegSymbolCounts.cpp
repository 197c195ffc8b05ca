#include "raster/JpegSymbolCounts.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

constexpr int kDcCodeBits = JpegSymbolCounts::kDcCodeBits;
constexpr int kAcCodeBits = JpegSymbolCounts::kAcCodeBits;
constexpr int kBlockSize = 64;
constexpr unsigned kZeroRun = 0xF0;

// Differences of 8-bit samples' DC values take up to 11 bits.
constexpr std::array<unsigned char, 12> kDcSymbols = [] {
    std::array<unsigned char, 12> all{};
    for (unsigned size = 0; size < all.size(); ++size)
        all[size] = static_cast<unsigned char>(size);
    return all;
}();

// End of block, every run of up to 15 zeros before a value of 1 to 10 bits, and the run
// of sixteen zeros.
constexpr std::array<unsigned char, 162> kAcSymbols = [] {
    std::array<unsigned char, 162> all{};
    std::size_t next = 1; // 0: end of block
    for (unsigned run = 0; run < 16; ++run)
        for (unsigned size = 1; size <= 10; ++size)
            all[next++] = static_cast<unsigned char>(run << 4 | size);
    all[next] = static_cast<unsigned char>(kZeroRun);
    return all;
}();

// Where the entropy-coded data of the first scan begins, or -1.
qsizetype scanStart(QByteArrayView jpeg)
{
    const auto byte = [&](qsizetype at) { return static_cast<unsigned char>(jpeg[at]); };
    if (jpeg.size() < 2 || byte(0) != 0xFF || byte(1) != 0xD8)
        return -1;
    qsizetype at = 2;
    while (at + 4 <= jpeg.size()) {
        if (byte(at) != 0xFF)
            return -1;
        const unsigned marker = byte(at + 1);
        const qsizetype length = qsizetype(byte(at + 2)) << 8 | byte(at + 3);
        if (length < 2 || at + 2 + length > jpeg.size())
            return -1;
        at += 2 + length;
        if (marker == 0xDA)
            return at;
    }
    return -1;
}

// Reads the scan's bits with the stuffed zero bytes taken out. At the first marker the
// data ends; zero bits stand in after it, and whether any of them was used tells an
// early end.
class ScanBits {
public:
    ScanBits(const unsigned char* data, const unsigned char* end) : m_next(data), m_end(end) {}

    unsigned peek(int count)
    {
        if (m_count < 32)
            fill();
        return unsigned(m_bits >> (64 - count));
    }
    void skip(int count)
    {
        m_bits <<= count;
        m_count -= count;
    }
    bool overran() const { return m_count < m_padding; }

private:
    void fill()
    {
        while (m_count <= 56) {
            unsigned byte = 0;
            if (m_next < m_end && !(m_next[0] == 0xFF && (m_next + 1 == m_end || m_next[1] != 0))) {
                byte = *m_next;
                m_next += byte == 0xFF ? 2 : 1;
            } else {
                m_next = m_end;
                m_padding += 8;
            }
            m_bits |= std::uint64_t(byte) << (56 - m_count);
            m_count += 8;
        }
    }

    const unsigned char* m_next;
    const unsigned char* m_end;
    std::uint64_t m_bits = 0;
    int m_count = 0;
    int m_padding = 0;
};

// The bits a value takes, as the DC difference symbols count them.
unsigned valueSize(int value)
{
    unsigned size = 0;
    for (unsigned magnitude = unsigned(value < 0 ? -value : value); magnitude; magnitude >>= 1)
        ++size;
    return size;
}

// A coded value's extra bits: the top bit clear marks a negative value.
int codedValue(ScanBits& bits, int size)
{
    if (size == 0)
        return 0;
    const int raw = int(bits.peek(size));
    bits.skip(size);
    return raw < 1 << (size - 1) ? raw - (1 << size) + 1 : raw;
}

// Counts one block's symbols and adds its DC difference to dcValue.
bool countBlock(ScanBits& bits, JpegSymbolCounts::Frequencies& dc,
                JpegSymbolCounts::Frequencies& ac, int& dcValue)
{
    const unsigned dcSymbol = bits.peek(kDcCodeBits);
    if (dcSymbol >= kDcSymbols.size())
        return false;
    ++dc[dcSymbol];
    bits.skip(kDcCodeBits);
    dcValue += codedValue(bits, int(dcSymbol));
    for (int k = 1; k < kBlockSize;) {
        const unsigned code = bits.peek(kAcCodeBits);
        if (code >= kAcSymbols.size())
            return false;
        const unsigned symbol = kAcSymbols[code];
        ++ac[symbol];
        const int size = int(symbol & 15);
        bits.skip(kAcCodeBits + size);
        if (symbol == kZeroRun)
            k += 16;
        else if (size == 0)
            return true; // end of block
        else
            k += int(symbol >> 4) + 1;
        if (k > kBlockSize)
            return false;
    }
    return true;
}

} // namespace

const std::vector<unsigned char>& JpegSymbolCounts::dcSymbols()
{
    static const std::vector<unsigned char> symbols(kDcSymbols.begin(), kDcSymbols.end());
    return symbols;
}

const std::vector<unsigned char>& JpegSymbolCounts::acSymbols()
{
    static const std::vector<unsigned char> symbols(kAcSymbols.begin(), kAcSymbols.end());
    return symbols;
}

bool JpegSymbolCounts::count(QByteArrayView jpeg, const std::vector<Component>& components,
                             long mcus)
{
    const qsizetype start = scanStart(jpeg);
    if (start < 0)
        return false;
    for (const Component& component : components)
        if (component.dcTable < 0 || component.dcTable >= kTables || component.acTable < 0 ||
            component.acTable >= kTables)
            return false;
    const auto* data = reinterpret_cast<const unsigned char*>(jpeg.data());
    ScanBits bits(data + start, data + jpeg.size());
    firstDc.assign(components.size(), 0);
    lastDc.assign(components.size(), 0);
    for (long mcu = 0; mcu < mcus; ++mcu) {
        for (size_t ci = 0; ci < components.size(); ++ci) {
            const Component& component = components[ci];
            for (int block = 0; block < component.blocksPerMcu; ++block) {
                if (!countBlock(bits, dc[size_t(component.dcTable)], ac[size_t(component.acTable)],
                                lastDc[ci]))
                    return false;
                if (mcu == 0 && block == 0)
                    firstDc[ci] = lastDc[ci];
            }
        }
        if (bits.overran())
            return false;
    }
    return true;
}

void JpegSymbolCounts::append(const JpegSymbolCounts& below,
                              const std::vector<Component>& components)
{
    for (size_t table = 0; table < kTables; ++table) {
        for (size_t symbol = 0; symbol < dc[table].size(); ++symbol) {
            dc[table][symbol] += below.dc[table][symbol];
            ac[table][symbol] += below.ac[table][symbol];
        }
    }
    for (size_t ci = 0; ci < components.size() && ci < below.firstDc.size() && ci < lastDc.size();
         ++ci) {
        Frequencies& counts = dc[size_t(components[ci].dcTable)];
        --counts[valueSize(below.firstDc[ci])];
        ++counts[valueSize(below.firstDc[ci] - lastDc[ci])];
    }
    lastDc = below.lastDc;
}
