#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The Korean code page, in which Windows-made files and forms carry their text.

// Characters outside the code page become '?'.
QByteArray toCp949(const QString& text);
// Bytes that are not CP949 become U+FFFD.
QString fromCp949(QByteArrayView bytes);
