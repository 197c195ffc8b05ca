#pragma once

#include <QByteArray>
#include <QString>

// Form encoding of text in the Korean code page CP949, up to the first zero byte:
// A-Z a-z 0-9 and ! $ ' ( ) * - . @ _ are copied, a space becomes '+', every other
// byte becomes %XX (upper-case hex). A character CP949 cannot represent is sent as '?'
// (so "%3F"), as the code page conversion of the original platform does.
QByteArray UrlEncode(const QString& text);
