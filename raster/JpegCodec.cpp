#include "raster/JpegCodec.h"

#include "raster/ExifOrientation.h"
#include "raster/JpegScanData.h"
#include "raster/JpegSymbolCounts.h"
#include "raster/LargeImage.h"
#include "raster/LoadBudget.h"
#include "raster/Palette.h"
#include "raster/RasterBitmap.h"

#include <algorithm>
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
// after jpeglib.h, which it needs
#include <jerror.h>

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

// Sets the table's codes: symbols by code length, as the file stores them.
using TableSetter = std::function<void(j_compress_ptr cinfo, JHUFF_TBL* table, bool dc, int index)>;

void setFlatTable(j_compress_ptr, JHUFF_TBL* table, bool dc, int)
{
    const std::vector<unsigned char>& symbols =
        dc ? JpegSymbolCounts::dcSymbols() : JpegSymbolCounts::acSymbols();
    std::fill(std::begin(table->bits), std::end(table->bits), UINT8(0));
    table->bits[dc ? JpegSymbolCounts::kDcCodeBits : JpegSymbolCounts::kAcCodeBits] =
        UINT8(symbols.size());
    std::copy(symbols.begin(), symbols.end(), table->huffval);
}

// Gives every table its components use the codes setTable makes.
void setTables(j_compress_ptr cinfo, const TableSetter& setTable)
{
    bool done[2][NUM_HUFF_TBLS]{};
    for (int ci = 0; ci < cinfo->num_components; ++ci) {
        const jpeg_component_info& component = cinfo->comp_info[ci];
        for (const bool dc : {true, false}) {
            const int index = dc ? component.dc_tbl_no : component.ac_tbl_no;
            if (done[dc][index])
                continue;
            done[dc][index] = true;
            JHUFF_TBL*& table =
                dc ? cinfo->dc_huff_tbl_ptrs[index] : cinfo->ac_huff_tbl_ptrs[index];
            if (!table)
                table = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(cinfo));
            setTable(cinfo, table, dc, index);
            table->sent_table = FALSE;
        }
    }
}

// The scan as the symbol count walks it: one MCU after another, each with the blocks of
// every component in turn.
std::vector<JpegSymbolCounts::Component> scanComponents(const jpeg_compress_struct& cinfo)
{
    std::vector<JpegSymbolCounts::Component> components;
    for (int ci = 0; ci < cinfo.num_components; ++ci) {
        const jpeg_component_info& component = cinfo.comp_info[ci];
        components.push_back({component.h_samp_factor * component.v_samp_factor,
                              component.dc_tbl_no, component.ac_tbl_no});
    }
    return components;
}

long mcuCount(const jpeg_compress_struct& cinfo)
{
    int widest = 1;
    int tallest = 1;
    for (int ci = 0; ci < cinfo.num_components; ++ci) {
        widest = std::max(widest, cinfo.comp_info[ci].h_samp_factor);
        tallest = std::max(tallest, cinfo.comp_info[ci].v_samp_factor);
    }
    const auto across = (long(cinfo.image_width) + 8 * widest - 1) / (8 * widest);
    const auto down = (long(cinfo.image_height) + 8 * tallest - 1) / (8 * tallest);
    return across * down;
}

bool compress(Compressor& c, JSAMPROW* rows, int width, int height, int quality,
              const TableSetter& setTable)
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
    setTables(&c.cinfo, setTable);
    jpeg_start_compress(&c.cinfo, TRUE);
    while (c.cinfo.next_scanline < c.cinfo.image_height) {
        const JDIMENSION line = c.cinfo.next_scanline;
        jpeg_write_scanlines(&c.cinfo, rows + line, c.cinfo.image_height - line);
    }
    jpeg_finish_compress(&c.cinfo);
    return true;
}

// Rows of a picture coded with flat tables, and the symbols counted.
struct FlatPass {
    Compressor compressor;
    JpegSymbolCounts counts;
    std::vector<JpegSymbolCounts::Component> components;
    bool ok = false;

    void run(JSAMPROW* rows, int width, int height, int quality)
    {
        MemoryDestination& destination = compressor.destination;
        // A start that fits most ID photos and sheets in one piece; it doubles when needed.
        destination.capacity = size_t(1) << 16;
        destination.buffer.reset(static_cast<unsigned char*>(std::malloc(destination.capacity)));
        if (!destination.buffer ||
            !compress(compressor, rows, width, height, quality, setFlatTable))
            return;
        components = scanComponents(compressor.cinfo);
        const QByteArrayView file(destination.buffer.get(), qsizetype(destination.size));
        ok = counts.count(file, components, mcuCount(compressor.cinfo));
    }
};

// Where the lower half of the first pass starts: on a row where every sampling starts a
// new block row, and never for pictures too small to gain from a second thread.
int flatPassSplit(int height)
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
    std::vector<JSAMPROW> rows(size_t(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y)
        rows[size_t(y)] = const_cast<JSAMPROW>(rgb.constScanLine(y)); // only read
    quality = std::clamp(quality, 1, 100);
    // Huffman tables made for the picture, in two passes that code it straight from its
    // rows: libjpeg's own way first stores the whole picture's coefficients, and touching
    // that much fresh memory costs more than coding the picture twice. The first pass
    // codes with flat tables, which make its symbols cheap to count, and codes the upper
    // and lower half side by side.
    const int split = flatPassSplit(rgb.height());
    FlatPass upper;
    FlatPass lower;
    const auto codeUpper = [&] { upper.run(rows.data(), rgb.width(), split, quality); };
    if (split < rgb.height())
        runSideBySide(codeUpper, [&] {
            lower.run(rows.data() + split, rgb.width(), rgb.height() - split, quality);
        });
    else
        codeUpper();
    if (!upper.ok || (split < rgb.height() && !lower.ok))
        return {};
    JpegSymbolCounts& counts = upper.counts;
    if (split < rgb.height())
        counts.append(lower.counts, upper.components);
    const TableSetter setOptimalTable = [&counts](j_compress_ptr cinfo, JHUFF_TBL* table, bool dc,
                                                  int index) {
        JpegSymbolCounts::Frequencies frequencies = (dc ? counts.dc : counts.ac)[size_t(index)];
        jpeg_gen_optimal_table(cinfo, table, frequencies.data());
    };
    // The second pass writes over the first one's memory, already in use.
    Compressor optimal;
    optimal.destination.buffer = std::move(upper.compressor.destination.buffer);
    optimal.destination.capacity = upper.compressor.destination.capacity;
    if (!compress(optimal, rows.data(), rgb.width(), rgb.height(), quality, setOptimalTable))
        return {};
    return QByteArray(reinterpret_cast<const char*>(optimal.destination.buffer.get()),
                      qsizetype(optimal.destination.size));
}
