#pragma once

#include <QByteArray>
#include <QString>

// What an order sends, as pure functions of its values.

// The first character of the run's number: it names the upload folder.
QString folderKey(const QString& sessionNumber);
// The folder request's body: "fc=" + key.
QByteArray folderRequestBody(const QString& key);
// The FTP directory of the folder: "TempAlbum/" + key.
QString remoteDirectory(const QString& key);

// The fields of the registration form.
struct RegistrationFields {
    QString sessionNumber;
    QString remoteName;
    QString widthText;
    QString heightText;
    QString sizeText;
    QString photoTypeName;
};
// id, imgfile, imgwidth, imgheight, imgsize and type7, in this order, each form-encoded
// in the Korean code page.
QByteArray registrationBody(const RegistrationFields& fields);

// The order page of the run: orderPageUrl + "?id=" + the run's number.
QString orderPageAddress(const QString& orderPageUrl, const QString& sessionNumber);
