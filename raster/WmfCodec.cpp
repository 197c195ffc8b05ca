#include "raster/WmfCodec.h"

#include "raster/RasterBitmap.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <numbers>

#include <libwmf/api.h>
#include <libwmf/defs.h>
#include <libwmf/ipa.h>
#include <libwmf/macro.h>

namespace {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr qsizetype kPlaceableBytes = 22;
constexpr qsizetype kHeaderBytes = 18;
constexpr qsizetype kRecordHeaderBytes = 6;
constexpr quint16 kEndOfFileRecord = 0x0000;
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

// The bytes handed to libwmf: the metafile up to its end-of-file record, with the
// header's file size and largest-record size set to what the records really are, since
// libwmf sizes its buffers by them. Empty when a record is shorter than its own header,
// runs past the data, or the end never comes.
QByteArray checkedMetafile(QByteArrayView data)
{
    const qsizetype header = headerOffset(data);
    qsizetype at = header + kHeaderBytes;
    qint64 largestWords = 0;
    for (qint64 records = 0; records < raster::kMaxMetafileRecords; ++records) {
        if (data.size() - at < kRecordHeaderBytes)
            return {};
        const qint64 words = read32(data, at);
        if (words * 2 < kRecordHeaderBytes || words * 2 > data.size() - at)
            return {};
        largestWords = std::max(largestWords, words);
        const quint16 function = read16(data, at + 4);
        at += words * 2;
        if (function != kEndOfFileRecord)
            continue;
        QByteArray bytes = data.first(at).toByteArray();
        qToLittleEndian(quint32((at - header) / 2), bytes.data() + header + 6);
        qToLittleEndian(quint32(largestWords), bytes.data() + header + 12);
        return bytes;
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

// ---- Drawing: a device layer for libwmf that paints with QPainter ------------------------

// What the device functions draw on. libwmf hands them coordinates in its own device
// units; the painter's transform maps the drawing's extent onto the picture.
struct Canvas {
    QImage image;
    QPainter painter;
};

Canvas* canvasOf(wmfAPI* api)
{
    return static_cast<Canvas*>(api->device_data);
}

QColor colourOf(const wmfRGB& rgb)
{
    return QColor(rgb.r, rgb.g, rgb.b);
}

QPointF pointOf(const wmfD_Coord& coord)
{
    return QPointF(coord.x, coord.y);
}

QRectF rectOf(const wmfD_Coord& topLeft, const wmfD_Coord& bottomRight)
{
    return QRectF(pointOf(topLeft), pointOf(bottomRight)).normalized();
}

QPen penOf(const wmfDC* dc)
{
    const wmfPen* pen = WMF_DC_PEN(dc);
    static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                               Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen};
    const unsigned style = WMF_PEN_STYLE(pen);
    QPen result(colourOf(*WMF_PEN_COLOR(pen)), std::max(0.0, WMF_PEN_WIDTH(pen)),
                style < std::size(kStyles) ? kStyles[style] : Qt::SolidLine);
    result.setCapStyle(WMF_PEN_ENDCAP(pen) == PS_ENDCAP_FLAT     ? Qt::FlatCap
                       : WMF_PEN_ENDCAP(pen) == PS_ENDCAP_SQUARE ? Qt::SquareCap
                                                                 : Qt::RoundCap);
    result.setJoinStyle(WMF_PEN_JOIN(pen) == PS_JOIN_BEVEL   ? Qt::BevelJoin
                        : WMF_PEN_JOIN(pen) == PS_JOIN_MITER ? Qt::MiterJoin
                                                             : Qt::RoundJoin);
    return result;
}

// Solid and hatched brushes as drawn; pattern brushes fall back to their colour.
QBrush brushOf(const wmfDC* dc)
{
    const wmfBrush* brush = WMF_DC_BRUSH(dc);
    const QColor colour = colourOf(*WMF_BRUSH_COLOR(brush));
    static constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                  Qt::BDiagPattern, Qt::FDiagPattern,
                                                  Qt::CrossPattern, Qt::DiagCrossPattern};
    switch (WMF_BRUSH_STYLE(brush)) {
    case BS_NULL:
        return Qt::NoBrush;
    case BS_HATCHED: {
        const unsigned hatch = WMF_BRUSH_HATCH(brush);
        return QBrush(colour, hatch < std::size(kHatches) ? kHatches[hatch] : Qt::SolidPattern);
    }
    default:
        return QBrush(colour);
    }
}

// Sets the painter up to fill with the DC's brush (when fill) and outline with its pen.
QPainter* prepared(wmfAPI* api, const wmfDC* dc, bool fill = true)
{
    Canvas* canvas = canvasOf(api);
    if (!canvas)
        return nullptr;
    canvas->painter.setPen(penOf(dc));
    canvas->painter.setBrush(fill ? brushOf(dc) : QBrush(Qt::NoBrush));
    return &canvas->painter;
}

// The angle in degrees, counter-clockwise on screen, of a point relative to the centre
// of an arc (device y grows downwards).
double angleOf(const wmfD_Coord& relative)
{
    return std::atan2(-relative.y, relative.x) * 180.0 / std::numbers::pi;
}

enum class ArcKind { Open, Chord, Pie };

void drawArc(wmfAPI* api, wmfDrawArc_t* arc, ArcKind kind)
{
    QPainter* painter = prepared(api, arc->dc, kind != ArcKind::Open);
    if (!painter)
        return;
    const QRectF rect = rectOf(arc->TL, arc->BR);
    const double start = angleOf(arc->start);
    double sweep = angleOf(arc->end) - start;
    if (sweep <= 0)
        sweep += 360;
    QPainterPath path;
    if (kind == ArcKind::Pie)
        path.moveTo(rect.center());
    else
        path.arcMoveTo(rect, start);
    path.arcTo(rect, start, sweep);
    if (kind != ArcKind::Open)
        path.closeSubpath();
    painter->drawPath(path);
}

void drawPie(wmfAPI* api, wmfDrawArc_t* arc)
{
    drawArc(api, arc, ArcKind::Pie);
}

void drawChord(wmfAPI* api, wmfDrawArc_t* arc)
{
    drawArc(api, arc, ArcKind::Chord);
}

void drawOpenArc(wmfAPI* api, wmfDrawArc_t* arc)
{
    drawArc(api, arc, ArcKind::Open);
}

void drawEllipse(wmfAPI* api, wmfDrawArc_t* arc)
{
    if (QPainter* painter = prepared(api, arc->dc))
        painter->drawEllipse(rectOf(arc->TL, arc->BR));
}

void drawLine(wmfAPI* api, wmfDrawLine_t* line)
{
    if (QPainter* painter = prepared(api, line->dc, false))
        painter->drawLine(pointOf(line->from), pointOf(line->to));
}

QPolygonF polygonOf(const wmfD_Coord* points, int count)
{
    QPolygonF polygon;
    polygon.reserve(count);
    for (int i = 0; i < count; ++i)
        polygon.append(pointOf(points[i]));
    return polygon;
}

Qt::FillRule fillRuleOf(const wmfDC* dc)
{
    return dc->polyfillmode == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
}

void drawPolyline(wmfAPI* api, wmfPolyLine_t* line)
{
    if (QPainter* painter = prepared(api, line->dc, false))
        painter->drawPolyline(polygonOf(line->pt, line->count));
}

void drawPolygon(wmfAPI* api, wmfPolyLine_t* line)
{
    if (QPainter* painter = prepared(api, line->dc))
        painter->drawPolygon(polygonOf(line->pt, line->count), fillRuleOf(line->dc));
}

void drawPolyPolygon(wmfAPI* api, wmfPolyPoly_t* polygons)
{
    QPainter* painter = prepared(api, polygons->dc);
    if (!painter)
        return;
    QPainterPath path;
    path.setFillRule(fillRuleOf(polygons->dc));
    for (int i = 0; i < polygons->npoly; ++i)
        path.addPolygon(polygonOf(polygons->pt[i], polygons->count[i]));
    path.closeSubpath();
    painter->drawPath(path);
}

void drawRectangle(wmfAPI* api, wmfDrawRectangle_t* rectangle)
{
    QPainter* painter = prepared(api, rectangle->dc);
    if (!painter)
        return;
    const QRectF rect = rectOf(rectangle->TL, rectangle->BR);
    if (rectangle->width > 0 && rectangle->height > 0)
        painter->drawRoundedRect(rect, rectangle->width / 2, rectangle->height / 2);
    else
        painter->drawRect(rect);
}

void drawPixel(wmfAPI* api, wmfDrawPixel_t* pixel)
{
    if (Canvas* canvas = canvasOf(api))
        canvas->painter.fillRect(
            QRectF(pointOf(pixel->pt), QSizeF(pixel->pixel_width, pixel->pixel_height)),
            colourOf(pixel->color));
}

// Pattern blits: the two constant ones as such, every other one as a fill with the brush.
void drawRop(wmfAPI* api, wmfROP_Draw_t* rop)
{
    constexpr U32 kBlackness = 0x00000042;
    constexpr U32 kWhiteness = 0x00FF0062;
    Canvas* canvas = canvasOf(api);
    if (!canvas)
        return;
    const QRectF rect = rectOf(rop->TL, rop->BR);
    if (rop->ROP == kBlackness || rop->ROP == kWhiteness)
        canvas->painter.fillRect(rect, rop->ROP == kBlackness ? Qt::black : Qt::white);
    else
        canvas->painter.fillRect(rect, brushOf(rop->dc));
}

// Refuses device-independent bitmaps whose header claims more pixels than their bytes
// can describe: libwmf would allocate the claimed size first.
bool bitmapPlausible(const wmfBMP_Read_t* read)
{
    constexpr long kCoreHeaderBytes = 12;
    constexpr long kInfoHeaderBytes = 16;
    if (!read->buffer || read->length < kInfoHeaderBytes)
        return false;
    const QByteArrayView data(read->buffer, qsizetype(read->length));
    const bool core = read32(data, 0) == kCoreHeaderBytes;
    const qint64 width = core ? read16(data, 4) : qFromLittleEndian<qint32>(data.data() + 4);
    const qint64 height = core ? read16(data, 6) : qFromLittleEndian<qint32>(data.data() + 8);
    const qint64 pixels = std::abs(width) * std::abs(height);
    return raster::dimensionsAllowed(std::abs(width), std::abs(height)) &&
           pixels <= qint64(read->length) * raster::kMaxPixelsPerInputByte;
}

void readBitmap(wmfAPI* api, wmfBMP_Read_t* read)
{
    if (bitmapPlausible(read))
        wmf_ipa_bmp_read(api, read);
}

void freeBitmap(wmfAPI* api, wmfBMP* bitmap)
{
    wmf_ipa_bmp_free(api, bitmap);
}

// The cropped part of a bitmap libwmf has read, as an upright picture: libwmf counts
// rows from the bottom, as device-independent bitmaps store them.
QImage croppedBitmap(wmfAPI* api, wmfBMP_Draw_t* draw)
{
    wmfBMP& bmp = draw->bmp;
    const QRect crop = QRect(draw->crop.x, draw->crop.y, draw->crop.w, draw->crop.h)
                           .intersected(QRect(0, 0, bmp.width, bmp.height));
    if (!bmp.data || crop.isEmpty())
        return {};
    QImage image(crop.size(), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (int y = 0; y < crop.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < crop.width(); ++x) {
            wmfRGB rgb{};
            wmf_ipa_bmp_color(api, &bmp, &rgb, unsigned(crop.x() + x), unsigned(crop.bottom() - y));
            line[x] = qRgb(rgb.r, rgb.g, rgb.b);
        }
    }
    return image;
}

void drawBitmap(wmfAPI* api, wmfBMP_Draw_t* draw)
{
    Canvas* canvas = canvasOf(api);
    if (!canvas)
        return;
    const QImage image = croppedBitmap(api, draw);
    if (image.isNull())
        return;
    const QPointF corner = pointOf(draw->pt);
    const QRectF target = QRectF(corner, QSizeF(draw->pixel_width * image.width(),
                                                draw->pixel_height * image.height()))
                              .normalized();
    canvas->painter.drawImage(target, image);
}

void drawText(wmfAPI* api, wmfDrawText_t* text)
{
    Canvas* canvas = canvasOf(api);
    const wmfFont* font = WMF_DC_FONT(text->dc);
    if (!canvas || !text->str || !font || !(text->font_height > 0))
        return;
    QFont qfont(QString::fromLatin1(WMF_FONT_NAME(font) ? WMF_FONT_NAME(font) : ""));
    qfont.setPixelSize(std::max(1, int(std::lround(std::min(text->font_height, 1e6)))));
    qfont.setBold(WMF_FONT_WEIGHT(font) >= 600);
    qfont.setItalic(WMF_FONT_ITALIC(font));
    qfont.setUnderline(WMF_TEXT_UNDERLINE(font));
    qfont.setStrikeOut(WMF_TEXT_STRIKEOUT(font));
    QPainter& painter = canvas->painter;
    painter.save();
    painter.translate(pointOf(text->pt));
    painter.rotate(-WMF_TEXT_ANGLE(font) * 180.0 / std::numbers::pi);
    painter.setFont(qfont);
    painter.setPen(colourOf(*WMF_DC_TEXTCOLOR(text->dc)));
    painter.drawText(QPointF(0, 0), QString::fromLatin1(text->str));
    painter.restore();
}

QRegion regionOf(const wmfPolyRectangle_t* rectangles)
{
    QRegion region;
    for (unsigned i = 0; i < rectangles->count; ++i)
        region += rectOf(rectangles->TL[i], rectangles->BR[i]).toAlignedRect();
    return region;
}

void paintRegion(wmfAPI* api, wmfPolyRectangle_t* rectangles)
{
    Canvas* canvas = canvasOf(api);
    if (!canvas)
        return;
    for (unsigned i = 0; i < rectangles->count; ++i)
        canvas->painter.fillRect(rectOf(rectangles->TL[i], rectangles->BR[i]),
                                 brushOf(rectangles->dc));
}

// A frame of the given thickness inside each rectangle.
void frameRegion(wmfAPI* api, wmfPolyRectangle_t* rectangles)
{
    Canvas* canvas = canvasOf(api);
    if (!canvas)
        return;
    const QBrush brush = brushOf(rectangles->dc);
    const double dx = rectangles->width;
    const double dy = rectangles->height;
    for (unsigned i = 0; i < rectangles->count; ++i) {
        const QRectF rect = rectOf(rectangles->TL[i], rectangles->BR[i]);
        QPainterPath frame;
        frame.addRect(rect);
        frame.addRect(rect.adjusted(dx, dy, -dx, -dy));
        canvas->painter.fillPath(frame, brush);
    }
}

// Clip regions are in device units, the same space the painter's transform maps.
void clipRegion(wmfAPI* api, wmfPolyRectangle_t* rectangles)
{
    Canvas* canvas = canvasOf(api);
    if (!canvas)
        return;
    if (rectangles->count == 0)
        canvas->painter.setClipping(false);
    else
        canvas->painter.setClipRegion(regionOf(rectangles));
}

// Device calls that have nothing to do here: the canvas exists before playing starts,
// flood fills are rare enough to leave undrawn, and no per-DC data is kept.
void ignoreDevice(wmfAPI*) {}
void ignoreFlood(wmfAPI*, wmfFlood_t*) {}
void ignoreUserData(wmfAPI*, wmfUserData_t*) {}

void installDevice(wmfAPI* api)
{
    auto* device = static_cast<wmfFunctionReference*>(api->function_reference);
    *device = wmfFunctionReference{};
    device->device_open = ignoreDevice;
    device->device_close = ignoreDevice;
    device->device_begin = ignoreDevice;
    device->device_end = ignoreDevice;
    device->flood_interior = ignoreFlood;
    device->flood_exterior = ignoreFlood;
    device->draw_pixel = drawPixel;
    device->draw_pie = drawPie;
    device->draw_chord = drawChord;
    device->draw_arc = drawOpenArc;
    device->draw_ellipse = drawEllipse;
    device->draw_line = drawLine;
    device->poly_line = drawPolyline;
    device->draw_polygon = drawPolygon;
    device->draw_polypolygon = drawPolyPolygon;
    device->draw_rectangle = drawRectangle;
    device->rop_draw = drawRop;
    device->bmp_draw = drawBitmap;
    device->bmp_read = readBitmap;
    device->bmp_free = freeBitmap;
    device->draw_text = drawText;
    device->udata_init = ignoreUserData;
    device->udata_copy = ignoreUserData;
    device->udata_set = ignoreUserData;
    device->udata_free = ignoreUserData;
    device->region_frame = frameRegion;
    device->region_paint = paintRegion;
    device->region_clip = clipRegion;
    api->device_data = nullptr;
}

// ---- Playing ---------------------------------------------------------------------------

struct ApiDestroy {
    void operator()(wmfAPI* api) const { wmf_api_destroy(api); }
};
using Api = std::unique_ptr<wmfAPI, ApiDestroy>;

Api createApi()
{
    wmfAPI_Options options{};
    options.function = installDevice;
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

// The drawing's size in inches. Without a placeable header libwmf measures in its own
// units, which it takes as points for small drawings and twips for large ones.
bool sizeInInches(wmfAPI* api, double& width, double& height)
{
    float units[2] = {};
    if (wmf_size(api, &units[0], &units[1]) != wmf_E_None)
        return false;
    double perInch = 1440;
    if (api->File->placeable)
        perInch = api->PlaceableMetaHeader.Inch;
    else if (double(units[0]) * units[1] < 1024.0 * 1024.0)
        perInch = 72;
    width = std::abs(units[0]) / perInch;
    height = std::abs(units[1]) / perInch;
    return true;
}

QImage play(wmfAPI* api, QByteArray& bytes, int maxSide)
{
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
    if (!sizeInInches(api, width, height) || !(drawing.width() > 0 && drawing.height() > 0) ||
        !std::isfinite(drawing.width()) || !std::isfinite(drawing.height()))
        return {};
    const QSize size = raster::metafilePixelSize(width, height, maxSide);
    Canvas canvas;
    canvas.image = raster::whiteCanvas(size);
    if (canvas.image.isNull() || !canvas.painter.begin(&canvas.image))
        return {};
    canvas.painter.setRenderHint(QPainter::Antialiasing);
    canvas.painter.setTransform(
        QTransform::fromTranslate(-drawing.left(), -drawing.top()) *
        QTransform::fromScale(size.width() / drawing.width(), size.height() / drawing.height()));
    api->device_data = &canvas;
    const wmf_error_t played = wmf_play(api, 0, &extent);
    api->device_data = nullptr;
    canvas.painter.end();
    if (played != wmf_E_None)
        return {};
    return canvas.image.convertToFormat(QImage::Format_RGB888);
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
    QByteArray bytes = checkedMetafile(data);
    if (bytes.isEmpty())
        return {};
    const Api api = createApi();
    return api ? play(api.get(), bytes, maxSide) : QImage();
}
