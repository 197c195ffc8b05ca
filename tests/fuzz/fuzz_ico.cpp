#include "raster/IcoCodec.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    decodeIco(QByteArrayView(data, qsizetype(size)));
    return 0;
}
