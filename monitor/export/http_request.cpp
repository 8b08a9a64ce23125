#include "http_request.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsTokenChar(char c)
{
    // RFC 9110 tchar
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
        return true;
    }
    return c != '\0' && std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

bool IsTargetChar(char c)
{
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte < 0x7F;
}

const char* ReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Content Too Large";
    case 414: return "URI Too Long";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    default: return "Error";
    }
}

}  // namespace

HttpReadState HttpRequestReader::Feed(const char* data, std::size_t size)
{
    for (std::size_t i = 0; i < size && state_ == HttpReadState::Incomplete; ++i) {
        const char c = data[i];
        if (++headBytes_ > kMaxRequestHead) {
            state_ = HttpReadState::HeadTooLarge;
            break;
        }
        if (!lineEnded_) {
            if (c == '\n') {
                lineEnded_ = true;
                lineFeedsInRow_ = 1;
                if (!line_.empty() && line_.back() == '\r') {
                    line_.pop_back();
                }
                const HttpReadState parsed = ParseRequestLine();
                if (parsed != HttpReadState::Incomplete) {
                    state_ = parsed;
                }
            } else if (line_.size() >= kMaxRequestLine) {
                state_ = HttpReadState::LineTooLong;
            } else {
                line_ += c;
            }
            continue;
        }
        if (c == '\n') {
            if (++lineFeedsInRow_ == 2) {
                state_ = HttpReadState::Complete;
            }
        } else if (c != '\r') {
            lineFeedsInRow_ = 0;
        }
    }
    return state_;
}

HttpReadState HttpRequestReader::ParseRequestLine()
{
    // METHOD SP request-target SP HTTP/1.x, single spaces, nothing else.
    const std::size_t firstSpace = line_.find(' ');
    if (firstSpace == std::string::npos || firstSpace == 0) {
        return HttpReadState::Malformed;
    }
    const std::size_t secondSpace = line_.find(' ', firstSpace + 1);
    if (secondSpace == std::string::npos || secondSpace == firstSpace + 1) {
        return HttpReadState::Malformed;
    }
    const std::string version = line_.substr(secondSpace + 1);
    if (version.size() != 8 || version.compare(0, 7, "HTTP/1.") != 0 || version[7] < '0' || version[7] > '9') {
        return HttpReadState::Malformed;
    }
    for (std::size_t i = 0; i < firstSpace; ++i) {
        if (!IsTokenChar(line_[i])) {
            return HttpReadState::Malformed;
        }
    }
    for (std::size_t i = firstSpace + 1; i < secondSpace; ++i) {
        if (!IsTargetChar(line_[i])) {
            return HttpReadState::Malformed;
        }
    }
    method_ = line_.substr(0, firstSpace);
    const std::string target = line_.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    const std::size_t question = target.find('?');
    path_ = target.substr(0, question);
    query_ = question == std::string::npos ? std::string() : target.substr(question + 1);
    line_.clear();
    line_.shrink_to_fit();
    return HttpReadState::Incomplete;
}

HttpAnswerPlan PlanAnswer(const HttpRequestReader& request, bool webOn)
{
    HttpAnswerPlan plan;
    switch (request.State()) {
    case HttpReadState::Complete:
        break;
    case HttpReadState::LineTooLong:
        plan.status = 414;
        return plan;
    case HttpReadState::HeadTooLarge:
        plan.status = 431;
        return plan;
    case HttpReadState::Incomplete:
    case HttpReadState::Malformed:
        plan.status = 400;
        return plan;
    }
    const bool get = request.Method() == "GET";
    const bool head = request.Method() == "HEAD";
    if (!get && !head) {
        plan.status = 405;
    } else if (request.Path() == "/metrics") {
        plan.status = 200;
        plan.sendMetrics = true;
    } else if (webOn) {
        plan.status = 200;  // the site tells its own status
        plan.sendWeb = true;
    } else {
        plan.status = 404;
    }
    plan.headOnly = head;
    return plan;
}

std::string BuildHttpResponse(int status, const char* contentType, const std::string& body, bool headOnly,
                              const char* extraHeaders)
{
    char head[384];
    const int length = std::snprintf(head, sizeof head,
        "HTTP/1.1 %d %s\r\n"
        "Content-Type: %s\r\n"
        "Content-Length: %zu\r\n"
        "%s",
        status, ReasonPhrase(status), contentType, body.size(), status == 405 ? "Allow: GET, HEAD\r\n" : "");
    std::string response(head, length > 0 ? static_cast<std::size_t>(length) : 0);
    response += extraHeaders;
    response += "Connection: close\r\n\r\n";
    if (!headOnly) {
        response += body;
    }
    return response;
}

std::string ErrorBody(int status)
{
    return std::string(ReasonPhrase(status)) + "\n";
}
