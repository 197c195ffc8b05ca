#pragma once

#include "ordering/OrderSettings.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// The reference print service on loopback ports of its own choosing, started by a test
// or a benchmark and stopped with it, and read back from its record.
class PrintServiceProcess {
public:
    // Starts the service with the given fault switches and waits (at most 15 s) until
    // it listens; started() says whether it did.
    explicit PrintServiceProcess(const QStringList& faults = {},
                                 const QStringList& extraArguments = {});
    ~PrintServiceProcess();
    PrintServiceProcess(const PrintServiceProcess&) = delete;
    PrintServiceProcess& operator=(const PrintServiceProcess&) = delete;

    bool started() const { return m_httpPort > 0 && m_ftpPort > 0; }
    // Stops the service; its ports then stay free for a while (nothing answers there).
    void stop();
    int httpPort() const { return m_httpPort; }
    int ftpPort() const { return m_ftpPort; }
    QString root() const { return m_root.path(); }
    // Order settings that point at this service; registrations wait at most
    // timeoutSeconds.
    OrderSettings settings(int timeoutSeconds = 30) const;

    // Rows of a query on the record, each a list of columns (as text; use hex() for
    // bytes).
    QList<QStringList> query(const QString& sql) const;

private:
    QTemporaryDir m_root;
    QProcess m_process;
    int m_httpPort = 0;
    int m_ftpPort = 0;
};
