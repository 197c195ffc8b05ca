#include "app/FrmMain.h"
#include "app/MessageBoxSink.h"
#include "app/QtTranslations.h"
#include "ordering/OrderEntries.h"
#include "raster/LoadBudget.h"
#include "ui/WindowLook.h"

#include <QApplication>
#include <QtGlobal>

int main(int argc, char** argv)
{
    prepareWebEngine();
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("TAMSEL"));
    QApplication::setApplicationName(programCaption());
    raster::limitImageReaders();
    installFontSubstitutions();
    // The standard dialogs (open, save, print, the message boxes' buttons) in Korean too.
    if (!installQtKoreanTranslations(application))
        qWarning("Qt's Korean translations are not installed; standard dialogs stay in English.");

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
