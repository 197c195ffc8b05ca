#include "raster/JpegHalves.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr unsigned char kMarker = 0xFF;
constexpr unsigned char kStartOfScan = 0xDA;
constexpr unsigned char kBaselineFrame = 0xC0;
constexpr unsigned char kProgressiveFrame = 0xC2;
constexpr qsizetype kEndMarkerSize = 2;

// Where a file's frame header and its scan data begin, found by walking its segments.
struct Layout {
    qsizetype frame = -1;
    qsizetype scan = -1;
};

Layout layoutOf(QByteArrayView jpeg)
{
    const auto byte = [&](qsizetype at) { return static_cast<unsigned char>(jpeg[at]); };
    Layout layout;
    if (jpeg.size() < 2 || byte(0) != kMarker || byte(1) != 0xD8)
        return layout;
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && byte(at) == kMarker) {
        const unsigned char marker = byte(at + 1);
        const qsizetype length = qsizetype(byte(at + 2)) << 8 | byte(at + 3);
        if (length < 2 || at + 2 + length > jpeg.size())
            return {};
        if (marker >= kBaselineFrame && marker <= kProgressiveFrame)
            layout.frame = at;
        at += 2 + length;
        if (marker == kStartOfScan) {
            layout.scan = at;
            return layout;
        }
    }
    return {};
}

// Writes bits as scan data, with the zero byte after every 0xFF that JPEG wants, into
// memory with room for twice the bytes given and two more.
class ScanWriter {
public:
    explicit ScanWriter(char* out) : m_start(out), m_out(out) {}

    // The first count bits of stuffed scan data; false when it holds fewer.
    bool append(QByteArrayView scan, qint64 count)
    {
        const char* in = scan.data();
        const char* const end = in + scan.size();
        if (m_count == 0) {
            // On a byte boundary whole bytes go across as they stand, stuffing and all.
            if (!copyBytes(in, end, count / 8))
                return false;
            count %= 8;
        }
        for (; count >= 8; count -= 8) {
            if (!readByte(in, end))
                return false;
            put(m_byte, 8);
        }
        if (count == 0)
            return true;
        if (!readByte(in, end))
            return false;
        put(m_byte >> (8 - count), int(count));
        return true;
    }

    // Fills the last byte with one bits; returns the bytes written.
    qsizetype finish()
    {
        if (m_count > 0)
            put((1u << (8 - m_count)) - 1, 8 - m_count);
        return m_out - m_start;
    }

private:
    bool copyBytes(const char*& in, const char* end, qint64 bytes)
    {
        while (bytes > 0) {
            const qint64 reach = std::min<qint64>(end - in, bytes);
            const auto* marker = static_cast<const char*>(std::memchr(in, kMarker, size_t(reach)));
            const qint64 plain = marker ? marker - in : reach;
            m_out = std::copy_n(in, plain, m_out);
            in += plain;
            bytes -= plain;
            if (bytes == 0)
                return true;
            if (!marker || end - in < 2 || in[1] != 0)
                return false;
            *m_out++ = in[0];
            *m_out++ = 0;
            in += 2;
            --bytes;
        }
        return true;
    }

    bool readByte(const char*& in, const char* end)
    {
        if (in >= end)
            return false;
        m_byte = static_cast<unsigned char>(*in++);
        if (m_byte != kMarker)
            return true;
        return in < end && *in++ == 0;
    }

    void put(unsigned bits, int count)
    {
        m_bits = (m_bits << count) | bits;
        m_count += count;
        if (m_count < 8)
            return;
        m_count -= 8;
        const auto byte = static_cast<unsigned char>(m_bits >> m_count);
        *m_out++ = static_cast<char>(byte);
        if (byte == kMarker)
            *m_out++ = 0;
    }

    char* const m_start;
    char* m_out;
    unsigned m_byte = 0;
    std::uint32_t m_bits = 0;
    int m_count = 0;
};

} // namespace

QByteArray joinJpegHalves(QByteArrayView upper, qint64 upperScanBits, QByteArrayView lower,
                          qint64 lowerScanBits, int height)
{
    const Layout top = layoutOf(upper);
    const Layout bottom = layoutOf(lower);
    constexpr qsizetype kHeightAt = 5;
    if (top.frame < 0 || top.scan < 0 || bottom.scan < 0 || upperScanBits < 0 ||
        lowerScanBits < 0 || height <= 0 || height > 0xFFFF || top.frame + kHeightAt + 2 > top.scan)
        return {};
    const qsizetype topLength = upper.size() - top.scan - kEndMarkerSize;
    const qsizetype bottomLength = lower.size() - bottom.scan - kEndMarkerSize;
    if (topLength < 0 || bottomLength < 0)
        return {};
    const QByteArrayView topScan = upper.sliced(top.scan, topLength);
    const QByteArrayView bottomScan = lower.sliced(bottom.scan, bottomLength);
    // Stuffing can at most double the scans' bytes, and the filled last byte one more.
    QByteArray joined(top.scan + 2 * (topLength + bottomLength + 1) + kEndMarkerSize,
                      Qt::Uninitialized);
    std::copy_n(upper.data(), top.scan, joined.data());
    joined[top.frame + kHeightAt] = char(height >> 8);
    joined[top.frame + kHeightAt + 1] = char(height & 0xFF);
    ScanWriter writer(joined.data() + top.scan);
    if (!writer.append(topScan, upperScanBits) || !writer.append(bottomScan, lowerScanBits))
        return {};
    const qsizetype end = top.scan + writer.finish();
    joined[end] = char(kMarker);
    joined[end + 1] = char(0xD9);
    joined.truncate(end + kEndMarkerSize);
    return joined;
}
