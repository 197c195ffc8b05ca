#pragma once

#include "ordering/EventPacing.h"
#include "ordering/FtpUploader.h"
#include "ordering/HttpFormClient.h"
#include "ordering/OrderSettings.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The upload window as the transfer sees it.
class TransferView {
public:
    virtual ~TransferView() = default;
    // The transfer went past the folder request: its button is disabled.
    virtual void transferStarted() = 0;
    virtual void showFileName(const QString& text) = 0;
    virtual void setGaugeMaximum(qint64 maximum) = 0;
    virtual void setGaugeProgress(qint64 progress) = 0;
    // The title; closing is the final "moving on" title, drawn in its own colour.
    virtual void showTitle(const QString& text, bool closing) = 0;
    virtual void showResults(const QString& requested, const QString& sent) = 0;
    // A line about the registration that stopped waiting.
    virtual void showNotice(const QString& text) = 0;
    // The registration form could not be built or its request started.
    virtual void registrationNotStarted() = 0;
};

// Sends the registration form through the browser engine the order page uses, so the
// two share the session (cookies).
class RegistrationSender {
public:
    virtual ~RegistrationSender() = default;
    // Starts posting body to url; false when the request cannot be built or started.
    virtual bool startRegistration(const QString& url, const QByteArray& body) = 0;
    virtual bool registrationComplete() const = 0;
    virtual void stopRegistration() = 0;
};

// One order's transfer: ask the web server for the upload folder, upload the file by
// FTP, register it with the form, and show how it went.
class OrderTransfer {
public:
    enum class Outcome {
        FolderRefused,    // the folder request failed: nothing else was done
        ConnectionFailed, // FTP connection, login, directory, or the file's size: stopped
        UploadFailed,     // the upload broke: not registered, closing texts written
        FileMissing,      // the local file had gone: nothing sent, closing texts written
        Sent,             // uploaded and the registration sent (or given up waiting)
    };
    struct Report {
        Outcome outcome = Outcome::FolderRefused;
        QString errorText; // the client's message for a failed step
        bool registrationTimedOut = false;
    };
    struct Request {
        OrderSettings settings;
        QString sessionNumber;
        QString photoTypeName;
        QString uploadFileName;
    };

    OrderTransfer(TransferView& view, RegistrationSender& sender, EventPacing pacing);

    Report run(const Request& request);
    void setPacing(EventPacing pacing) { m_pacing = std::move(pacing); }
    const EventPacing& pacing() const { return m_pacing; }

    // Pixel size and byte size of the last uploaded JPEG, kept from order to order.
    QString ImageWidthText;
    QString ImageHeightText;
    QString FileSizeText;

    // Called right before the local file is looked for (lets a test remove it).
    std::function<void()> beforeUpload;

private:
    Report transfer(const Request& request, const QString& key);
    Report upload(const Request& request, const QByteArray& data);
    void measureJpeg(const QString& fileName, const QByteArray& data);
    // Posts the form and waits for its page, at most the configured time.
    bool registerUpload(const Request& request, const QString& remoteName);
    void writeClosingTexts(bool uploadFailed);

    TransferView& m_view;
    RegistrationSender& m_sender;
    EventPacing m_pacing;
    HttpFormClient m_http;
    FtpUploader m_ftp;
};
