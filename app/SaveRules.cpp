#include "app/SaveRules.h"

#include <QStringList>

#include <array>

namespace {

struct SaveEntry {
    const char* filter;
    const char* extension;
    SaveFormat format;
};

constexpr std::array<SaveEntry, 4> kEntries{{
    {"(JPG) Jpeg Files (*.jpg)", ".jpg", SaveFormat::Jpeg},
    {"(BMP) Windows & OS2 (*.bmp)", ".bmp", SaveFormat::Bmp},
    {"(PCX) Pcx Files (*.pcx)", ".pcx", SaveFormat::Pcx},
    {"(GIF) CompuServe GIF Files (*.gif)", ".gif", SaveFormat::Gif},
}};

QString withExtension(const QString& name, const QString& extension)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0 && QStringView(name).mid(dot).compare(extension, Qt::CaseInsensitive) == 0)
        return name;
    return name + extension;
}

// The save table's depth (JPEG 24 when b <= 8 else b; BMP and PCX b; GIF 8 when b is
// outside 1...8 else b), brought to the nearest one the writer produces: JPEG has only 24
// bits, PCX 8 or 24, GIF 8, and a picture here has 8, 24 or 32 bits.
int savedDepth(SaveFormat format, int bitsPerPixel)
{
    switch (format) {
    case SaveFormat::Jpeg:
        return 24;
    case SaveFormat::Gif:
        return 8;
    case SaveFormat::Pcx:
        return bitsPerPixel <= 8 ? 8 : 24;
    case SaveFormat::Bmp:
        return bitsPerPixel <= 8 ? 8 : bitsPerPixel <= 24 ? 24 : 32;
    }
    return 24;
}

} // namespace

QString saveDialogFilter()
{
    QStringList filters;
    for (const SaveEntry& entry : kEntries)
        filters << QString::fromUtf8(entry.filter);
    return filters.join(QStringLiteral(";;"));
}

int saveFilterEntry(const QString& selectedFilter)
{
    for (size_t i = 0; i < kEntries.size(); ++i) {
        if (selectedFilter == QLatin1String(kEntries[i].filter))
            return int(i) + 1;
    }
    return 0;
}

std::optional<SaveRequest> saveRequestFor(int entry, const QString& chosenName, int bitsPerPixel)
{
    if (entry < 1 || entry > int(kEntries.size()))
        return std::nullopt;
    const SaveEntry& chosen = kEntries[size_t(entry - 1)];
    SaveRequest request;
    request.fileName = withExtension(chosenName, QLatin1String(chosen.extension));
    request.format = chosen.format;
    request.bitsPerPixel = savedDepth(chosen.format, bitsPerPixel);
    return request;
}
