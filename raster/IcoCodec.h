#pragma once

#include <QByteArrayView>
#include <QImage>

// The largest image of a Windows icon file (DIB or PNG entries), with its AND mask
// applied as alpha. Returns a null image on any error.
QImage decodeIco(QByteArrayView data);
