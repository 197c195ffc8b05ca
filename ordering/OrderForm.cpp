#include "ordering/OrderForm.h"

#include "common/UrlEncode.h"

QString folderKey(const QString& sessionNumber)
{
    return sessionNumber.left(1);
}

QByteArray folderRequestBody(const QString& key)
{
    return "fc=" + key.toLatin1();
}

QString remoteDirectory(const QString& key)
{
    return QStringLiteral("TempAlbum/") + key;
}

QByteArray registrationBody(const RegistrationFields& fields)
{
    return "id=" + UrlEncode(fields.sessionNumber) + "&imgfile=" + UrlEncode(fields.remoteName) +
           "&imgwidth=" + UrlEncode(fields.widthText) +
           "&imgheight=" + UrlEncode(fields.heightText) + "&imgsize=" + UrlEncode(fields.sizeText) +
           "&type7=" + UrlEncode(fields.photoTypeName);
}

QString orderPageAddress(const QString& orderPageUrl, const QString& sessionNumber)
{
    return orderPageUrl + QStringLiteral("?id=") + sessionNumber;
}
