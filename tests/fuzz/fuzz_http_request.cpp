// Requests to the metrics endpoint through the request reader, in the pieces the first
// input byte chooses. Whatever arrives, the reader ends in one state that does not change
// with later bytes, never keeps more than its bounds, and the planned answer is one of
// the statuses the endpoint sends; a completed request line holds only printable bytes.
#include "http_request.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = 1 + data[0] % 64;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const std::size_t length = size - 1;

    HttpRequestReader reader;
    HttpReadState state = HttpReadState::Incomplete;
    for (std::size_t at = 0; at < length; at += piece) {
        const HttpReadState before = state;
        state = reader.Feed(bytes + at, piece < length - at ? piece : length - at);
        if (before != HttpReadState::Incomplete && state != before) {
            std::abort();  // a final state changed
        }
    }
    if (state == HttpReadState::Complete) {
        if (reader.Method().empty() || reader.Path().size() > HttpRequestReader::kMaxRequestLine) {
            std::abort();
        }
        for (char c : reader.Method() + reader.Path()) {
            if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
                std::abort();
            }
        }
    }
    if (state == HttpReadState::Incomplete && length > HttpRequestReader::kMaxRequestHead) {
        std::abort();  // past the bound without a verdict
    }
    const HttpAnswerPlan plan = PlanAnswer(reader);
    switch (plan.status) {
    case 200: case 400: case 404: case 405: case 414: case 431:
        break;
    default:
        std::abort();
    }
    if (plan.sendMetrics != (plan.status == 200)) {
        std::abort();
    }
    const std::string response = BuildHttpResponse(plan.status, "text/plain", ErrorBody(plan.status), plan.headOnly);
    if (response.compare(0, 9, "HTTP/1.1 ") != 0) {
        std::abort();
    }
    return 0;
}
