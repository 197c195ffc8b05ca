#pragma once

#include <QByteArrayView>

// Bytes of a JPEG's entropy-coded scan data, restart markers included: what the picture
// is actually coded in. Comment, application and padding segments, fill bytes and
// anything after the end marker do not count. Only the marker structure is walked, so a
// malformed file merely yields a smaller count.
qint64 entropyCodedBytes(QByteArrayView jpegData);
