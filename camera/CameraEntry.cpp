#include "camera/CameraEntry.h"

#include "camera/CameraSource.h"
#include "camera/CameraSourceFactory.h"
#include "camera/FrmPCCam.h"
#include "raster/BitmapOps.h"
#include "ui/DialogHost.h"

std::unique_ptr<TPCCamForm> createCameraDialog(const DialogHost& host,
                                               std::unique_ptr<CameraSource> source)
{
    auto dialog = std::make_unique<TPCCamForm>(host.owner, std::move(source));
    host.placeCentred(*dialog);
    return dialog;
}

bool takeCapturedPhoto(const TPCCamForm& dialog, RasterBitmap& workBitmap,
                       RasterBitmap& originalBitmap)
{
    if (!dialog.CapturedPhoto.isAllocated())
        return false;
    RasterBitmap original;
    if (!copyBitmap(original, dialog.CapturedPhoto))
        return false;
    workBitmap = dialog.CapturedPhoto;
    originalBitmap = std::move(original);
    return true;
}

bool OpenCameraDialog(const DialogHost& host, RasterBitmap& workBitmap,
                      RasterBitmap& originalBitmap)
{
    const auto dialog = createCameraDialog(host, createCameraSource());
    return host.run(*dialog) == QDialog::Accepted &&
           takeCapturedPhoto(*dialog, workBitmap, originalBitmap);
}
