#include "common/Cp949.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <iconv.h>
#include <memory>
#include <optional>
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

// Converts input between the code sets, or gives nullopt when iconv lacks them. A sequence
// the target cannot hold, or that the source does not define, becomes replacement; skip
// says how many input bytes it spans. capacity bounds the output, replacements included.
std::optional<QByteArray> convert(const char* to, const char* from, QByteArray input,
                                  qsizetype capacity, QByteArrayView replacement,
                                  std::size_t (*skip)(unsigned char lead))
{
    IconvHandle handle(iconv_open(to, from), &iconv_close);
    if (handle.get() == reinterpret_cast<iconv_t>(-1)) {
        handle.release();
        return std::nullopt;
    }
    QByteArray out(capacity, Qt::Uninitialized);
    char* in = input.data();
    std::size_t inLeft = static_cast<std::size_t>(input.size());
    char* dest = out.data();
    std::size_t outLeft = static_cast<std::size_t>(out.size());
    while (inLeft > 0) {
        if (iconv(handle.get(), &in, &inLeft, &dest, &outLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break;
        const std::size_t skipped = std::min(skip(static_cast<unsigned char>(*in)), inLeft);
        in += skipped;
        inLeft -= skipped;
        dest = std::copy(replacement.begin(), replacement.end(), dest);
        outLeft -= static_cast<std::size_t>(replacement.size());
    }
    out.truncate(static_cast<qsizetype>(dest - out.data()));
    return out;
}

} // namespace

QByteArray toCp949(const QString& text)
{
    QByteArray utf8 = text.toUtf8();
    // CP949 needs at most two bytes for a character that takes at least one in UTF-8.
    const qsizetype capacity = 2 * utf8.size();
    return convert("CP949", "UTF-8", std::move(utf8), capacity, "?", utf8SequenceLength)
        .value_or(QByteArray());
}

QString fromCp949(QByteArrayView bytes)
{
    // A CP949 character of one or two bytes takes at most three in UTF-8, as does U+FFFD;
    // a byte that starts no character is replaced alone.
    const auto utf8 = convert("UTF-8", "CP949", bytes.toByteArray(), 3 * bytes.size(),
                              "\xEF\xBF\xBD", [](unsigned char) { return std::size_t(1); });
    return utf8 ? QString::fromUtf8(*utf8) : QString::fromLatin1(bytes);
}
