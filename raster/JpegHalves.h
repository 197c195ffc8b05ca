#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Joins two baseline JPEGs that one encoder wrote with the same tables, for the upper and
// the lower rows of one picture, into the file it writes for the whole picture: the
// upper file's markers with the whole height, the two scans' bits run together, and the
// last byte filled with one bits. The lower file's DC values must already have been
// coded against the upper's last ones. Each scan's length in bits, without its filling,
// comes from the symbol counts. Returns an empty array when either file or length does
// not fit.
QByteArray joinJpegHalves(QByteArrayView upper, qint64 upperScanBits, QByteArrayView lower,
                          qint64 lowerScanBits, int height);
