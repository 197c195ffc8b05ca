#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>

#include <memory>
#include <vector>

#include <libwmf/ipa.h>

// A device layer for libwmf that paints with QPainter, and reads the metafile's bitmaps
// with the raster layer's own DIB reader rather than libwmf's.
class WmfPainterDevice {
public:
    // The device-layer function handed to wmf_api_create: fills in libwmf's table of
    // drawing functions, which find the device through attach().
    static void install(wmfAPI* api);

    // Makes this the device libwmf's drawing functions reach for api, until detached.
    void attach(wmfAPI* api);
    static void detach(wmfAPI* api);

    // Paints from here on onto canvas, mapping extent (in libwmf's device units) onto
    // the whole canvas; false when the canvas cannot be painted on.
    bool begin(QImage& canvas, const QRectF& extent);
    void end() { m_painter.end(); }

private:
    static WmfPainterDevice* of(wmfAPI* api);
    // The painter set up with the DC's pen and (when fill) brush; null before begin().
    static QPainter* prepared(wmfAPI* api, const wmfDC* dc, bool fill = true);

    static void drawPie(wmfAPI* api, wmfDrawArc_t* arc);
    static void drawChord(wmfAPI* api, wmfDrawArc_t* arc);
    static void drawOpenArc(wmfAPI* api, wmfDrawArc_t* arc);
    static void drawEllipse(wmfAPI* api, wmfDrawArc_t* arc);
    static void drawLine(wmfAPI* api, wmfDrawLine_t* line);
    static void drawPolyline(wmfAPI* api, wmfPolyLine_t* line);
    static void drawPolygon(wmfAPI* api, wmfPolyLine_t* line);
    static void drawPolyPolygon(wmfAPI* api, wmfPolyPoly_t* polygons);
    static void drawRectangle(wmfAPI* api, wmfDrawRectangle_t* rectangle);
    static void drawPixel(wmfAPI* api, wmfDrawPixel_t* pixel);
    static void drawRop(wmfAPI* api, wmfROP_Draw_t* rop);
    static void readBitmap(wmfAPI* api, wmfBMP_Read_t* read);
    static void freeBitmap(wmfAPI* api, wmfBMP* bitmap);
    static void drawBitmap(wmfAPI* api, wmfBMP_Draw_t* draw);
    static void drawText(wmfAPI* api, wmfDrawText_t* text);
    static void paintRegion(wmfAPI* api, wmfPolyRectangle_t* rectangles);
    static void frameRegion(wmfAPI* api, wmfPolyRectangle_t* rectangles);
    static void clipRegion(wmfAPI* api, wmfPolyRectangle_t* rectangles);

    QPainter m_painter;
    // Bitmaps libwmf holds between reading and freeing them.
    std::vector<std::unique_ptr<QImage>> m_bitmaps;
};
