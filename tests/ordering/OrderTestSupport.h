#pragma once

#include "tools/print-service/PrintServiceProcess.h"

#include "ordering/EventPacing.h"
#include "raster/RasterBitmap.h"
#include "ui/DialogHost.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class QWidget;

// What the order tests share: the print sheet, a temporary directory for the order's
// JPEG, pauses that are recorded instead of slept, and an order page runner that waits
// for the page to load.
namespace order_test {

// A 1520 × 1020 sheet of noise, so that its JPEG is large (about 1.5 MB).
RasterBitmap noiseSheet();

// Points the system directory (the temporary directory) at a fresh folder for the
// test's lifetime.
class SystemDirectoryScope {
public:
    SystemDirectoryScope();
    explicit SystemDirectoryScope(const QString& path);
    ~SystemDirectoryScope();
    SystemDirectoryScope(const SystemDirectoryScope&) = delete;
    SystemDirectoryScope& operator=(const SystemDirectoryScope&) = delete;
    QString path() const;
    // The order JPEGs left in it.
    QStringList leftovers() const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    QByteArray m_previous;
};

// Fixed pauses that only note their length and process pending events once; polls wait.
struct PauseLog {
    QList<int> pauses;
    EventPacing pacing();
};

// Runs the order page: waits (at most 30 s) for its page to load and keeps what it saw.
struct OrderPageLog {
    QStringList addresses;
    QStringList texts;
    QList<qint64> renderers; // the process that drew each page
    bool maximised = false;
    DialogHost host(QWidget* owner);
};

} // namespace order_test
