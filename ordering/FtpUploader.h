#pragma once

#include "ordering/CurlHandle.h"
#include "ordering/CurlRunner.h"
#include "ordering/OrderSettings.h"
#include "ordering/TransferResult.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The order's FTP client: binary transfers in active mode (the server connects to the
// port the client announces with PORT), no proxy. open() connects, logs in and changes to
// the directory; store() then sends one file over the same connection.
class FtpUploader {
public:
    // Bytes sent so far of the file being stored.
    using Progress = std::function<void(qint64 sent)>;

    explicit FtpUploader(int timeoutSeconds = 30);
    ~FtpUploader();

    TransferResult open(const FtpAccount& account, const QString& directory,
                        const std::function<void()>& pump);
    // STOR remoteName with data (a new file) in the opened directory.
    TransferResult store(const QString& remoteName, const QByteArray& data,
                         const Progress& progress, const std::function<void()>& pump);
    // Drops the connection.
    void close();

private:
    struct Upload {
        const QByteArray* data = nullptr;
        qint64 offset = 0;
        qint64 reported = -1;
        const Progress* progress = nullptr;
    };
    static size_t readData(char* buffer, size_t size, size_t count, void* upload);
    static int reportProgress(void* upload, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent);

    CurlHandle m_handle;
    CurlRunner m_runner;
    QByteArray m_directoryUrl;
    Upload m_upload;
};
