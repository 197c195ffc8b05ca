#include "raster/EmfCodec.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdlib>
#include <memory>
#include <vector>

#include <emf2svg.h>

namespace {

constexpr quint32 kHeaderRecord = 1;
constexpr quint32 kEndOfFileRecord = 14;
constexpr quint32 kExtTextOutA = 83;
constexpr quint32 kExtTextOutW = 84;
// A text record's fixed part, and where in it the character count and options are.
constexpr qsizetype kTextRecordBytes = 76;
constexpr qsizetype kTextCharsAt = 44;
constexpr qsizetype kTextOptionsAt = 52;
constexpr quint32 kGlyphIndexOption = 0x10;
constexpr quint32 kSignature = 0x464D4520; // " EMF"
// The header up to and including the reference device's size in millimetres.
constexpr qsizetype kHeaderBytes = 88;
constexpr qsizetype kRecordHeaderBytes = 8;
// The frame is given in hundredths of a millimetre.
constexpr double kFrameUnitsPerInch = 2540.0;
// SVG larger than this is not handed to QtSvg; libemf2svg's text is a few times the
// size of the records it comes from.
constexpr size_t kMaxSvgBytes = size_t(256) << 20;

qint32 read32(QByteArrayView data, qsizetype at)
{
    return qFromLittleEndian<qint32>(data.data() + at);
}

// Text given as glyph indices is dropped: libemf2svg maps the indices through fontconfig
// and then shuts fontconfig down (FcFini) while Qt still uses it, which aborts the program.
void dropGlyphIndexText(char* record)
{
    const quint32 options = qFromLittleEndian<quint32>(record + kTextOptionsAt);
    if (!(options & kGlyphIndexOption))
        return;
    qToLittleEndian(options & ~kGlyphIndexOption, record + kTextOptionsAt);
    qToLittleEndian(quint32(0), record + kTextCharsAt);
}

// The bytes handed to libemf2svg: the metafile up to its end-of-file record, without
// glyph-index text. Empty when a record is shorter than its own header (or, for text, its
// fixed part) or not a whole number of words, runs past the data, or the end never comes.
QByteArray checkedMetafile(QByteArrayView data)
{
    std::vector<qsizetype> textRecords;
    qsizetype at = 0;
    for (qint64 records = 0; records < raster::kMaxMetafileRecords; ++records) {
        if (data.size() - at < kRecordHeaderBytes)
            return {};
        const quint32 type = quint32(read32(data, at));
        const qint64 bytes = quint32(read32(data, at + 4));
        if (bytes < kRecordHeaderBytes || bytes % 4 != 0 || bytes > data.size() - at)
            return {};
        if (type == kExtTextOutA || type == kExtTextOutW) {
            if (bytes < kTextRecordBytes)
                return {};
            textRecords.push_back(at);
        }
        at += bytes;
        if (type != kEndOfFileRecord)
            continue;
        QByteArray metafile = data.first(at).toByteArray();
        for (const qsizetype record : textRecords)
            dropGlyphIndexText(metafile.data() + record);
        return metafile;
    }
    return {};
}

// The frame's size in inches, from the header's frame rectangle (inclusive, in
// hundredths of a millimetre).
QSizeF frameInches(QByteArrayView data)
{
    const double width = double(read32(data, 32)) - read32(data, 24);
    const double height = double(read32(data, 36)) - read32(data, 28);
    return {width / kFrameUnitsPerInch, height / kFrameUnitsPerInch};
}

struct FreeSvg {
    void operator()(char* text) const { std::free(text); }
};

// libemf2svg writes the clip-path attribute twice on clipped arcs, pies and chords, and
// XML refuses a repeated attribute: the repeat goes.
QByteArray withoutRepeatedClipPath(const QByteArray& svg)
{
    static constexpr QByteArrayView kAttribute(" clip-path=\"");
    QByteArray out;
    out.reserve(svg.size());
    qsizetype copied = 0;
    qsizetype at = 0;
    while ((at = svg.indexOf(kAttribute, at)) >= 0) {
        const qsizetype tagEnd = svg.indexOf('>', at);
        if (tagEnd < 0)
            break;
        const qsizetype repeat = svg.indexOf(kAttribute, at + kAttribute.size());
        const qsizetype repeatEnd = repeat < 0 ? -1 : svg.indexOf('"', repeat + kAttribute.size());
        if (repeat >= 0 && repeatEnd >= 0 && repeatEnd < tagEnd) {
            out.append(svg.constData() + copied, repeat - copied);
            copied = repeatEnd + 1;
        }
        at = tagEnd;
    }
    out.append(svg.constData() + copied, svg.size() - copied);
    return out;
}

// The SVG text libemf2svg makes of the records, drawn to fit size; empty on failure.
QByteArray svgOf(QByteArray& metafile, QSize size)
{
    char emptyNamespace[] = "";
    generatorOptions options{};
    options.nameSpace = emptyNamespace;
    options.svgDelimiter = true;
    options.imgWidth = size.width();
    options.imgHeight = size.height();
    char* text = nullptr;
    size_t length = 0;
    const int converted =
        emf2svg(metafile.data(), size_t(metafile.size()), &text, &length, &options);
    const std::unique_ptr<char, FreeSvg> owned(text);
    if (converted == 0 || !text || length == 0 || length > kMaxSvgBytes)
        return {};
    return withoutRepeatedClipPath(QByteArray::fromRawData(text, qsizetype(length)));
}

QImage rendered(const QByteArray& svg, QSize size)
{
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return {};
    QImage canvas = raster::whiteCanvas(size);
    if (canvas.isNull())
        return {};
    QPainter painter(&canvas);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    painter.end();
    return canvas.convertToFormat(QImage::Format_RGB888);
}

} // namespace

bool isEmf(QByteArrayView data)
{
    return data.size() >= kHeaderBytes && quint32(read32(data, 0)) == kHeaderRecord &&
           read32(data, 4) >= kHeaderBytes && quint32(read32(data, 40)) == kSignature;
}

QImage decodeEmf(QByteArrayView data, int maxSide)
{
    if (data.size() > raster::kMaxMetafileBytes || !isEmf(data))
        return {};
    const QSizeF inches = frameInches(data);
    const QSize size = raster::metafilePixelSize(inches.width(), inches.height(), maxSide);
    QByteArray metafile = checkedMetafile(data);
    if (size.isEmpty() || metafile.isEmpty())
        return {};
    const QByteArray svg = svgOf(metafile, size);
    return svg.isEmpty() ? QImage() : rendered(svg, size);
}
