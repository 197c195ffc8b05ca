#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <curl/curl.h>

#include <array>
#include <memory>

// One libcurl easy handle with its header list and error buffer, released with it.
// libcurl's global state is set up once, by the first handle.
class CurlHandle {
public:
    CurlHandle();

    CURL* get() const { return m_easy.get(); }
    // Replaces the extra request headers ("Name: value" lines).
    void setHeaders(const QList<QByteArray>& headers);
    // What went wrong: libcurl's detailed message when it left one, else the code's text.
    QString errorText(CURLcode code) const;
    void clearError() { m_error[0] = '\0'; }

private:
    struct EasyCleanup {
        void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
    };
    struct ListCleanup {
        void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    };
    std::unique_ptr<CURL, EasyCleanup> m_easy;
    std::unique_ptr<curl_slist, ListCleanup> m_headers;
    std::array<char, CURL_ERROR_SIZE> m_error{};
};
