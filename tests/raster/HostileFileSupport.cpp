#include "HostileFileSupport.h"

#include "ByteWriter.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <jpeglib.h>

namespace hostile {

namespace {

// Packs bits least significant first, as deflate, VP8L and GIF's LZW want them.
class BitWriter {
public:
    void put(quint64 value, int bits)
    {
        for (int i = 0; i < bits; ++i)
            putBit(int(value >> i) & 1);
    }
    // Huffman codes go most significant bit first.
    void putCode(quint32 code, int length)
    {
        for (int i = length - 1; i >= 0; --i)
            putBit(int(code >> i) & 1);
    }
    void putZeroBits(qint64 count)
    {
        for (; count > 0 && m_count != 0; --count)
            putBit(0);
        m_bytes.append(qsizetype(count / 8), '\0');
        for (count %= 8; count > 0; --count)
            putBit(0);
    }
    QByteArray finish()
    {
        if (m_count != 0)
            m_bytes.append(char(m_pending));
        m_pending = 0;
        m_count = 0;
        return m_bytes;
    }

private:
    void putBit(int bit)
    {
        m_pending |= uchar(bit << m_count);
        if (++m_count == 8) {
            m_bytes.append(char(m_pending));
            m_pending = 0;
            m_count = 0;
        }
    }

    QByteArray m_bytes;
    uchar m_pending = 0;
    int m_count = 0;
};

// One dynamic-Huffman block holding count zero bytes: a literal zero, then matches of 258
// at distance 1 coded in two bits each.
QByteArray deflateZeros(qint64 count)
{
    BitWriter bits;
    bits.put(1, 1); // final block
    bits.put(2, 2); // dynamic codes
    bits.put(286 - 257, 5);
    bits.put(1 - 1, 5);
    bits.put(18 - 4, 4);
    // Code-length code: 18 (a run of zeros) in one bit, lengths 1 and 2 in two.
    static constexpr int order[] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1};
    for (int symbol : order)
        bits.put(symbol == 18 ? 1 : symbol == 1 || symbol == 2 ? 2 : 0, 3);
    const auto lengthOne = [&bits] { bits.putCode(2, 2); };
    const auto lengthTwo = [&bits] { bits.putCode(3, 2); };
    const auto zeroRun = [&bits](int run) {
        bits.putCode(0, 1);
        bits.put(quint64(run - 11), 7);
    };
    // Literal/length code: 0 and 256 (end of block) in two bits, 285 (length 258) in one;
    // one distance code, 0 (distance 1), in one bit.
    lengthTwo();
    zeroRun(138);
    zeroRun(117);
    lengthTwo();
    zeroRun(28);
    lengthOne();
    lengthOne();
    if (count > 0) {
        bits.putCode(2, 2);
        --count;
    }
    bits.putZeroBits(2 * (count / 258));
    for (qint64 i = 0; i < count % 258; ++i)
        bits.putCode(2, 2);
    bits.putCode(3, 2);
    return bits.finish();
}

void appendPngChunk(QByteArray& out, const char* type, const QByteArray& data)
{
    ByteWriter(out, std::endian::big).u32(quint32(data.size()));
    const QByteArray typed = QByteArray(type) + data;
    out.append(typed);
    ByteWriter(out, std::endian::big).u32(crc32(typed));
}

void appendTiffEntry(QByteArray& out, int tag, int type, int count, quint32 value)
{
    ByteWriter(out).u16(tag);
    ByteWriter(out).u16(type);
    ByteWriter(out).u32(count);
    if (type == 3 && count == 1) { // a short, left-aligned in the value field
        ByteWriter(out).u16(int(value));
        ByteWriter(out).u16(0);
    } else {
        ByteWriter(out).u32(value);
    }
}

void appendJpegSegment(QByteArray& out, int marker, const QByteArray& body)
{
    out.append(char(0xFF)).append(char(marker));
    ByteWriter(out, std::endian::big).u16(int(body.size()) + 2);
    out.append(body);
}

// GIF's LZW for count pixels of index 0 under a 2-bit minimum code size. Each code
// after the first repeats one more pixel than the last, up to the full table, whose last
// code then repeats (no clear code), and a shorter code ends the picture.
QByteArray lzwOfZeros(qint64 count)
{
    constexpr int kClear = 4, kEnd = 5, kFirstFree = 6, kMaxCode = 4095;
    BitWriter bits;
    int width = 3, limit = 8, running = kFirstFree;
    const auto writeCode = [&](int code) {
        bits.put(quint64(code), width);
        // The decoder counts codes the same way to know when they widen.
        if (running < kMaxCode + 2 && ++running > limit && width < 12) {
            limit <<= 1;
            ++width;
        }
    };
    bits.put(kClear, width);
    // Code c (from 6 on) stands for c - 4 pixels once defined.
    qint64 length = 1;
    int last = 0;
    writeCode(0);
    --count;
    while (count > 0) {
        const qint64 next = std::min<qint64>(length + 1, kMaxCode - 4);
        if (count >= next) {
            last = int(next + 4);
            length = next;
        } else {
            last = count == 1 ? 0 : int(count + 4);
        }
        writeCode(last);
        count -= last == 0 ? 1 : last - 4;
    }
    writeCode(kEnd);
    const QByteArray packed = bits.finish();
    QByteArray blocks;
    for (qsizetype at = 0; at < packed.size(); at += 255) {
        const QByteArray block = packed.mid(at, 255);
        blocks.append(char(block.size())).append(block);
    }
    return blocks.append('\0');
}

void appendRgb(QByteArray& out, QRgb colour)
{
    out.append(char(qRed(colour))).append(char(qGreen(colour))).append(char(qBlue(colour)));
}

} // namespace

quint32 crc32(QByteArrayView bytes)
{
    static const auto table = [] {
        std::array<quint32, 256> entries{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
            entries[n] = c;
        }
        return entries;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (char c : bytes)
        crc = table[(crc ^ uchar(c)) & 0xff] ^ (crc >> 8);
    return ~crc;
}

QByteArray zlibZeros(qint64 count)
{
    QByteArray out("\x78\x01", 2);
    out.append(deflateZeros(count));
    // Adler-32 of zeros: the first sum stays 1, the second grows by 1 a byte.
    ByteWriter(out, std::endian::big).u32(quint32(count % 65521) << 16 | 1u);
    return out;
}

QByteArray pngOfZeros(int width, int height, int colourType, int depth)
{
    const int channels = colourType == 6 ? 4 : colourType == 2 ? 3 : 1;
    const qint64 rowBytes = 1 + qint64(width) * channels * depth / 8; // filter byte first
    QByteArray header;
    ByteWriter(header, std::endian::big).u32(quint32(width));
    ByteWriter(header, std::endian::big).u32(quint32(height));
    header.append(char(depth)).append(char(colourType)).append(3, '\0');
    QByteArray out("\x89PNG\r\n\x1a\n");
    appendPngChunk(out, "IHDR", header);
    appendPngChunk(out, "IDAT", zlibZeros(rowBytes * height));
    appendPngChunk(out, "IEND", {});
    return out;
}

QByteArray tiffOfZeros(int width, int height)
{
    constexpr int kEntries = 10;
    constexpr int kSamplesAt = 8 + 2 + kEntries * 12 + 4;
    constexpr int kStripAt = kSamplesAt + 6;
    const QByteArray strip = zlibZeros(qint64(width) * height * 3);
    QByteArray out("II*\0", 4);
    ByteWriter(out).u32(8);
    ByteWriter(out).u16(kEntries);
    appendTiffEntry(out, 256, 4, 1, quint32(width));
    appendTiffEntry(out, 257, 4, 1, quint32(height));
    appendTiffEntry(out, 258, 3, 3, kSamplesAt); // 8 bits a sample
    appendTiffEntry(out, 259, 3, 1, 8);          // deflate
    appendTiffEntry(out, 262, 3, 1, 2);          // RGB
    appendTiffEntry(out, 273, 4, 1, kStripAt);
    appendTiffEntry(out, 277, 3, 1, 3);
    appendTiffEntry(out, 278, 4, 1, quint32(height));
    appendTiffEntry(out, 279, 4, 1, quint32(strip.size()));
    appendTiffEntry(out, 284, 3, 1, 1); // samples interleaved
    ByteWriter(out).u32(0);
    for (int i = 0; i < 3; ++i)
        ByteWriter(out).u16(8);
    return out + strip;
}

QByteArray flatLosslessWebp(int width, int height, QRgb colour)
{
    BitWriter bits;
    bits.put(0x2f, 8);
    bits.put(quint64(width - 1), 14);
    bits.put(quint64(height - 1), 14);
    bits.put(qAlpha(colour) != 255 ? 1 : 0, 1);
    bits.put(0, 3); // version
    bits.put(0, 1); // no transform
    bits.put(0, 1); // no colour cache
    bits.put(0, 1); // no meta codes
    // Green, red, blue, alpha and distance codes of one symbol each: a pixel costs no bits.
    for (int symbol : {qGreen(colour), qRed(colour), qBlue(colour), qAlpha(colour), 0}) {
        bits.put(1, 1); // simple code
        bits.put(0, 1); // one symbol
        bits.put(1, 1); // of eight bits
        bits.put(quint64(symbol), 8);
    }
    QByteArray chunk = bits.finish();
    const qint64 chunkSize = chunk.size();
    if (chunk.size() % 2 != 0)
        chunk.append('\0');
    QByteArray out("RIFF");
    ByteWriter(out).u32(4 + 8 + chunk.size());
    out.append("WEBPVP8L");
    ByteWriter(out).u32(chunkSize);
    return out + chunk;
}

QByteArray flatJpeg(const JpegClaim& claim)
{
    QByteArray out("\xFF\xD8", 2);
    for (int left = claim.paddingBytes; left > 0;) {
        const int body = std::clamp(left - 4, 0, 65533);
        appendJpegSegment(out, 0xFE, QByteArray(body, 'x'));
        left -= body + 4;
    }
    appendJpegSegment(out, 0xDB, QByteArray(1, '\0') + QByteArray(64, '\1'));
    QByteArray frame(1, '\x08');
    ByteWriter(frame, std::endian::big).u16(claim.height);
    ByteWriter(frame, std::endian::big).u16(claim.width);
    frame.append(char(claim.components));
    for (int c = 1; c <= claim.components; ++c)
        frame.append(char(c)).append('\x11').append('\0');
    appendJpegSegment(out, claim.progressive ? 0xC2 : 0xC0, frame);
    // DC and AC tables with one one-bit code each: difference 0, end of block.
    QByteArray tables;
    for (char tableClass : {'\x00', '\x10'})
        tables.append(tableClass).append('\1').append(15, '\0').append('\0');
    appendJpegSegment(out, 0xC4, tables);
    QByteArray scan(1, char(claim.components));
    for (int c = 1; c <= claim.components; ++c)
        scan.append(char(c)).append('\0');
    scan.append('\0').append(claim.progressive ? '\0' : '\x3f').append('\0');
    appendJpegSegment(out, 0xDA, scan);
    const qint64 blocks = qint64((claim.width + 7) / 8) * ((claim.height + 7) / 8);
    const qint64 codedBits = blocks * claim.components * (claim.progressive ? 1 : 2);
    const qint64 codedBytes = (codedBits + 7) / 8;
    const qint64 kept = claim.scanBytes < 0 ? codedBytes : std::min(claim.scanBytes, codedBytes);
    out.append(qsizetype(kept), '\0');
    if (kept < codedBytes)
        return out;
    if (codedBits % 8 != 0) // the last byte is padded with one bits
        out[out.size() - 1] = char((1 << (8 - codedBits % 8)) - 1);
    return out.append("\xFF\xD9", 2);
}

QByteArray flatArithmeticJpeg(int width, int height, int paddingBytes)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors); // the settings are fixed: an error here is a bug
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    cinfo.arith_code = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    for (int left = paddingBytes; left > 0;) {
        const int body = std::clamp(left - 4, 0, 65533);
        const std::vector<JOCTET> comment(size_t(body), 'x');
        jpeg_write_marker(&cinfo, JPEG_COM, comment.data(), unsigned(body));
        left -= body + 4;
    }
    std::vector<JSAMPLE> row(size_t(width) * 3);
    for (size_t i = 0; i < row.size(); i += 3) {
        row[i] = 200;
        row[i + 1] = 120;
        row[i + 2] = 40;
    }
    JSAMPROW rows[] = {row.data()};
    while (cinfo.next_scanline < cinfo.image_height)
        jpeg_write_scanlines(&cinfo, rows, 1);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const std::unique_ptr<unsigned char, decltype(&std::free)> owned(buffer, &std::free);
    return QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size));
}

QByteArray flatGif(const GifClaim& claim)
{
    QByteArray out("GIF89a");
    ByteWriter(out).u16(claim.screenWidth);
    ByteWriter(out).u16(claim.screenHeight);
    out.append('\x80').append(char(1)).append('\0'); // two-entry map, background 1
    appendRgb(out, claim.colour);
    appendRgb(out, claim.background);
    if (claim.transparentBackground)
        out.append(QByteArray::fromHex("21f90401000001"
                                       "00"));
    out.append(',');
    ByteWriter(out).u16(0);
    ByteWriter(out).u16(0);
    ByteWriter(out).u16(claim.imageWidth);
    ByteWriter(out).u16(claim.imageHeight);
    out.append(claim.interlaced ? '\x40' : '\0');
    out.append('\2');
    out.append(lzwOfZeros(qint64(claim.imageWidth) * claim.imageHeight));
    return out.append(';');
}

} // namespace hostile
