#include "ordering/HttpFormClient.h"

namespace {

size_t discardReply(char*, size_t size, size_t count, void*)
{
    return size * count;
}

} // namespace

HttpFormClient::HttpFormClient(int timeoutSeconds)
{
    CURL* easy = m_handle.get();
    if (!easy)
        return;
    m_handle.setHeaders(
        {"Accept: text/html, */*", "Content-Type: application/x-www-form-urlencoded"});
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Mozilla/3.0 (compatible; Indy Library)");
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, ""); // cookies kept in memory
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, discardReply);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeoutSeconds));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT, static_cast<long>(timeoutSeconds));
}

TransferResult HttpFormClient::post(const QString& url, const QByteArray& body,
                                    const std::function<void()>& pump)
{
    CURL* easy = m_handle.get();
    if (!easy)
        return {false, QStringLiteral("libcurl could not be started")};
    const QByteArray address = url.toUtf8();
    curl_easy_setopt(easy, CURLOPT_URL, address.constData());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, body.constData());
    const CURLcode code = m_runner.perform(m_handle, pump);
    if (code != CURLE_OK)
        return {false, m_handle.errorText(code)};
    return {true, {}};
}
