#include "ordering/CurlRunner.h"

#include "ordering/CurlHandle.h"

namespace {

constexpr int kPollMilliseconds = 10;

// The result of the finished transfer of easy, when the multi handle reports one.
bool takeResult(CURLM* multi, CURL* easy, CURLcode& result)
{
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
            result = message->data.result;
            return true;
        }
    }
    return false;
}

} // namespace

CurlRunner::CurlRunner() : m_multi(curl_multi_init()) {}

CURLcode CurlRunner::perform(CurlHandle& handle, const std::function<void()>& pump)
{
    CURL* easy = handle.get();
    if (!m_multi || !easy)
        return CURLE_FAILED_INIT;
    handle.clearError();
    if (curl_multi_add_handle(m_multi.get(), easy) != CURLM_OK)
        return CURLE_FAILED_INIT;
    CURLcode result = CURLE_FAILED_INIT;
    int running = 1;
    while (true) {
        if (curl_multi_perform(m_multi.get(), &running) != CURLM_OK)
            break;
        if (takeResult(m_multi.get(), easy, result) || running == 0)
            break;
        if (curl_multi_poll(m_multi.get(), nullptr, 0, kPollMilliseconds, nullptr) != CURLM_OK)
            break;
        if (pump)
            pump();
    }
    curl_multi_remove_handle(m_multi.get(), easy);
    return result;
}

void CurlRunner::closeConnections()
{
    m_multi.reset(curl_multi_init());
}
