#pragma once

#include <QByteArray>

class QIODevice;

// Exact reads from a stream of outside data. A length the stream cannot supply consumes
// what is left and throws StreamError::readError(); memory grows only with the bytes that
// actually arrive, so a lying length costs nothing.
QByteArray readExactly(QIODevice& stream, qint64 length);
void skipExactly(QIODevice& stream, qint64 length);
qint32 readInt32(QIODevice& stream);
