#pragma once

#include "ordering/CurlHandle.h"
#include "ordering/CurlRunner.h"
#include "ordering/TransferResult.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The order's HTTP client: posts forms as application/x-www-form-urlencoded with the
// header values the print service knows, keeps its cookies for its lifetime and does
// not follow redirects. An error status counts as a failure.
class HttpFormClient {
public:
    explicit HttpFormClient(int timeoutSeconds = 30);

    // Posts body to url and reads the reply, which is not examined.
    TransferResult post(const QString& url, const QByteArray& body,
                        const std::function<void()>& pump);

private:
    CurlHandle m_handle;
    CurlRunner m_runner;
};
