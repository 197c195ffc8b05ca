#include "FrameFileWriter.h"

#include <QtEndian>

#include <array>
#include <utility>

namespace {

using Header = TNuvFrameHeader;

const std::array<std::pair<QStringView, qint32 Header::*>, 21> kNamedFields = {{
    {u"TopLeftWidth", &Header::TopLeftWidth},
    {u"TopLeftHeight", &Header::TopLeftHeight},
    {u"TopTileWidth", &Header::TopTileWidth},
    {u"TopHeight", &Header::TopHeight},
    {u"TopRightWidth", &Header::TopRightWidth},
    {u"TopRightHeight", &Header::TopRightHeight},
    {u"LeftWidth", &Header::LeftWidth},
    {u"LeftTileHeight", &Header::LeftTileHeight},
    {u"RightWidth", &Header::RightWidth},
    {u"RightTileHeight", &Header::RightTileHeight},
    {u"BottomLeftWidth", &Header::BottomLeftWidth},
    {u"BottomLeftHeight", &Header::BottomLeftHeight},
    {u"BottomTileWidth", &Header::BottomTileWidth},
    {u"BottomHeight", &Header::BottomHeight},
    {u"BottomRightWidth", &Header::BottomRightWidth},
    {u"BottomRightHeight", &Header::BottomRightHeight},
    {u"PhotoLeft", &Header::PhotoLeft},
    {u"PhotoTop", &Header::PhotoTop},
    {u"ExtraWidth", &Header::ExtraWidth},
    {u"ExtraHeight", &Header::ExtraHeight},
    {u"StretchEdges", &Header::StretchEdges},
}};

void appendLength(QByteArray& out, qsizetype length)
{
    char bytes[4];
    qToLittleEndian(qint32(length), bytes);
    out.append(bytes, 4);
}

} // namespace

QByteArray overlayBlock(QByteArrayView colourFile, QByteArrayView maskFile)
{
    QByteArray block;
    appendLength(block, colourFile.size());
    block.append(colourFile);
    appendLength(block, maskFile.size());
    block.append(maskFile);
    return block;
}

QByteArray frameFile(const TNuvFrameHeader& header, QByteArrayView colourFile,
                     QByteArrayView maskFile)
{
    return header.toBytes() + overlayBlock(colourFile, maskFile);
}

bool setHeaderField(TNuvFrameHeader& header, QStringView name, qint32 value)
{
    for (const auto& [fieldName, field] : kNamedFields) {
        if (fieldName == name) {
            header.*field = value;
            return true;
        }
    }
    return false;
}

void setBorder(TNuvFrameHeader& header, qint32 size)
{
    for (const auto& [fieldName, field] : kNamedFields)
        header.*field = size;
    header.ExtraWidth = header.ExtraHeight = 2 * size;
    header.StretchEdges = 1;
}
