#include "common/Cp949.h"

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

} // namespace

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

QString fromCp949(QByteArrayView bytes)
{
    static constexpr char replacement[] = "\xEF\xBF\xBD";
    IconvHandle handle(iconv_open("UTF-8", "CP949"), &iconv_close);
    if (handle.get() == reinterpret_cast<iconv_t>(-1)) {
        handle.release();
        return QString::fromLatin1(bytes);
    }
    // A CP949 character of one or two bytes takes at most three in UTF-8, as does U+FFFD.
    QByteArray in(bytes.data(), bytes.size());
    QByteArray out(3 * in.size(), Qt::Uninitialized);
    char* from = in.data();
    std::size_t inLeft = static_cast<std::size_t>(in.size());
    char* dest = out.data();
    std::size_t outLeft = static_cast<std::size_t>(out.size());
    while (inLeft > 0) {
        if (iconv(handle.get(), &from, &inLeft, &dest, &outLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break;
        ++from;
        --inLeft;
        dest = std::copy_n(replacement, 3, dest);
        outLeft -= 3;
    }
    out.truncate(static_cast<qsizetype>(dest - out.data()));
    return QString::fromUtf8(out);
}
