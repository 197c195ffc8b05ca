#include "common/Settings.h"

std::unique_ptr<QSettings> openSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("TAMSEL"), QStringLiteral("Nuv Sorvel"));
}
