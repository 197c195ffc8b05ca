#include "raster/JpegCodec.h"

#include "raster/ExifOrientation.h"
#include "raster/JpegHalves.h"
#include "raster/JpegScanData.h"
#include "raster/JpegSymbolCounts.h"
#include "raster/LargeImage.h"
#include "raster/LoadBudget.h"
#include "raster/Palette.h"
#include "raster/RasterBitmap.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include <jpeglib.h>
// after jpeglib.h, which they need; jpegint.h for the entropy coder's methods, which the
// encoder's passes take over
#include <jerror.h>
#include <jpegint.h>

// libjpeg reports fatal errors through error_exit, which must not return; it jumps back
// to the setjmp of the step that called into the library. Those steps keep only trivial
// locals, so the jump skips no destructor, and every struct is destroyed by its owner.

namespace {

// Real progressive files have about ten scans; thousands of tiny hostile scans would
// each cost a pass over the whole coefficient buffer.
constexpr int kMaxScans = 100;
// Quality at which chroma is stored at full resolution.
constexpr int kFullChromaQuality = 90;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool endOfFile = false;
};

[[noreturn]] void jumpOut(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void discardMessage(j_common_ptr) {}

// The library only warns when the data ends early and pads the rest with zeros. Running
// out of bytes is harmless while the decoder merely reads ahead, as in a file that lacks
// only its end marker; a photo whose coded data then falls short is damaged, and fails
// like an error. Arithmetic decoding pads without a word, so there the end of the file
// alone counts as damage.
void failOnEarlyEnd(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    auto& errors = *reinterpret_cast<ErrorManager*>(cinfo->err);
    const int code = cinfo->err->msg_code;
    if (code == JWRN_JPEG_EOF) {
        errors.endOfFile = true;
        if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->arith_code)
            jumpOut(cinfo);
        return;
    }
    if (code == JWRN_HIT_MARKER && errors.endOfFile)
        jumpOut(cinfo);
}

void installErrorManager(ErrorManager& errors)
{
    jpeg_std_error(&errors.base);
    errors.base.error_exit = jumpOut;
    errors.base.emit_message = failOnEarlyEnd;
    errors.base.output_message = discardMessage;
}

// Where the coded scans begin, once the header is read.
struct Progress {
    jpeg_progress_mgr base;
    const JOCTET* scanStart = nullptr;
};

// Besides the scan count, the rows put out so far must have come from enough coded
// bytes: data padded inside a scan, after a tiny arithmetic-coded picture, passes any
// check of the file's size before decoding.
void limitWork(j_common_ptr cinfo)
{
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans)
        jumpOut(cinfo);
    const auto* progress = reinterpret_cast<const Progress*>(d->progress);
    if (!progress->scanStart)
        return;
    // A little slack for the rows decoded ahead of the bytes that the reader has counted.
    constexpr std::int64_t kSlackBytes = 1024;
    const std::int64_t consumed = d->src->next_input_byte - progress->scanStart;
    if (std::int64_t(d->output_scanline) * d->output_width >
        raster::kMaxPixelsPerInputByte * (consumed + kSlackBytes))
        jumpOut(cinfo);
}

struct Decompressor {
    Decompressor()
    {
        installErrorManager(errors);
        cinfo.err = &errors.base;
        progress.base.progress_monitor = limitWork;
    }
    ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    Progress progress{};
};

bool readHeader(Decompressor& d, const unsigned char* data, unsigned long size)
{
    if (setjmp(d.errors.jump))
        return false;
    jpeg_create_decompress(&d.cinfo);
    d.cinfo.progress = &d.progress.base;
    jpeg_mem_src(&d.cinfo, data, size);
    jpeg_read_header(&d.cinfo, TRUE);
    d.progress.scanStart = d.cinfo.src->next_input_byte;
    switch (d.cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        d.cinfo.out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        d.cinfo.out_color_space = JCS_CMYK;
        break;
    default:
        d.cinfo.out_color_space = JCS_RGB;
        break;
    }
    // The same settings as the library's own command-line decoder.
    d.cinfo.dct_method = JDCT_ISLOW;
    d.cinfo.do_fancy_upsampling = TRUE;
    jpeg_calc_output_dimensions(&d.cinfo);
    return true;
}

// Decodes straight into the rows of the target image.
bool readRows(Decompressor& d, JSAMPROW* rows)
{
    if (setjmp(d.errors.jump))
        return false;
    jpeg_start_decompress(&d.cinfo);
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const JDIMENSION line = d.cinfo.output_scanline;
        if (jpeg_read_scanlines(&d.cinfo, rows + line, d.cinfo.output_height - line) == 0)
            return false;
    }
    return true;
}

inline uchar timesOver255(unsigned a, unsigned b)
{
    return uchar((a * b + 127) / 255);
}

// Photoshop stores CMYK inverted (255 = no ink) and flags that with its Adobe marker.
void cmykToRgb(const JSAMPLE* in, uchar* out, JDIMENSION width, bool inverted)
{
    const unsigned flip = inverted ? 0 : 255;
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned k = in[3] ^ flip;
        out[0] = timesOver255(in[0] ^ flip, k);
        out[1] = timesOver255(in[1] ^ flip, k);
        out[2] = timesOver255(in[2] ^ flip, k);
    }
}

// Decodes CMYK a few rows at a time into a library-owned buffer and converts to RGB.
bool readCmykRows(Decompressor& d, uchar* bits, qsizetype bytesPerLine)
{
    if (setjmp(d.errors.jump))
        return false;
    jpeg_start_decompress(&d.cinfo);
    const JDIMENSION batch = JDIMENSION(d.cinfo.rec_outbuf_height);
    JSAMPARRAY buffer = (*d.cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d.cinfo),
                                                     JPOOL_IMAGE, d.cinfo.output_width * 4, batch);
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const JDIMENSION first = d.cinfo.output_scanline;
        const JDIMENSION count = jpeg_read_scanlines(&d.cinfo, buffer, batch);
        if (count == 0)
            return false;
        for (JDIMENSION i = 0; i < count; ++i)
            cmykToRgb(buffer[i], bits + (first + i) * bytesPerLine, d.cinfo.output_width,
                      d.cinfo.saw_Adobe_marker);
    }
    return true;
}

bool decodeInto(Decompressor& d, QImage& image)
{
    if (d.cinfo.out_color_space == JCS_CMYK)
        return readCmykRows(d, image.bits(), image.bytesPerLine());
    std::vector<JSAMPROW> rows(size_t(image.height()));
    for (int y = 0; y < image.height(); ++y)
        rows[size_t(y)] = image.scanLine(y);
    return readRows(d, rows.data());
}

} // namespace

QImage decodeJpeg(QByteArrayView data)
{
    if (data.isEmpty())
        return {};
    Decompressor d;
    if (!readHeader(d, reinterpret_cast<const unsigned char*>(data.data()),
                    static_cast<unsigned long>(data.size())))
        return {};
    const std::int64_t width = d.cinfo.output_width;
    const std::int64_t height = d.cinfo.output_height;
    // Any complete JPEG needs at least a bit per 8 × 8 block, well within the ratio cap.
    // Only the coded scans count: comment and application segments can be any length.
    if (!raster::dimensionsAllowed(width, height) ||
        width * height > raster::kMaxPixelsPerInputByte * entropyCodedBytes(data))
        return {};
    const bool grey = d.cinfo.out_color_space == JCS_GRAYSCALE;
    const QImage::Format format = grey ? QImage::Format_Indexed8 : QImage::Format_RGB888;
    const int orientation = exifOrientation(data);
    // Turning the picture upright takes a second copy of it. What remains of the budget
    // is libjpeg's: a progressive file keeps every coefficient of the picture at once,
    // and the library refuses one whose coefficients do not fit.
    const std::int64_t pictureCost =
        raster::imageBytes(width, height, format) * (orientation == 1 ? 1 : 2);
    if (pictureCost >= raster::kMaxLoadBytes)
        return {};
    d.cinfo.mem->max_memory_to_use = long(raster::kMaxLoadBytes - pictureCost);
    QImage image = raster::allocateImage(int(width), int(height), format);
    if (image.isNull())
        return {};
    if (grey)
        image.setColorTable(greyColorTable());
    if (!decodeInto(d, image))
        return {};
    return uprightImage(image, orientation);
}

namespace {

// Growing malloc'ed output buffer; libjpeg cannot take one that throws.
struct MemoryDestination {
    jpeg_destination_mgr base{};
    std::unique_ptr<unsigned char, decltype(&std::free)> buffer{nullptr, &std::free};
    size_t capacity = 0;
    size_t size = 0;
};

MemoryDestination& destinationOf(j_compress_ptr cinfo)
{
    return *reinterpret_cast<MemoryDestination*>(cinfo->dest);
}

void startDestination(j_compress_ptr cinfo)
{
    MemoryDestination& dest = destinationOf(cinfo);
    dest.base.next_output_byte = dest.buffer.get();
    dest.base.free_in_buffer = dest.capacity;
}

boolean growDestination(j_compress_ptr cinfo)
{
    MemoryDestination& dest = destinationOf(cinfo);
    const size_t grown = dest.capacity * 2;
    auto* bigger = static_cast<unsigned char*>(std::realloc(dest.buffer.get(), grown));
    if (!bigger)
        jumpOut(reinterpret_cast<j_common_ptr>(cinfo));
    (void)dest.buffer.release();
    dest.buffer.reset(bigger);
    dest.base.next_output_byte = bigger + dest.capacity;
    dest.base.free_in_buffer = grown - dest.capacity;
    dest.capacity = grown;
    return TRUE;
}

void finishDestination(j_compress_ptr cinfo)
{
    MemoryDestination& dest = destinationOf(cinfo);
    dest.size = dest.capacity - dest.base.free_in_buffer;
}

struct Compressor {
    Compressor()
    {
        installErrorManager(errors);
        cinfo.err = &errors.base;
        destination.base.init_destination = startDestination;
        destination.base.empty_output_buffer = growDestination;
        destination.base.term_destination = finishDestination;
    }
    ~Compressor() { jpeg_destroy_compress(&cinfo); }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    jpeg_compress_struct cinfo{};
    ErrorManager errors{};
    MemoryDestination destination;
};

// libjpeg's builder of optimal Huffman tables: exported, though its declaration sits in a
// header the library keeps to itself. The same builder its optimize_coding uses, so the
// tables, and the file, come out the same.
extern "C" void jpeg_gen_optimal_table(j_compress_ptr cinfo, JHUFF_TBL* htbl, long freq[]);

constexpr int kTables = JpegSymbolCounts::kTables;

// The Huffman tables made for one picture, with the code length of each symbol.
struct HuffmanTables {
    std::array<JHUFF_TBL, kTables> dc{};
    std::array<JHUFF_TBL, kTables> ac{};
    std::array<JpegSymbolCounts::CodeLengths, kTables> dcLengths{};
    std::array<JpegSymbolCounts::CodeLengths, kTables> acLengths{};
};

JpegSymbolCounts::CodeLengths codeLengths(const JHUFF_TBL& table)
{
    JpegSymbolCounts::CodeLengths lengths{};
    std::size_t next = 0;
    for (int length = 1; length <= 16; ++length)
        for (int n = 0; n < table.bits[length] && next < std::size(table.huffval); ++n)
            lengths[table.huffval[next++]] = std::uint8_t(length);
    return lengths;
}

// Builds the tables the components of cinfo's scan use from the counts of its symbols.
bool makeOptimalTables(Compressor& c, const JpegSymbolCounts& counts, HuffmanTables& tables)
{
    if (setjmp(c.errors.jump))
        return false;
    for (int ci = 0; ci < c.cinfo.num_components; ++ci) {
        const jpeg_component_info& component = c.cinfo.comp_info[ci];
        for (const bool dc : {true, false}) {
            const auto index = std::size_t(dc ? component.dc_tbl_no : component.ac_tbl_no);
            if (index >= std::size_t(kTables))
                return false;
            JpegSymbolCounts::Frequencies frequencies = (dc ? counts.dc : counts.ac)[index];
            JHUFF_TBL& table = (dc ? tables.dc : tables.ac)[index];
            jpeg_gen_optimal_table(&c.cinfo, &table, frequencies.data());
            (dc ? tables.dcLengths : tables.acLengths)[index] = codeLengths(table);
        }
    }
    return true;
}

void setTables(j_compress_ptr cinfo, const HuffmanTables& tables)
{
    for (int ci = 0; ci < cinfo->num_components; ++ci) {
        const jpeg_component_info& component = cinfo->comp_info[ci];
        for (const bool dc : {true, false}) {
            const int index = dc ? component.dc_tbl_no : component.ac_tbl_no;
            JHUFF_TBL*& table =
                dc ? cinfo->dc_huff_tbl_ptrs[index] : cinfo->ac_huff_tbl_ptrs[index];
            if (!table)
                table = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(cinfo));
            *table = (dc ? tables.dc : tables.ac)[std::size_t(index)];
            table->sent_table = FALSE;
        }
    }
}

// Takes over methods of the entropy coder once the pass has started.
using EntropyHook = void (*)(j_compress_ptr cinfo);

// Codes the rows with libjpeg's standard tables, or with the given ones.
bool compress(Compressor& c, JSAMPROW* rows, int width, int height, int quality,
              const HuffmanTables* tables, EntropyHook hook)
{
    if (setjmp(c.errors.jump))
        return false;
    jpeg_create_compress(&c.cinfo);
    c.cinfo.dest = &c.destination.base;
    c.cinfo.image_width = JDIMENSION(width);
    c.cinfo.image_height = JDIMENSION(height);
    c.cinfo.input_components = 3;
    c.cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c.cinfo);
    jpeg_set_quality(&c.cinfo, quality, TRUE);
    if (quality >= kFullChromaQuality) {
        c.cinfo.comp_info[0].h_samp_factor = 1;
        c.cinfo.comp_info[0].v_samp_factor = 1;
    }
    c.cinfo.optimize_coding = FALSE;
    if (tables)
        setTables(&c.cinfo, *tables);
    jpeg_start_compress(&c.cinfo, TRUE);
    if (hook)
        hook(&c.cinfo);
    while (c.cinfo.next_scanline < c.cinfo.image_height) {
        const JDIMENSION line = c.cinfo.next_scanline;
        jpeg_write_scanlines(&c.cinfo, rows + line, c.cinfo.image_height - line);
    }
    jpeg_finish_compress(&c.cinfo);
    return true;
}

bool allocateDestination(MemoryDestination& destination, size_t capacity)
{
    destination.capacity = capacity;
    destination.buffer.reset(static_cast<unsigned char*>(std::malloc(capacity)));
    return bool(destination.buffer);
}

// The first pass: the rows go through colour conversion and the DCT, and the quantised
// blocks are counted instead of coded.
struct CountingPass {
    Compressor compressor;
    JpegSymbolCounts counts;
    bool countable = true;
    bool ok = false;

    static boolean countMcu(j_compress_ptr cinfo, JBLOCKROW* blocks)
    {
        auto& pass = *static_cast<CountingPass*>(cinfo->client_data);
        for (int b = 0; b < cinfo->blocks_in_MCU; ++b) {
            const int ci = cinfo->MCU_membership[b];
            const jpeg_component_info& component = *cinfo->cur_comp_info[ci];
            pass.countable &=
                pass.counts.addBlock(blocks[b][0], ci, component.dc_tbl_no, component.ac_tbl_no);
        }
        return TRUE;
    }
    static void leaveUncoded(j_compress_ptr) {}
    static void countInstead(j_compress_ptr cinfo)
    {
        cinfo->entropy->encode_mcu = countMcu;
        cinfo->entropy->finish_pass = leaveUncoded;
    }

    void run(JSAMPROW* rows, int width, int height, int quality)
    {
        // Only the markers are written.
        constexpr size_t kMarkerBytes = 4096;
        compressor.cinfo.client_data = this;
        ok = allocateDestination(compressor.destination, kMarkerBytes) &&
             compress(compressor, rows, width, height, quality, nullptr, countInstead) && countable;
    }
};

// The second pass, coding with the tables made from the counts. Rows coded below others
// on their own have their DC values shifted by the last ones above, so that their first
// differences come out as in one scan of the whole.
struct CodingPass {
    Compressor compressor;
    std::vector<int> dcShift;
    boolean (*encodeMcu)(j_compress_ptr, JBLOCKROW*) = nullptr;
    bool ok = false;

    static boolean encodeShifted(j_compress_ptr cinfo, JBLOCKROW* blocks)
    {
        auto& pass = *static_cast<CodingPass*>(cinfo->client_data);
        for (int b = 0; b < cinfo->blocks_in_MCU; ++b) {
            const auto ci = std::size_t(cinfo->MCU_membership[b]);
            if (ci < pass.dcShift.size())
                blocks[b][0][0] = JCOEF(blocks[b][0][0] - pass.dcShift[ci]);
        }
        return pass.encodeMcu(cinfo, blocks);
    }
    static void shiftDc(j_compress_ptr cinfo)
    {
        auto& pass = *static_cast<CodingPass*>(cinfo->client_data);
        pass.encodeMcu = cinfo->entropy->encode_mcu;
        cinfo->entropy->encode_mcu = encodeShifted;
    }

    void run(JSAMPROW* rows, int width, int height, int quality, const HuffmanTables& tables)
    {
        // About a byte a pixel at most for photos; pages never written are never touched.
        constexpr size_t kLeast = size_t(1) << 16;
        compressor.cinfo.client_data = this;
        ok = allocateDestination(compressor.destination,
                                 std::max(kLeast, size_t(width) * size_t(height))) &&
             compress(compressor, rows, width, height, quality, &tables,
                      dcShift.empty() ? nullptr : shiftDc);
    }
    QByteArrayView bytes() const
    {
        return {compressor.destination.buffer.get(), qsizetype(compressor.destination.size)};
    }
};

// Where the picture is cut for coding its halves side by side: on a row where every
// sampling starts a new block row, and never for pictures too small to gain from it.
int halfSplit(int height)
{
    constexpr int kBlockRows = 16;
    constexpr int kLeast = 256;
    if (height < kLeast)
        return height;
    return height / 2 / kBlockRows * kBlockRows;
}

// Runs second on a thread of its own while first runs here, or after first when no thread
// can be started.
void runSideBySide(const std::function<void()>& first, const std::function<void()>& second)
{
    std::jthread worker;
    try {
        worker = std::jthread(second);
    } catch (const std::system_error&) {
        first();
        second();
        return;
    }
    first();
}

} // namespace

QByteArray encodeJpeg(const QImage& image, int quality)
{
    if (image.isNull() || !raster::dimensionsAllowed(image.width(), image.height()))
        return {};
    const QImage rgb = image.format() == QImage::Format_RGB888
                           ? image
                           : image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        return {};
    const int width = rgb.width();
    const int height = rgb.height();
    std::vector<JSAMPROW> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[size_t(y)] = const_cast<JSAMPROW>(rgb.constScanLine(y)); // only read
    quality = std::clamp(quality, 1, 100);
    // Huffman tables made for the picture, as libjpeg's optimize_coding makes them, in two
    // passes that code it straight from its rows: libjpeg's own way stores the whole
    // picture's coefficients, and touching that much fresh memory costs more than the
    // DCT twice. Each pass does the upper and the lower half side by side.
    const int split = halfSplit(height);
    const bool halves = split < height;
    CountingPass upper;
    CountingPass lower;
    const auto countUpper = [&] { upper.run(rows.data(), width, split, quality); };
    if (halves)
        runSideBySide(countUpper,
                      [&] { lower.run(rows.data() + split, width, height - split, quality); });
    else
        countUpper();
    if (!upper.ok || (halves && !lower.ok))
        return {};
    JpegSymbolCounts whole = upper.counts;
    if (halves)
        whole.append(lower.counts);
    HuffmanTables tables;
    if (!makeOptimalTables(upper.compressor, whole, tables))
        return {};

    CodingPass top;
    const auto codeTop = [&] { top.run(rows.data(), width, split, quality, tables); };
    if (!halves) {
        codeTop();
        return top.ok ? top.bytes().toByteArray() : QByteArray();
    }
    CodingPass bottom;
    bottom.dcShift = upper.counts.lastDc;
    runSideBySide(codeTop,
                  [&] { bottom.run(rows.data() + split, width, height - split, quality, tables); });
    const std::int64_t topBits = upper.counts.codedBits(tables.dcLengths, tables.acLengths);
    const std::int64_t allBits = whole.codedBits(tables.dcLengths, tables.acLengths);
    if (!top.ok || !bottom.ok || topBits < 0 || allBits < topBits)
        return {};
    return joinJpegHalves(top.bytes(), topBits, bottom.bytes(), allBits - topBits, height);
}
