#include "raster/WmfCodec.h"

#include "raster/WmfPainterDevice.h"

#include <QElapsedTimer>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <memory>

#include <libwmf/api.h>

namespace {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr qsizetype kPlaceableBytes = 22;
constexpr qsizetype kHeaderBytes = 18;
constexpr qsizetype kRecordHeaderBytes = 6;
constexpr quint16 kEndOfFileRecord = 0x0000;
constexpr quint16 kSetWindowExtentRecord = 0x020C;
// A picture without a placeable header is sized by its window, in pixels at 96 dpi.
constexpr double kWindowUnitsPerInch = 96.0;
// libwmf can take very long over a hostile file; past this it counts as malformed.
constexpr qint64 kMaxPlayMilliseconds = 20'000;

quint16 read16(QByteArrayView data, qsizetype at)
{
    return qFromLittleEndian<quint16>(data.data() + at);
}

quint32 read32(QByteArrayView data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.data() + at);
}

qsizetype headerOffset(QByteArrayView data)
{
    return data.size() >= 4 && read32(data, 0) == kPlaceableKey ? kPlaceableBytes : 0;
}

struct CheckedMetafile {
    // What libwmf is handed: the metafile up to its end-of-file record, with the header's
    // file size and largest-record size set to what the records really are, since libwmf
    // sizes its buffers by them.
    QByteArray bytes;
    // The first window extent the records set; empty when none does.
    QSizeF window;
};

// Empty bytes when a record is shorter than its own header, runs past the data, or the
// end never comes.
CheckedMetafile checkedMetafile(QByteArrayView data)
{
    const qsizetype header = headerOffset(data);
    qsizetype at = header + kHeaderBytes;
    qint64 largestWords = 0;
    QSizeF window;
    for (qint64 records = 0; records < raster::kMaxMetafileRecords; ++records) {
        if (data.size() - at < kRecordHeaderBytes)
            return {};
        const qint64 words = read32(data, at);
        if (words * 2 < kRecordHeaderBytes || words * 2 > data.size() - at)
            return {};
        largestWords = std::max(largestWords, words);
        const quint16 function = read16(data, at + 4);
        if (function == kSetWindowExtentRecord && words >= 5 && window.isEmpty())
            window = QSizeF(std::abs(qFromLittleEndian<qint16>(data.data() + at + 8)),
                            std::abs(qFromLittleEndian<qint16>(data.data() + at + 6)));
        at += words * 2;
        if (function != kEndOfFileRecord)
            continue;
        QByteArray bytes = data.first(at).toByteArray();
        qToLittleEndian(quint32((at - header) / 2), bytes.data() + header + 6);
        qToLittleEndian(quint32(largestWords), bytes.data() + header + 12);
        return {bytes, window};
    }
    return {};
}

// A placeable header must give a frame and its units; without one the drawing's own
// extent is the frame.
bool placeableHeaderUsable(QByteArrayView data)
{
    if (headerOffset(data) == 0)
        return true;
    const auto side = [&](qsizetype from, qsizetype to) {
        return qFromLittleEndian<qint16>(data.data() + to) -
               qFromLittleEndian<qint16>(data.data() + from);
    };
    return side(6, 10) != 0 && side(8, 12) != 0 && read16(data, 14) != 0;
}

struct ApiDestroy {
    void operator()(wmfAPI* api) const { wmf_api_destroy(api); }
};
using Api = std::unique_ptr<wmfAPI, ApiDestroy>;

Api createApi()
{
    wmfAPI_Options options{};
    options.function = WmfPainterDevice::install;
    wmfAPI* api = nullptr;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None)
        return {};
    return Api(api);
}

int pastDeadline(void* context, float)
{
    return static_cast<QElapsedTimer*>(context)->hasExpired(kMaxPlayMilliseconds) ? 1 : 0;
}

// The picture's size in inches: the placeable header's frame, else the window the records
// set, else the drawing's extent in libwmf's units (points for small drawings, twips for
// large ones).
bool sizeInInches(wmfAPI* api, const QSizeF& window, double& width, double& height)
{
    float units[2] = {};
    if (wmf_size(api, &units[0], &units[1]) != wmf_E_None)
        return false;
    double perInch = 1440;
    if (api->File->placeable) {
        perInch = api->PlaceableMetaHeader.Inch;
    } else if (!window.isEmpty()) {
        units[0] = float(window.width());
        units[1] = float(window.height());
        perInch = kWindowUnitsPerInch;
    } else if (double(units[0]) * units[1] < 1024.0 * 1024.0) {
        perInch = 72;
    }
    width = std::abs(units[0]) / perInch;
    height = std::abs(units[1]) / perInch;
    return true;
}

QImage play(wmfAPI* api, CheckedMetafile& metafile, int maxSide)
{
    QByteArray& bytes = metafile.bytes;
    if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(bytes.data()), long(bytes.size())) !=
        wmf_E_None)
        return {};
    QElapsedTimer timer;
    timer.start();
    wmf_status_function(api, &timer, pastDeadline);
    wmfD_Rect extent{};
    if (wmf_scan(api, 0, &extent) != wmf_E_None)
        return {};
    const QRectF drawing(QPointF(extent.TL.x, extent.TL.y), QPointF(extent.BR.x, extent.BR.y));
    double width = 0;
    double height = 0;
    if (!sizeInInches(api, metafile.window, width, height) || !std::isfinite(drawing.width()) ||
        !std::isfinite(drawing.height()))
        return {};
    QImage canvas = raster::whiteCanvas(raster::metafilePixelSize(width, height, maxSide));
    WmfPainterDevice device;
    if (!device.begin(canvas, drawing))
        return {};
    device.attach(api);
    const wmf_error_t played = wmf_play(api, 0, &extent);
    WmfPainterDevice::detach(api);
    device.end();
    if (played != wmf_E_None)
        return {};
    return canvas.convertToFormat(QImage::Format_RGB888);
}

} // namespace

bool isWmf(QByteArrayView data)
{
    const qsizetype at = headerOffset(data);
    if (data.size() < at + kHeaderBytes)
        return false;
    const quint16 type = read16(data, at);
    const quint16 headerWords = read16(data, at + 2);
    const quint16 version = read16(data, at + 4);
    return (type == 1 || type == 2) && headerWords == kHeaderBytes / 2 &&
           (version == 0x0100 || version == 0x0300);
}

QImage decodeWmf(QByteArrayView data, int maxSide)
{
    if (data.size() > raster::kMaxMetafileBytes || !isWmf(data) || !placeableHeaderUsable(data))
        return {};
    CheckedMetafile metafile = checkedMetafile(data);
    if (metafile.bytes.isEmpty())
        return {};
    const Api api = createApi();
    return api ? play(api.get(), metafile, maxSide) : QImage();
}
