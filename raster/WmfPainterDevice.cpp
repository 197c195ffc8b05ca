#include "raster/WmfPainterDevice.h"

#include "raster/DibReader.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

#include <libwmf/defs.h>
#include <libwmf/ipa.h>
#include <libwmf/macro.h>

namespace {

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

// The angle in degrees, counter-clockwise on screen, of a point relative to the centre
// of an arc (device y grows downwards).
double angleOf(const wmfD_Coord& relative)
{
    return std::atan2(-relative.y, relative.x) * 180.0 / std::numbers::pi;
}

enum class ArcKind { Open, Chord, Pie };

void paintArc(QPainter* painter, const wmfDrawArc_t* arc, ArcKind kind)
{
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

QRegion regionOf(const wmfPolyRectangle_t* rectangles)
{
    QRegion region;
    for (unsigned i = 0; i < rectangles->count; ++i)
        region += rectOf(rectangles->TL[i], rectangles->BR[i]).toAlignedRect();
    return region;
}

// Device calls that have nothing to do here: the canvas exists before playing starts,
// flood fills are rare enough to leave undrawn, and no per-DC data is kept.
void ignoreDevice(wmfAPI*) {}
void ignoreFlood(wmfAPI*, wmfFlood_t*) {}
void ignoreUserData(wmfAPI*, wmfUserData_t*) {}

} // namespace

void WmfPainterDevice::install(wmfAPI* api)
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

void WmfPainterDevice::attach(wmfAPI* api)
{
    api->device_data = this;
}

void WmfPainterDevice::detach(wmfAPI* api)
{
    api->device_data = nullptr;
}

bool WmfPainterDevice::begin(QImage& canvas, const QRectF& extent)
{
    if (canvas.isNull() || extent.isEmpty() || !m_painter.begin(&canvas))
        return false;
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setTransform(
        QTransform::fromTranslate(-extent.left(), -extent.top()) *
        QTransform::fromScale(canvas.width() / extent.width(), canvas.height() / extent.height()));
    return true;
}

WmfPainterDevice* WmfPainterDevice::of(wmfAPI* api)
{
    return static_cast<WmfPainterDevice*>(api->device_data);
}

QPainter* WmfPainterDevice::prepared(wmfAPI* api, const wmfDC* dc, bool fill)
{
    WmfPainterDevice* device = of(api);
    if (!device || !device->m_painter.isActive())
        return nullptr;
    device->m_painter.setPen(penOf(dc));
    device->m_painter.setBrush(fill ? brushOf(dc) : QBrush(Qt::NoBrush));
    return &device->m_painter;
}

void WmfPainterDevice::drawPie(wmfAPI* api, wmfDrawArc_t* arc)
{
    paintArc(prepared(api, arc->dc), arc, ArcKind::Pie);
}

void WmfPainterDevice::drawChord(wmfAPI* api, wmfDrawArc_t* arc)
{
    paintArc(prepared(api, arc->dc), arc, ArcKind::Chord);
}

void WmfPainterDevice::drawOpenArc(wmfAPI* api, wmfDrawArc_t* arc)
{
    paintArc(prepared(api, arc->dc, false), arc, ArcKind::Open);
}

void WmfPainterDevice::drawEllipse(wmfAPI* api, wmfDrawArc_t* arc)
{
    if (QPainter* painter = prepared(api, arc->dc))
        painter->drawEllipse(rectOf(arc->TL, arc->BR));
}

void WmfPainterDevice::drawLine(wmfAPI* api, wmfDrawLine_t* line)
{
    if (QPainter* painter = prepared(api, line->dc, false))
        painter->drawLine(pointOf(line->from), pointOf(line->to));
}

void WmfPainterDevice::drawPolyline(wmfAPI* api, wmfPolyLine_t* line)
{
    if (QPainter* painter = prepared(api, line->dc, false))
        painter->drawPolyline(polygonOf(line->pt, line->count));
}

void WmfPainterDevice::drawPolygon(wmfAPI* api, wmfPolyLine_t* line)
{
    if (QPainter* painter = prepared(api, line->dc))
        painter->drawPolygon(polygonOf(line->pt, line->count), fillRuleOf(line->dc));
}

void WmfPainterDevice::drawPolyPolygon(wmfAPI* api, wmfPolyPoly_t* polygons)
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

void WmfPainterDevice::drawRectangle(wmfAPI* api, wmfDrawRectangle_t* rectangle)
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

void WmfPainterDevice::drawPixel(wmfAPI* api, wmfDrawPixel_t* pixel)
{
    if (QPainter* painter = prepared(api, pixel->dc))
        painter->fillRect(
            QRectF(pointOf(pixel->pt), QSizeF(pixel->pixel_width, pixel->pixel_height)),
            colourOf(pixel->color));
}

// Pattern blits: the two constant ones as such, every other one as a fill with the brush.
void WmfPainterDevice::drawRop(wmfAPI* api, wmfROP_Draw_t* rop)
{
    constexpr U32 kBlackness = 0x00000042;
    constexpr U32 kWhiteness = 0x00FF0062;
    QPainter* painter = prepared(api, rop->dc);
    if (!painter)
        return;
    const QRectF rect = rectOf(rop->TL, rop->BR);
    if (rop->ROP == kBlackness || rop->ROP == kWhiteness)
        painter->fillRect(rect, rop->ROP == kBlackness ? Qt::black : Qt::white);
    else
        painter->fillRect(rect, brushOf(rop->dc));
}

void WmfPainterDevice::readBitmap(wmfAPI* api, wmfBMP_Read_t* read)
{
    read->bmp = wmfBMP{};
    WmfPainterDevice* device = of(api);
    if (!device || !read->buffer || read->length <= 0)
        return;
    const DibReader dib(QByteArrayView(read->buffer, qsizetype(read->length)),
                        DibReader::Layout::File);
    // libwmf keeps a bitmap's sides in 16 bits.
    if (!dib.isValid() || dib.width() > 0xFFFF || dib.height() > 0xFFFF)
        return;
    auto image = std::make_unique<QImage>(dib.decode(dib.colorTableEnd()));
    if (image->isNull())
        return;
    read->bmp.width = static_cast<U16>(image->width());
    read->bmp.height = static_cast<U16>(image->height());
    read->bmp.data = image.get();
    device->m_bitmaps.push_back(std::move(image));
}

void WmfPainterDevice::freeBitmap(wmfAPI* api, wmfBMP* bitmap)
{
    WmfPainterDevice* device = of(api);
    if (!device)
        return;
    std::erase_if(device->m_bitmaps, [&](const std::unique_ptr<QImage>& image) {
        return image.get() == bitmap->data;
    });
    bitmap->data = nullptr;
}

// The crop rectangle counts rows from the bottom, as the bitmap stored them.
void WmfPainterDevice::drawBitmap(wmfAPI* api, wmfBMP_Draw_t* draw)
{
    QPainter* painter = prepared(api, draw->dc);
    const auto* image = static_cast<const QImage*>(draw->bmp.data);
    if (!painter || !image)
        return;
    const QRect source = QRect(draw->crop.x, image->height() - draw->crop.y - draw->crop.h,
                               draw->crop.w, draw->crop.h)
                             .intersected(image->rect());
    if (source.isEmpty())
        return;
    const QRectF target = QRectF(pointOf(draw->pt), QSizeF(draw->pixel_width * source.width(),
                                                           draw->pixel_height * source.height()))
                              .normalized();
    painter->drawImage(target, *image, source);
}

void WmfPainterDevice::drawText(wmfAPI* api, wmfDrawText_t* text)
{
    QPainter* painter = prepared(api, text->dc);
    const wmfFont* font = WMF_DC_FONT(text->dc);
    if (!painter || !text->str || !font || !(text->font_height > 0))
        return;
    QFont qfont(QString::fromLatin1(WMF_FONT_NAME(font) ? WMF_FONT_NAME(font) : ""));
    qfont.setPixelSize(std::max(1, int(std::lround(std::min(text->font_height, 1e6)))));
    qfont.setBold(WMF_FONT_WEIGHT(font) >= 600);
    qfont.setItalic(WMF_FONT_ITALIC(font));
    qfont.setUnderline(WMF_TEXT_UNDERLINE(font));
    qfont.setStrikeOut(WMF_TEXT_STRIKEOUT(font));
    painter->save();
    painter->translate(pointOf(text->pt));
    painter->rotate(-WMF_TEXT_ANGLE(font) * 180.0 / std::numbers::pi);
    painter->setFont(qfont);
    painter->setPen(colourOf(*WMF_DC_TEXTCOLOR(text->dc)));
    painter->drawText(QPointF(0, 0), QString::fromLatin1(text->str));
    painter->restore();
}

void WmfPainterDevice::paintRegion(wmfAPI* api, wmfPolyRectangle_t* rectangles)
{
    QPainter* painter = prepared(api, rectangles->dc);
    if (!painter)
        return;
    for (unsigned i = 0; i < rectangles->count; ++i)
        painter->fillRect(rectOf(rectangles->TL[i], rectangles->BR[i]), brushOf(rectangles->dc));
}

// A frame of the given thickness inside each rectangle.
void WmfPainterDevice::frameRegion(wmfAPI* api, wmfPolyRectangle_t* rectangles)
{
    QPainter* painter = prepared(api, rectangles->dc);
    if (!painter)
        return;
    const QBrush brush = brushOf(rectangles->dc);
    const double dx = rectangles->width;
    const double dy = rectangles->height;
    for (unsigned i = 0; i < rectangles->count; ++i) {
        const QRectF rect = rectOf(rectangles->TL[i], rectangles->BR[i]);
        QPainterPath frame;
        frame.addRect(rect);
        frame.addRect(rect.adjusted(dx, dy, -dx, -dy));
        painter->fillPath(frame, brush);
    }
}

// Clip regions are in device units, the same space the painter's transform maps.
void WmfPainterDevice::clipRegion(wmfAPI* api, wmfPolyRectangle_t* rectangles)
{
    QPainter* painter = prepared(api, rectangles->dc);
    if (!painter)
        return;
    if (rectangles->count == 0)
        painter->setClipping(false);
    else
        painter->setClipRegion(regionOf(rectangles));
}
