#include "overlay/_NuvImage.h"

#include "common/StreamRead.h"
#include "raster/BitmapIO.h"

void TNuvImage::LoadFromStream(QIODevice& stream)
{
    Clear();
    const qint32 colorLength = readInt32(stream);
    if (colorLength > 0) {
        const QByteArray colorData = readExactly(stream, colorLength);
        // A picture that does not decode leaves the overlay empty; its bytes are consumed.
        if (!loadBitmapMemory(colorData, ColorBitmap, 24))
            ColorBitmap.free();
    }
    const qint32 alphaLength = readInt32(stream);
    if (alphaLength > 0)
        skipExactly(stream, alphaLength);
}
