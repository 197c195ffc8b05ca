#pragma once

#include <QByteArray>
#include <QtEndian>

#include <bit>

// Appends integer fields to a byte array, least significant byte first unless told otherwise,
// so tests can build binary files field by field and state exactly which field lies.
class ByteWriter {
public:
    explicit ByteWriter(QByteArray& out, std::endian order = std::endian::little)
        : m_out(out), m_order(order)
    {
    }

    // Each value is cut to the field's width: -1 writes all ones.
    ByteWriter& u8(qint64 value)
    {
        m_out.append(char(value));
        return *this;
    }
    ByteWriter& u16(qint64 value) { return put<quint16>(value); }
    ByteWriter& u32(qint64 value) { return put<quint32>(value); }

private:
    template <typename Field> ByteWriter& put(qint64 value)
    {
        char bytes[sizeof(Field)];
        if (m_order == std::endian::big)
            qToBigEndian(Field(value), bytes);
        else
            qToLittleEndian(Field(value), bytes);
        m_out.append(bytes, sizeof(Field));
        return *this;
    }

    QByteArray& m_out;
    std::endian m_order;
};
