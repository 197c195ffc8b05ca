#include "common/UrlEncode.h"

#include "common/Cp949.h"

namespace {

bool isCopied(char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '!':
    case '$':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '-':
    case '.':
    case '@':
    case '_':
        return true;
    default:
        return false;
    }
}

} // namespace

QByteArray UrlEncode(const QString& text)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    const QByteArray bytes = toCp949(text);
    QByteArray encoded;
    encoded.reserve(3 * bytes.size());
    for (const char c : bytes) {
        if (c == '\0')
            break;
        if (isCopied(c)) {
            encoded += c;
        } else if (c == ' ') {
            encoded += '+';
        } else {
            const auto byte = static_cast<unsigned char>(c);
            encoded += '%';
            encoded += hexDigits[byte >> 4];
            encoded += hexDigits[byte & 0x0F];
        }
    }
    return encoded;
}
