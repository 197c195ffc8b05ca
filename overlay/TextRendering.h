#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>

// Text burnt into a photo: lines drawn left-aligned from a top-left corner, each over an
// optional shadow, on a 24-bit copy of the photo.

// The four styles in the order the style list offers them.
enum class TextStyle { Regular = 0, Bold = 1, Italic = 2, BoldItalic = 3 };

// Sizes the size box accepts, in points.
inline constexpr int kMinTextPointSize = 1;
inline constexpr int kMaxTextPointSize = 1000;

// How the text looks: what the dialog's settings hold at one render.
struct TextAppearance {
    QString family = QStringLiteral("Comic Sans MS");
    int pointSize = 15;
    TextStyle style = TextStyle::Regular;
    QColor textColour = Qt::white;
    QColor shadowColour = Qt::black;
    bool antialiased = true;
    bool shadow = true;
    int shadowDepth = 1;

    bool operator==(const TextAppearance&) const = default;
};

// The character height in pixels of a font of pointSize points on a 96 dots-per-inch
// canvas, rounded to nearest; sizes outside the accepted range are brought into it.
int textPixelSize(int pointSize);

// The face of that name at that size and style, smoothed or with hard edges.
QFont textFont(const QString& family, int pointSize, TextStyle style, bool antialiased);

// The distance between the tops of two lines: the font's height of "Test".
int textLineHeight(const QFont& font);

// Draws the shadow lines (when on) and then the text lines onto surface, line i with its
// top-left at at + (0, i × line height), the shadow d pixels right of and below it.
// Whatever falls outside the surface is clipped.
void drawTextBlock(QImage& surface, const QStringList& lines, QPoint at,
                   const TextAppearance& appearance);

// buffer := a 24-bit copy of photo with the text block drawn on it. False when the buffer
// cannot be allocated; it is then left empty.
[[nodiscard]] bool renderTextOverlay(QImage& buffer, const QImage& photo, const QStringList& lines,
                                     QPoint at, const TextAppearance& appearance);

// True when every character of text gets a real glyph in the font or its fallbacks, not
// the empty box of a missing one.
bool drawsEveryCharacter(const QFont& font, const QString& text);

// The installed families the font list offers: those that are not hidden system faces and
// that draw both Hangul and Latin letters (symbol faces map letters to nothing).
QStringList offeredFontFamilies();
