#pragma once

#include <QList>
#include <QRgb>

// Colour tables shared by the codecs.

// 256 greys, index i being (i, i, i): the table of grey pictures kept as Indexed8.
QList<QRgb> greyColorTable();
