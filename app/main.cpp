#include "app/FrmMain.h"
#include "app/MessageBoxSink.h"
#include "raster/LoadBudget.h"

#include <QApplication>
#include <QFont>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("TAMSEL"));
    QApplication::setApplicationName(QStringLiteral("Nuv Sorvel"));
    raster::limitImageReaders();
    // The window's fonts are the classic Korean system faces; map them to fonts that
    // ship with the system so Hangul never shows as boxes.
    QFont::insertSubstitution(QStringLiteral("굴림"), QStringLiteral("NanumGothic"));
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));

    MessageBoxSink messageBoxes;
    setMessageSink(&messageBoxes);

    TMainForm mainForm;
    mainForm.show();
    // Developer aid for screenshots: IDPHOTO_OPEN=<photo> opens that photo at start.
    const QString photo = qEnvironmentVariable("IDPHOTO_OPEN");
    if (!photo.isEmpty())
        mainForm.OpenPhotoFile(photo);
    const int result = application.exec();
    setMessageSink(nullptr);
    return result;
}
