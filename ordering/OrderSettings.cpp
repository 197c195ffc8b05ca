#include "ordering/OrderSettings.h"

#include <QSettings>
#include <QUrl>

namespace {

const QString kDefaultServiceHost = QStringLiteral("http://photo.example.com");
constexpr int kDefaultFtpPort = 21;
constexpr int kDefaultRegistrationTimeout = 30;
// An hour is far beyond any page load; larger values are taken for typing errors.
constexpr int kMaxRegistrationTimeout = 3600;

QString serviceHostFrom(const QSettings& settings)
{
    QString host =
        settings.value(QStringLiteral("ServiceHost"), kDefaultServiceHost).toString().trimmed();
    while (host.endsWith(u'/'))
        host.chop(1);
    if (host.isEmpty())
        return kDefaultServiceHost;
    if (!host.contains(QStringLiteral("://")))
        host.prepend(QStringLiteral("http://"));
    return host;
}

int intSetting(const QSettings& settings, const QString& key, int fallback, int lowest, int highest)
{
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok && value >= lowest && value <= highest ? value : fallback;
}

QString textSetting(const QSettings& settings, const QString& key, const QString& fallback)
{
    const QString value = settings.value(key).toString();
    return value.isEmpty() ? fallback : value;
}

} // namespace

QString OrderSettings::makeDirUrl() const
{
    return serviceHost + QStringLiteral("/makedir2.php");
}

QString OrderSettings::sendResultUrl() const
{
    return serviceHost + QStringLiteral("/sendresult1.asp");
}

QString OrderSettings::orderPageUrl() const
{
    return serviceHost + QStringLiteral("/PORTRAIT_ok2.asp");
}

QString OrderSettings::picturePrintUrl() const
{
    return serviceHost + QStringLiteral("/ActiveUP.asp");
}

QString OrderSettings::siteUrl() const
{
    return serviceHost + u'/';
}

OrderSettings readOrderSettings(const QSettings& settings)
{
    OrderSettings order;
    order.serviceHost = serviceHostFrom(settings);
    order.ftp.host =
        textSetting(settings, QStringLiteral("FtpHost"), QUrl(order.serviceHost).host());
    order.ftp.port = intSetting(settings, QStringLiteral("FtpPort"), kDefaultFtpPort, 1, 65535);
    order.ftp.user =
        textSetting(settings, QStringLiteral("FtpUser"), QStringLiteral("Administrator"));
    order.ftp.password =
        textSetting(settings, QStringLiteral("FtpPassword"), QStringLiteral("4181926"));
    order.registrationTimeoutSeconds =
        intSetting(settings, QStringLiteral("RegistrationTimeoutSeconds"),
                   kDefaultRegistrationTimeout, 1, kMaxRegistrationTimeout);
    return order;
}
