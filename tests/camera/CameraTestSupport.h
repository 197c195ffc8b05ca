#pragma once

#include "camera/FrmPCCam.h"
#include "camera/SyntheticCameraSource.h"

#include <QVideoFrameFormat>

#include <memory>

Q_DECLARE_METATYPE(QVideoFrameFormat::PixelFormat)

namespace camera_test {

// A camera dialog over deviceCount test cameras that deliver frames only when the test
// says so.
inline std::unique_ptr<TPCCamForm> makeDialog(int deviceCount)
{
    auto source = std::make_unique<SyntheticCameraSource>(deviceCount);
    source->setFrameInterval(0);
    return std::make_unique<TPCCamForm>(nullptr, std::move(source));
}

inline SyntheticCameraSource& testCamera(TPCCamForm& dialog)
{
    return static_cast<SyntheticCameraSource&>(dialog.source());
}

inline void deliverFrames(TPCCamForm& dialog, int count)
{
    for (int i = 0; i < count; ++i)
        testCamera(dialog).deliverNextFrame();
}

} // namespace camera_test
