#include "app/FrmMain.h"
#include "app/MessageBoxSink.h"
#include "ui/WindowLook.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("TAMSEL"));
    QApplication::setApplicationName(programCaption());
    installFontSubstitutions();

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
