#pragma once

#include "RecordingMessageSink.h"
#include "TestData.h"

#include "app/FrmMain.h"
#include "ui/SkinImage.h"

#include <QDialog>
#include <QStringList>
#include <QTest>

#include <functional>

// The main window as the window tests drive it.
namespace main_window_test {

// A main window shown as in the program, whose blinks and modal dialogs are recorded
// instead of waited for. Unless a test sets a dialog driver, a dialog counts as cancelled.
struct Window {
    RecordingMessageSink messages;
    TMainForm form;
    QStringList flashed;      // highlights showing during each wait, once per blink
    QStringList dialogsShown; // class names of the modal dialogs run
    std::function<int(QDialog&)> driver;

    Window()
    {
        form.setSleepFunction([this](int) {
            for (SkinImage* image : form.findChildren<SkinImage*>()) {
                const QString name = image->objectName();
                if (!image->isHidden() && name.contains(QStringLiteral("UP_")) &&
                    !flashed.contains(name))
                    flashed.append(image->objectName());
            }
        });
        form.setModalRunner([this](QDialog& dialog) {
            dialogsShown.append(QString::fromLatin1(dialog.metaObject()->className()));
            return driver ? driver(dialog) : int(QDialog::Rejected);
        });
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qWarning("main window not exposed");
    }

    QStringList texts() const
    {
        QStringList shown;
        for (const auto& message : messages.messages)
            shown.append(message.second);
        return shown;
    }
};

enum class Setup { Empty, Loaded, Cut, Made };

inline void bringTo(TMainForm& form, Setup setup)
{
    if (setup == Setup::Empty)
        return;
    form.OpenPhotoFile(test_data::testDataPath(QStringLiteral("portrait.jpg")));
    if (setup == Setup::Cut)
        form.CutPhoto();
    if (setup == Setup::Made)
        form.MakeSheet();
}

inline void click(SkinImage* image)
{
    emit image->clicked(image);
}

} // namespace main_window_test
