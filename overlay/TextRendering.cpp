#include "overlay/TextRendering.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace {

constexpr int kCanvasDpi = 96;
constexpr int kPointsPerInch = 72;

// True when a line whose top is at y can leave a mark on a surface of that height. A glyph
// may reach a little above its cell or below it (accents, italics), never a whole line.
bool lineMayShow(int y, int lineHeight, int surfaceHeight)
{
    return y + 2 * lineHeight > 0 && y - lineHeight < surfaceHeight;
}

void drawLines(QPainter& painter, const QStringList& lines, QPoint at, int lineHeight,
               int surfaceHeight)
{
    const int ascent = painter.fontMetrics().ascent();
    for (int i = 0; i < lines.size(); ++i) {
        const int top = at.y() + i * lineHeight;
        if (lineMayShow(top, lineHeight, surfaceHeight))
            painter.drawText(QPoint(at.x(), top + ascent), lines[i]);
    }
}

} // namespace

int textPixelSize(int pointSize)
{
    const int points = std::clamp(pointSize, kMinTextPointSize, kMaxTextPointSize);
    return (points * kCanvasDpi + kPointsPerInch / 2) / kPointsPerInch;
}

QFont textFont(const QString& family, int pointSize, TextStyle style, bool antialiased)
{
    QFont font(family);
    font.setPixelSize(textPixelSize(pointSize));
    font.setBold(style == TextStyle::Bold || style == TextStyle::BoldItalic);
    font.setItalic(style == TextStyle::Italic || style == TextStyle::BoldItalic);
    // Smoothing is grey only, never coloured fringes, so the photo's colours stay its own.
    font.setStyleStrategy(
        antialiased ? QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias)
                    : QFont::NoAntialias);
    return font;
}

int textLineHeight(const QFont& font)
{
    // A line's height does not depend on its letters: every line of a font is as high.
    return QFontMetrics(font).height();
}

void drawTextBlock(QImage& surface, const QStringList& lines, QPoint at,
                   const TextAppearance& appearance)
{
    if (lines.isEmpty() || surface.isNull())
        return;
    QPainter painter(&surface);
    painter.setRenderHint(QPainter::TextAntialiasing, appearance.antialiased);
    painter.setFont(textFont(appearance.family, appearance.pointSize, appearance.style,
                             appearance.antialiased));
    const int lineHeight = textLineHeight(painter.font());
    if (appearance.shadow) {
        const int d = appearance.shadowDepth;
        painter.setPen(appearance.shadowColour);
        drawLines(painter, lines, at + QPoint(d, d), lineHeight, surface.height());
    }
    painter.setPen(appearance.textColour);
    drawLines(painter, lines, at, lineHeight, surface.height());
}

bool renderTextOverlay(QImage& buffer, const QImage& photo, const QStringList& lines, QPoint at,
                       const TextAppearance& appearance)
{
    buffer = photo.convertToFormat(QImage::Format_RGB888);
    // Drawing needs pixels of the buffer's own; a failed copy leaves it null.
    if (buffer.isNull() || !buffer.bits()) {
        buffer = QImage();
        return false;
    }
    drawTextBlock(buffer, lines, at, appearance);
    return true;
}

bool drawsEveryCharacter(const QFont& font, const QString& text)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    // Glyph 0 is a font's box for characters it lacks.
    for (const QGlyphRun& run : layout.glyphRuns()) {
        if (run.glyphIndexes().contains(0))
            return false;
    }
    return true;
}

QStringList offeredFontFamilies()
{
    const QString sample = QStringLiteral("누브 NUV sorvel");
    QStringList offered;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family) && drawsEveryCharacter(QFont(family), sample))
            offered.append(family);
    }
    return offered;
}
