#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// How often each Huffman symbol occurs in one interleaved baseline scan, gathered from
// the quantised blocks on their way to the entropy coder, as an encoder gathers them for
// optimal tables.
class JpegSymbolCounts {
public:
    static constexpr int kTables = 4;
    // Indexed by symbol, with the one spare entry libjpeg's table builder wants.
    using Frequencies = std::array<long, 257>;
    // A table's code length of each symbol, 0 for symbols it has no code for.
    using CodeLengths = std::array<std::uint8_t, 256>;

    // Counts one block of the scan: its 64 coefficients in natural (row by row) order,
    // of the scan's component at index component, coded with the given tables. False,
    // counting nothing, for a table or component out of range.
    bool addBlock(const std::int16_t* coefficients, int component, int dcTable, int acTable);

    // Adds the counts of the rows coded on their own right below these: the first DC
    // value of each component there was coded against zero, not against the last one here.
    void append(const JpegSymbolCounts& below);

    // Bits the counted symbols take when coded with these tables, their value bits
    // included; -1 when a counted symbol has no code.
    std::int64_t codedBits(const std::array<CodeLengths, kTables>& dcLengths,
                           const std::array<CodeLengths, kTables>& acLengths) const;

    std::array<Frequencies, kTables> dc{};
    std::array<Frequencies, kTables> ac{};
    // Per component: the DC value of its first block and of its last.
    std::vector<int> firstDc;
    std::vector<int> lastDc;

private:
    void grow(std::size_t components);

    std::vector<bool> m_started;
    std::vector<int> m_dcTable;
};
