#include "overlay/TextBlock.h"

#include "overlay/TextRendering.h"

#include <QFontMetrics>

#include <algorithm>
#include <climits>

namespace {

// The block's offset along one side for column or row 0 (start), 1 (middle) or 2 (end).
int alignedOffset(int step, int photoSide, int blockSide)
{
    switch (step) {
    case 1:
        return (photoSide - blockSide) / 2;
    case 2:
        return photoSide - blockSide;
    default:
        return 0;
    }
}

} // namespace

int longestLineIndex(const QStringList& lines)
{
    int longest = lines.isEmpty() ? -1 : 0;
    for (int i = 1; i < lines.size(); ++i) {
        if (lines[i].size() > lines[longest].size())
            longest = i;
    }
    return longest;
}

QSize measureTextBlock(const QStringList& lines, const QString& family, int pointSize)
{
    const int longest = longestLineIndex(lines);
    if (longest < 0)
        return QSize(0, 0);
    const QFontMetrics metrics(textFont(family, pointSize, TextStyle::Regular, true));
    const qsizetype height = lines.size() * qsizetype(metrics.height());
    return QSize(metrics.horizontalAdvance(lines[longest]),
                 int(std::min<qsizetype>(height, INT_MAX)));
}

Rect textBlockRect(QPoint at, QSize block)
{
    return Rect{at.x(), at.y(), at.x() + block.width(), at.y() + block.height()};
}

QPoint placeTextBlock(int placement, QSize photo, QSize block)
{
    if (placement < 0 || placement >= kTextPlacementCount)
        return QPoint(0, 0);
    return QPoint(alignedOffset(placement % 3, photo.width(), block.width()),
                  alignedOffset(placement / 3, photo.height(), block.height()));
}
