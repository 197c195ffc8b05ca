#pragma once

#include <QSettings>

#include <memory>

// The program's persistent settings (what a Windows build keeps in the registry):
// organisation "TAMSEL", application "Nuv Sorvel".
std::unique_ptr<QSettings> openSettings();
