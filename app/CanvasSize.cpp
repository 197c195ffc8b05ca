#include "app/CanvasSize.h"

#include <limits>

bool canvasKeyAccepted(QChar c)
{
    // DEL is what Delete types on X11; like the other control characters it edits.
    return c.unicode() <= 32 || c.unicode() == 0x7f || (c >= u'0' && c <= u'9');
}

int canvasValue(const QString& text)
{
    // Leading blanks and a sign are allowed, as in an ordinary integer conversion;
    // anything after the digits makes the text no number.
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == u' ')
        ++i;
    const bool negative = i < text.size() && text.at(i) == u'-';
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+'))
        ++i;
    if (i == text.size())
        return 0;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < u'0' || c > u'9')
            return 0;
        value = value * 10 + (c.unicode() - u'0');
        if (value > std::numeric_limits<int>::max())
            return 0;
    }
    return static_cast<int>(negative ? -value : value);
}

CanvasCheck checkCanvasSize(int width, int height)
{
    if (width < kCanvasMinWidth || width > kCanvasMaxWidth)
        return CanvasCheck::BadWidth;
    if (height < kCanvasMinHeight || height > kCanvasMaxHeight)
        return CanvasCheck::BadHeight;
    return CanvasCheck::Ok;
}

QString canvasCheckMessage(CanvasCheck check)
{
    switch (check) {
    case CanvasCheck::BadWidth:
        return QStringLiteral("폭의 값이 너무 크거나 혹은 너무 작습니다. (예) 200~999 Pixel");
    case CanvasCheck::BadHeight:
        return QStringLiteral("높이의 값이 너무 크거나 혹은 너무 작습니다. (예) 200~799 Pixel");
    case CanvasCheck::Ok:
        break;
    }
    return {};
}
