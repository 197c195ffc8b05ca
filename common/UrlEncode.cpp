#include "common/UrlEncode.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <iconv.h>
#include <memory>
#include <type_traits>

namespace {

using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, decltype(&iconv_close)>;

// Length of the UTF-8 sequence that starts with lead (input from QString is well formed).
std::size_t utf8SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

// The text in CP949; characters outside the code page become '?'.
QByteArray toCp949(const QString& text)
{
    QByteArray utf8 = text.toUtf8();
    IconvHandle handle(iconv_open("CP949", "UTF-8"), &iconv_close);
    if (handle.get() == reinterpret_cast<iconv_t>(-1)) {
        handle.release();
        return {};
    }
    // CP949 needs at most two bytes for a character that takes at least one in UTF-8.
    QByteArray out(2 * utf8.size(), Qt::Uninitialized);
    char* in = utf8.data();
    std::size_t inLeft = static_cast<std::size_t>(utf8.size());
    char* dest = out.data();
    std::size_t outLeft = static_cast<std::size_t>(out.size());
    while (inLeft > 0) {
        if (iconv(handle.get(), &in, &inLeft, &dest, &outLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break;
        const std::size_t skip =
            std::min(utf8SequenceLength(static_cast<unsigned char>(*in)), inLeft);
        in += skip;
        inLeft -= skip;
        *dest++ = '?';
        --outLeft;
    }
    out.truncate(static_cast<qsizetype>(dest - out.data()));
    return out;
}

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
