#pragma once

#include <QByteArrayView>

#include <array>
#include <vector>

// How often each Huffman symbol occurs in the one interleaved baseline scan of a JPEG we
// encoded ourselves with flat tables: every DC code 4 bits long, every AC code 8 bits, the
// code being the symbol's place in the table. Counting is then reading fixed-width codes,
// much cheaper than a general decoder, and the counts are those an encoder gathers for
// optimal tables, since the symbols do not depend on the tables that code them.
class JpegSymbolCounts {
public:
    static constexpr int kTables = 4;
    // The flat tables' code lengths.
    static constexpr int kDcCodeBits = 4;
    static constexpr int kAcCodeBits = 8;
    // Indexed by symbol, with the one spare entry libjpeg's table builder wants.
    using Frequencies = std::array<long, 257>;
    // One component of the scan, in scan order.
    struct Component {
        int blocksPerMcu = 1;
        int dcTable = 0;
        int acTable = 0;
    };

    // The flat tables' symbols in code order.
    static const std::vector<unsigned char>& dcSymbols();
    static const std::vector<unsigned char>& acSymbols();

    // Counts the symbols of mcus MCUs of the scan in jpeg; false when the data ends early,
    // has no scan, or holds a code the flat tables do not have.
    bool count(QByteArrayView jpeg, const std::vector<Component>& components, long mcus);

    // Adds the counts of the rows coded on their own right below these: the first DC
    // value of each component there was coded against zero, not against the last one here.
    void append(const JpegSymbolCounts& below, const std::vector<Component>& components);

    std::array<Frequencies, kTables> dc{};
    std::array<Frequencies, kTables> ac{};
    // Per component: the DC value of its first block and of its last.
    std::vector<int> firstDc;
    std::vector<int> lastDc;
};
