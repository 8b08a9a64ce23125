// HttpRequestReader: reads the head of one HTTP/1.x request as it arrives, in pieces of
// any size, keeping only the request line. Bounded: a request line longer than
// kMaxRequestLine or a head longer than kMaxRequestHead is refused as soon as the limit
// is passed, without keeping the rest.
#pragma once

#include <cstddef>
#include <string>

enum class HttpReadState {
    Incomplete,      // more bytes are wanted
    Complete,        // the head ended with an empty line; the request line is valid
    LineTooLong,     // the request line passed kMaxRequestLine
    HeadTooLarge,    // the head passed kMaxRequestHead
    Malformed,       // not a request line of the form "METHOD target HTTP/1.x"
};

class HttpRequestReader {
public:
    static constexpr std::size_t kMaxRequestLine = 2048;
    static constexpr std::size_t kMaxRequestHead = 16384;

    // Takes the next bytes; once the state is not Incomplete, further bytes are ignored.
    HttpReadState Feed(const char* data, std::size_t size);
    HttpReadState State() const { return state_; }

    // Valid once Complete: the method and the path (the target without its query).
    const std::string& Method() const { return method_; }
    const std::string& Path() const { return path_; }
    // The query after '?', without it; empty when there is none.
    const std::string& Query() const { return query_; }

private:
    HttpReadState ParseRequestLine();

    HttpReadState state_ = HttpReadState::Incomplete;
    std::string line_;
    bool lineEnded_ = false;
    std::size_t headBytes_ = 0;
    // Line feeds seen since the last byte that was not CR or LF, after the request line:
    // the head ends at the second one.
    unsigned lineFeedsInRow_ = 0;
    std::string method_;
    std::string path_;
    std::string query_;
};

// What the metrics endpoint answers a request with.
struct HttpAnswerPlan {
    int status = 400;
    bool sendMetrics = false;  // 200: the metrics page follows (without it for HEAD)
    bool sendWeb = false;      // the web page's site answers (any path but /metrics)
    bool headOnly = false;
};
// `webOn`: the web page and its API share the port; without it only /metrics is found.
HttpAnswerPlan PlanAnswer(const HttpRequestReader& request, bool webOn = false);

// The short text body of an error status: its reason phrase and a line feed.
std::string ErrorBody(int status);

// A whole HTTP/1.1 response that closes the connection; headOnly leaves the body out
// but keeps its length. `extraHeaders`: whole header lines, each ended by CR LF.
std::string BuildHttpResponse(int status, const char* contentType, const std::string& body, bool headOnly,
                              const char* extraHeaders = "");
