// The Linux web request: libcurl with the system's certificate store; certificates are
// always checked, CaFile adds trusted ones.
#include "notify_transport.h"

#include <curl/curl.h>

#include <mutex>

namespace {

std::once_flag g_curlReady;

std::size_t Discard(char*, std::size_t size, std::size_t count, void*)
{
    return size * count;  // the answer's body is not needed
}

int Progress(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<CancelToken*>(cancel)->Cancelled() ? 1 : 0;
}

struct CurlHandle {
    CURL* curl = curl_easy_init();
    curl_slist* headers = nullptr;
    ~CurlHandle()
    {
        curl_slist_free_all(headers);
        if (curl != nullptr) {
            curl_easy_cleanup(curl);
        }
    }
};

}  // namespace

WebOutcome SendWebRequest(const WebRequest& request, CancelToken& cancel)
{
    std::call_once(g_curlReady, []() { curl_global_init(CURL_GLOBAL_DEFAULT); });
    WebOutcome outcome;
    CurlHandle handle;
    CURL* curl = handle.curl;
    if (curl == nullptr) {
        outcome.error = "the HTTP library could not start";
        return outcome;
    }
    char error[CURL_ERROR_SIZE] = "";
    for (const std::string& header : request.headers) {
        handle.headers = curl_slist_append(handle.headers, header.c_str());
    }
    const std::string contentType = "Content-Type: " + request.contentType;
    handle.headers = curl_slist_append(handle.headers, contentType.c_str());
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.body.size()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, handle.headers);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "kelvix-notify");
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeoutMs));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!request.caFile.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, request.caFile.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &cancel);
    const CURLcode code = curl_easy_perform(curl);
    if (code != CURLE_OK) {
        outcome.error = cancel.Cancelled() ? std::string("stopped") : error[0] != '\0' ? std::string(error)
                                                                                       : curl_easy_strerror(code);
        return outcome;
    }
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &outcome.status);
    outcome.delivered = outcome.status >= 200 && outcome.status < 300;
    return outcome;
}

