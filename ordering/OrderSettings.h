#pragma once

#include <QString>

class QSettings;

// The FTP account the uploads go to.
struct FtpAccount {
    QString host;
    int port = 21;
    QString user;
    QString password;
};

// Where the print service lives: a deployment setting, read from the program's settings
// under ServiceHost, FtpHost, FtpPort, FtpUser, FtpPassword and
// RegistrationTimeoutSeconds.
struct OrderSettings {
    QString serviceHost; // "http://host[:port]", without a trailing '/'
    FtpAccount ftp;
    int registrationTimeoutSeconds = 30;

    QString makeDirUrl() const;
    QString sendResultUrl() const;
    QString orderPageUrl() const;
    // The two pages the main window's links open in the desktop's browser.
    QString picturePrintUrl() const;
    QString siteUrl() const;
};

// Missing or unusable values fall back to their defaults; FtpHost defaults to the web
// address's host.
OrderSettings readOrderSettings(const QSettings& settings);
