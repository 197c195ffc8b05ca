#include "raster/GifCodec.h"

#include "raster/ColorQuantizer.h"
#include "raster/LargeImage.h"
#include "raster/Palette.h"
#include "raster/RasterBitmap.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// ---- decoding ----

struct MemoryReader {
    const unsigned char* data;
    qsizetype size;
    qsizetype position;
};

int readFromMemory(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const qsizetype count = std::min<qsizetype>(length, reader->size - reader->position);
    if (count <= 0)
        return 0;
    std::memcpy(buffer, reader->data + reader->position, size_t(count));
    reader->position += count;
    return int(count);
}

struct DecoderCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using Decoder = std::unique_ptr<GifFileType, DecoderCloser>;

QList<QRgb> paletteOf(const ColorMapObject* map)
{
    if (!map || map->ColorCount <= 0)
        return greyColorTable();
    QList<QRgb> palette;
    const int count = std::min(map->ColorCount, 256);
    palette.resize(count);
    for (int i = 0; i < count; ++i)
        palette[i] = qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
    return palette;
}

// Advances to the first image descriptor, remembering the transparent index of a
// graphic control block that precedes it. Extensions are skipped block by block;
// every block consumes input, so the work is bounded by the data's length.
bool seekFirstImage(GifFileType* gif, int& transparentIndex)
{
    transparentIndex = -1;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return false;
        if (type == IMAGE_DESC_RECORD_TYPE)
            return DGifGetImageDesc(gif) != GIF_ERROR;
        if (type != EXTENSION_RECORD_TYPE)
            return false;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
            return false;
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] == 4) {
            GraphicsControlBlock control;
            if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                transparentIndex = control.TransparentColor;
        }
        while (block) {
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                return false;
        }
    }
}

// Row of the image that the n-th decoded line belongs to.
class RowOrder {
public:
    RowOrder(int height, bool interlaced) : m_height(height), m_interlaced(interlaced) {}

    int next()
    {
        if (!m_interlaced)
            return m_row++;
        static constexpr int start[] = {0, 4, 2, 1};
        static constexpr int step[] = {8, 8, 4, 2};
        while (m_pass < 4 && m_row >= m_height) {
            ++m_pass;
            if (m_pass < 4)
                m_row = start[m_pass];
        }
        const int row = m_row;
        if (m_pass < 4)
            m_row += step[m_pass];
        return row;
    }

private:
    int m_height;
    bool m_interlaced;
    int m_pass = 0;
    int m_row = 0;
};

// Decodes the image lines onto the screen, clipped. Stops as soon as every visible row
// has arrived, so a huge image over a small screen costs only what is shown.
bool composeImage(GifFileType* gif, QImage& screen, int paletteSize, int transparentIndex)
{
    const GifImageDesc& desc = gif->Image;
    const int left = desc.Left, top = desc.Top, width = desc.Width, height = desc.Height;
    if (width <= 0 || height <= 0)
        return false;
    const int visibleRows = std::clamp(screen.height() - top, 0, height);
    const int firstColumn = std::clamp(left, 0, screen.width());
    const int endColumn = std::clamp(left + width, 0, screen.width());
    std::vector<GifPixelType> line(static_cast<size_t>(width));
    RowOrder order(height, desc.Interlace);
    for (int received = 0; received < visibleRows;) {
        const int row = order.next();
        if (DGifGetLine(gif, line.data(), width) == GIF_ERROR)
            return false;
        if (row >= visibleRows)
            continue;
        ++received;
        uchar* out = screen.scanLine(top + row);
        for (int x = firstColumn; x < endColumn; ++x) {
            const int index = line[size_t(x - left)];
            // A transparent index beyond the map has no entry to mark: keep the background.
            if (index == transparentIndex && index >= paletteSize)
                continue;
            out[x] = uchar(index < paletteSize ? index : 0);
        }
    }
    return true;
}

// ---- encoding ----

int appendToArray(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

struct EncoderCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};
using Encoder = std::unique_ptr<GifFileType, EncoderCloser>;

struct MapFreer {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColorMap = std::unique_ptr<ColorMapObject, MapFreer>;

int highestIndex(const QImage& image)
{
    int highest = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        highest = std::max<int>(highest, *std::max_element(row, row + image.width()));
    }
    return highest;
}

// GIF colour maps hold a power of two entries; the map also covers every index used,
// so a short palette cannot make the file unreadable.
ColorMap colourMapFor(const QImage& image)
{
    const QList<QRgb> palette = image.colorTable();
    const int needed = std::max<int>(palette.size(), highestIndex(image) + 1);
    int count = 2;
    while (count < needed)
        count *= 2;
    std::vector<GifColorType> colours(size_t(count), GifColorType{0, 0, 0});
    for (int i = 0; i < std::min<int>(palette.size(), count); ++i)
        colours[size_t(i)] = {GifByteType(qRed(palette[i])), GifByteType(qGreen(palette[i])),
                              GifByteType(qBlue(palette[i]))};
    return ColorMap(GifMakeMapObject(count, colours.data()));
}

} // namespace

QImage decodeGif(QByteArrayView data)
{
    MemoryReader reader{reinterpret_cast<const unsigned char*>(data.data()), data.size(), 0};
    int error = 0;
    Decoder gif(DGifOpen(&reader, readFromMemory, &error));
    // A real screen is mostly covered by its first image, so the screen too must fit
    // what the file's bytes can decode to.
    if (!gif || !raster::dimensionsAllowed(gif->SWidth, gif->SHeight) ||
        qint64(gif->SWidth) * gif->SHeight > raster::kMaxPixelsPerInputByte * data.size())
        return {};
    int transparentIndex = -1;
    if (!seekFirstImage(gif.get(), transparentIndex))
        return {};
    // Rows of the image that fall off the screen are decoded all the same (an interlaced
    // one to its last pass), so the image is held to the same caps as the screen.
    const GifImageDesc& desc = gif->Image;
    if (!raster::dimensionsAllowed(desc.Width, desc.Height) ||
        qint64(desc.Width) * desc.Height > raster::kMaxPixelsPerInputByte * data.size())
        return {};

    QList<QRgb> palette = paletteOf(gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap);
    QImage screen = raster::allocateImage(gif->SWidth, gif->SHeight, QImage::Format_Indexed8);
    if (screen.isNull())
        return {};
    // The background index belongs to the global map; with a local map it means nothing.
    const int background = gif->Image.ColorMap == nullptr && gif->SBackGroundColor < palette.size()
                               ? gif->SBackGroundColor
                               : 0;
    // Transparent pixels keep the background's colour, and say that they are transparent.
    if (transparentIndex >= 0 && transparentIndex < palette.size())
        palette[transparentIndex] = qRgba(qRed(palette[background]), qGreen(palette[background]),
                                          qBlue(palette[background]), 0);
    screen.setColorTable(palette);
    screen.fill(uint(background));
    if (!composeImage(gif.get(), screen, int(palette.size()), transparentIndex))
        return {};
    return screen;
}

QByteArray encodeGif(const QImage& image)
{
    if (image.isNull() || image.width() > 0xFFFF || image.height() > 0xFFFF)
        return {};
    QImage indexed = image.format() == QImage::Format_Indexed8 ? image : quantizeTo8(image);
    if (indexed.format() != QImage::Format_Indexed8)
        return {};
    ColorMap map = colourMapFor(indexed);
    if (!map)
        return {};

    QByteArray out;
    int error = 0;
    Encoder gif(EGifOpen(&out, appendToArray, &error));
    if (!gif)
        return {};
    EGifSetGifVersion(gif.get(), true);
    if (EGifPutScreenDesc(gif.get(), indexed.width(), indexed.height(), map->BitsPerPixel, 0,
                          map.get()) == GIF_ERROR ||
        EGifPutImageDesc(gif.get(), 0, 0, indexed.width(), indexed.height(), false, nullptr) ==
            GIF_ERROR)
        return {};
    std::vector<GifPixelType> line(size_t(indexed.width()));
    for (int y = 0; y < indexed.height(); ++y) {
        std::memcpy(line.data(), indexed.constScanLine(y), line.size());
        if (EGifPutLine(gif.get(), line.data(), indexed.width()) == GIF_ERROR)
            return {};
    }
    // Closing writes the trailer; only then is the file complete.
    GifFileType* raw = gif.release();
    if (EGifCloseFile(raw, &error) == GIF_ERROR)
        return {};
    return out;
}
