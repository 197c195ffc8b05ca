#include "ordering/CurlHandle.h"

#include <mutex>

namespace {

void initialiseCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

CurlHandle::CurlHandle()
{
    initialiseCurlOnce();
    m_easy.reset(curl_easy_init());
    if (m_easy)
        curl_easy_setopt(m_easy.get(), CURLOPT_ERRORBUFFER, m_error.data());
}

void CurlHandle::setHeaders(const QList<QByteArray>& headers)
{
    curl_slist* list = nullptr;
    for (const QByteArray& header : headers) {
        curl_slist* longer = curl_slist_append(list, header.constData());
        if (!longer)
            break;
        list = longer;
    }
    m_headers.reset(list);
    if (m_easy)
        curl_easy_setopt(m_easy.get(), CURLOPT_HTTPHEADER, list);
}

QString CurlHandle::errorText(CURLcode code) const
{
    if (m_error[0] != '\0')
        return QString::fromLocal8Bit(m_error.data());
    return QString::fromLocal8Bit(curl_easy_strerror(code));
}
