#include "camera/CameraSourceFactory.h"

#include "camera/QtCameraSource.h"
#include "camera/SyntheticCameraSource.h"

#include <QtGlobal>

std::optional<int> testCameraCount(const QByteArray& value)
{
    bool ok = false;
    const int count = value.trimmed().toInt(&ok);
    if (!ok || count < 0 || count > SyntheticCameraSource::kMaxDevices)
        return std::nullopt;
    return count;
}

std::unique_ptr<CameraSource> createCameraSource()
{
    if (const auto count = testCameraCount(qgetenv(kTestCamerasVariable)))
        return std::make_unique<SyntheticCameraSource>(*count);
    return std::make_unique<QtCameraSource>();
}
