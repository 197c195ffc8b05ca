#include "raster/JpegScanData.h"

#include <cstring>

namespace {

constexpr uchar kMarker = 0xFF;
constexpr uchar kStartOfScan = 0xDA;
constexpr uchar kEndOfImage = 0xD9;

bool isRestart(uchar code)
{
    return code >= 0xD0 && code <= 0xD7;
}

// Position of the next 0xFF at or after at, or size.
qsizetype nextFF(const uchar* bytes, qsizetype at, qsizetype size)
{
    if (at >= size)
        return size;
    const void* found = std::memchr(bytes + at, kMarker, size_t(size - at));
    return found ? static_cast<const uchar*>(found) - bytes : size;
}

// The end of the scan data starting at at: the first marker that is neither a stuffed
// zero nor a restart.
qsizetype endOfScan(const uchar* bytes, qsizetype at, qsizetype size)
{
    for (at = nextFF(bytes, at, size); at + 1 < size; at = nextFF(bytes, at, size)) {
        const uchar code = bytes[at + 1];
        if (code != 0 && !isRestart(code))
            return at;
        at += 2;
    }
    return size;
}

} // namespace

qint64 entropyCodedBytes(QByteArrayView jpegData)
{
    const auto* bytes = reinterpret_cast<const uchar*>(jpegData.data());
    const qsizetype size = jpegData.size();
    qint64 total = 0;
    qsizetype at = 2; // after the start-of-image marker
    while (at + 1 < size) {
        // Stray bytes between segments are skipped, as the decoder skips them.
        if (bytes[at] != kMarker) {
            at = nextFF(bytes, at, size);
            continue;
        }
        const uchar code = bytes[at + 1];
        if (code == kMarker) { // fill byte
            ++at;
            continue;
        }
        at += 2;
        if (code == kEndOfImage)
            break;
        if (code == 0x01 || isRestart(code) || at + 2 > size)
            continue; // markers without a length
        const qsizetype length = bytes[at] << 8 | bytes[at + 1];
        at += length;
        if (code != kStartOfScan || at >= size)
            continue;
        const qsizetype end = endOfScan(bytes, at, size);
        total += end - at;
        at = end;
    }
    return total;
}
