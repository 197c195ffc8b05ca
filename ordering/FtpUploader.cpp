#include "ordering/FtpUploader.h"

#include <QUrl>

#include <algorithm>
#include <cstring>

FtpUploader::FtpUploader(int timeoutSeconds)
{
    CURL* easy = m_handle.get();
    if (!easy)
        return;
    // One "CWD TempAlbum/4" instead of a CWD per path segment.
    curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    // Active mode on the control connection's address, announced with PORT.
    curl_easy_setopt(easy, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(easy, CURLOPT_FTP_USE_EPRT, 0L);
    curl_easy_setopt(easy, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeoutSeconds));
    curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(timeoutSeconds));
    curl_easy_setopt(easy, CURLOPT_ACCEPTTIMEOUT_MS, timeoutSeconds * 1000L);
    // A data connection that stalls for the whole limit counts as broken.
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(timeoutSeconds));
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, readData);
    curl_easy_setopt(easy, CURLOPT_READDATA, &m_upload);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, reportProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &m_upload);
}

FtpUploader::~FtpUploader() = default;

TransferResult FtpUploader::open(const FtpAccount& account, const QString& directory,
                                 const std::function<void()>& pump)
{
    CURL* easy = m_handle.get();
    if (!easy)
        return {false, QStringLiteral("libcurl could not be started")};
    QUrl url;
    url.setScheme(QStringLiteral("ftp"));
    url.setHost(account.host);
    url.setPort(account.port);
    url.setPath(u'/' + directory + u'/');
    m_directoryUrl = url.toEncoded();
    const QByteArray user = account.user.toUtf8();
    const QByteArray password = account.password.toUtf8();
    curl_easy_setopt(easy, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, password.constData());
    curl_easy_setopt(easy, CURLOPT_URL, m_directoryUrl.constData());
    // Without a body libcurl stops after the directory change.
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 1L);
    const CURLcode code = m_runner.perform(m_handle, pump);
    if (code != CURLE_OK) {
        close();
        return {false, m_handle.errorText(code)};
    }
    return {true, {}};
}

TransferResult FtpUploader::store(const QString& remoteName, const QByteArray& data,
                                  const Progress& progress, const std::function<void()>& pump)
{
    CURL* easy = m_handle.get();
    if (!easy || m_directoryUrl.isEmpty())
        return {false, QStringLiteral("not connected")};
    const QByteArray url = m_directoryUrl + QUrl::toPercentEncoding(remoteName);
    m_upload = {&data, 0, -1, &progress};
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(easy, CURLOPT_APPEND, 0L);
    curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(data.size()));
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, progress ? 0L : 1L);
    const CURLcode code = m_runner.perform(m_handle, pump);
    m_upload = {};
    if (code != CURLE_OK)
        return {false, m_handle.errorText(code)};
    return {true, {}};
}

void FtpUploader::close()
{
    m_runner.closeConnections();
    m_directoryUrl.clear();
}

size_t FtpUploader::readData(char* buffer, size_t size, size_t count, void* upload)
{
    auto* state = static_cast<Upload*>(upload);
    if (!state->data)
        return CURL_READFUNC_ABORT;
    const qint64 left = state->data->size() - state->offset;
    const qint64 chunk = std::min<qint64>(left, static_cast<qint64>(size * count));
    std::memcpy(buffer, state->data->constData() + state->offset, static_cast<size_t>(chunk));
    state->offset += chunk;
    return static_cast<size_t>(chunk);
}

// libcurl calls this often with unchanged figures; the caller hears of each change once.
int FtpUploader::reportProgress(void* upload, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent)
{
    auto* state = static_cast<Upload*>(upload);
    if (!state->progress || !*state->progress || sent == state->reported)
        return 0;
    state->reported = sent;
    (*state->progress)(sent);
    return 0;
}
