#include "common/StreamRead.h"

#include "common/StreamError.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>

namespace {

constexpr qint64 kChunkBytes = qint64(1) << 20;

} // namespace

QByteArray readExactly(QIODevice& stream, qint64 length)
{
    QByteArray data;
    while (data.size() < length) {
        const QByteArray chunk = stream.read(std::min(kChunkBytes, length - data.size()));
        if (chunk.isEmpty())
            throw StreamError::readError();
        data += chunk;
    }
    return data;
}

void skipExactly(QIODevice& stream, qint64 length)
{
    while (length > 0) {
        const qint64 skipped = stream.skip(std::min(kChunkBytes, length));
        if (skipped <= 0)
            throw StreamError::readError();
        length -= skipped;
    }
}

qint32 readInt32(QIODevice& stream)
{
    return qFromLittleEndian<qint32>(readExactly(stream, sizeof(qint32)).constData());
}
