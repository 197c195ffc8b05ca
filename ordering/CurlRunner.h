#pragma once

#include <curl/curl.h>

#include <functional>
#include <memory>

class CurlHandle;

// Runs transfers through one libcurl multi handle so that the caller's event loop keeps
// running meanwhile, and so that consecutive transfers reuse its open connections.
class CurlRunner {
public:
    CurlRunner();

    // Runs the handle's transfer to its end, calling pump between waits for the network
    // (at most every 10 ms). Returns the transfer's result.
    CURLcode perform(CurlHandle& handle, const std::function<void()>& pump);
    // Closes every connection kept open for reuse.
    void closeConnections();

private:
    struct MultiCleanup {
        void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
    };
    std::unique_ptr<CURLM, MultiCleanup> m_multi;
};
