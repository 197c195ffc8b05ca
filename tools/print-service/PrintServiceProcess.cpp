#include "tools/print-service/PrintServiceProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRegularExpression>

namespace {

const QString kServiceScript = QStringLiteral(IDPHOTO_PRINT_SERVICE_SCRIPT);
constexpr int kStartLimitMilliseconds = 15000;

OrderSettings loopbackSettings(int httpPort, int ftpPort, int timeoutSeconds)
{
    OrderSettings settings;
    settings.serviceHost = QStringLiteral("http://127.0.0.1:%1").arg(httpPort);
    settings.ftp = {QStringLiteral("127.0.0.1"), ftpPort, QStringLiteral("Administrator"),
                    QStringLiteral("4181926")};
    settings.registrationTimeoutSeconds = timeoutSeconds;
    return settings;
}

} // namespace

PrintServiceProcess::PrintServiceProcess(const QStringList& faults,
                                         const QStringList& extraArguments)
{
    QStringList arguments{kServiceScript,      QStringLiteral("--http-port"),
                          QStringLiteral("0"), QStringLiteral("--ftp-port"),
                          QStringLiteral("0"), QStringLiteral("--root"),
                          m_root.path()};
    for (const QString& fault : faults)
        arguments << QStringLiteral("--fault") << fault;
    arguments << extraArguments;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("/usr/bin/python3"), arguments);
    const QDeadlineTimer deadline(kStartLimitMilliseconds);
    static const QRegularExpression ready(QStringLiteral("ready http=(\\d+) ftp=(\\d+)"));
    QByteArray output;
    while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        m_process.waitForReadyRead(100);
        output += m_process.readAllStandardOutput();
        const QRegularExpressionMatch match = ready.match(QString::fromUtf8(output));
        if (match.hasMatch()) {
            m_httpPort = match.captured(1).toInt();
            m_ftpPort = match.captured(2).toInt();
            return;
        }
    }
}

PrintServiceProcess::~PrintServiceProcess()
{
    stop();
}

void PrintServiceProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

OrderSettings PrintServiceProcess::settings(int timeoutSeconds) const
{
    return loopbackSettings(m_httpPort, m_ftpPort, timeoutSeconds);
}

QList<QStringList> PrintServiceProcess::query(const QString& sql) const
{
    QProcess sqlite;
    sqlite.start(QStringLiteral("sqlite3"),
                 {QStringLiteral("-separator"), QStringLiteral("\t"),
                  m_root.filePath(QStringLiteral("record.sqlite")), sql});
    sqlite.waitForFinished(10000);
    QList<QStringList> rows;
    const QString text = QString::fromUtf8(sqlite.readAllStandardOutput());
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts))
        rows.append(line.split(u'\t'));
    return rows;
}
