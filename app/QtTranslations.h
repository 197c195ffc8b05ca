#pragma once

class QCoreApplication;

// Loads Qt's own Korean texts (the buttons of message boxes, the file and print dialogs)
// into application, so that the standard dialogs speak the program's language whatever
// the system's. False when the catalogue is not installed; those dialogs then stay in
// English.
[[nodiscard]] bool installQtKoreanTranslations(QCoreApplication& application);
