#include "notify_web_handover.h"

#include <cstdlib>

namespace {

constexpr std::size_t kMaxField = 1 << 20;  // a body or header larger is not a request
constexpr std::size_t kMaxHeaders = 64;

void Put(std::string& out, const std::string& field)
{
    out += std::to_string(field.size());
    out += ':';
    out += field;
}

class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}

    bool Field(std::string& field)
    {
        std::size_t length = 0;
        std::size_t digits = 0;
        while (at_ < bytes_.size() && bytes_[at_] >= '0' && bytes_[at_] <= '9' && digits < 8) {
            length = length * 10 + static_cast<std::size_t>(bytes_[at_] - '0');
            ++at_;
            ++digits;
        }
        if (digits == 0 || length > kMaxField || at_ >= bytes_.size() || bytes_[at_] != ':' ||
            bytes_.size() - at_ - 1 < length) {
            return false;
        }
        field.assign(bytes_, at_ + 1, length);
        at_ += 1 + length;
        return true;
    }

    bool Number(unsigned long& value)
    {
        std::string text;
        if (!Field(text) || text.empty() || text.size() > 10 ||
            text.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        value = std::strtoul(text.c_str(), nullptr, 10);
        return true;
    }

    bool AtEnd() const { return at_ == bytes_.size(); }

private:
    const std::string& bytes_;
    std::size_t at_ = 0;
};

}  // namespace

std::string EncodeWebRequest(const WebRequest& request)
{
    std::string out;
    Put(out, request.url);
    Put(out, request.method);
    Put(out, request.contentType);
    Put(out, request.body);
    Put(out, request.caFile);
    Put(out, std::to_string(request.timeoutMs));
    Put(out, std::to_string(request.headers.size()));
    for (const std::string& header : request.headers) {
        Put(out, header);
    }
    return out;
}

bool DecodeWebRequest(const std::string& bytes, WebRequest& request)
{
    Reader in(bytes);
    WebRequest got;
    unsigned long timeout = 0;
    unsigned long headers = 0;
    if (!in.Field(got.url) || !in.Field(got.method) || !in.Field(got.contentType) || !in.Field(got.body) ||
        !in.Field(got.caFile) || !in.Number(timeout) || !in.Number(headers) || headers > kMaxHeaders) {
        return false;
    }
    got.timeoutMs = static_cast<unsigned>(timeout);
    got.headers.resize(headers);
    for (std::string& header : got.headers) {
        if (!in.Field(header)) {
            return false;
        }
    }
    if (!in.AtEnd()) {
        return false;
    }
    request = std::move(got);
    return true;
}

std::string EncodeWebOutcome(const WebOutcome& outcome)
{
    std::string out;
    Put(out, outcome.delivered ? "1" : "0");
    Put(out, std::to_string(outcome.status));
    Put(out, outcome.error);
    return out;
}

bool DecodeWebOutcome(const std::string& bytes, WebOutcome& outcome)
{
    Reader in(bytes);
    WebOutcome got;
    unsigned long delivered = 0;
    unsigned long status = 0;
    if (!in.Number(delivered) || delivered > 1 || !in.Number(status) || status > 999 || !in.Field(got.error) ||
        !in.AtEnd()) {
        return false;
    }
    got.delivered = delivered == 1;
    got.status = static_cast<long>(status);
    outcome = std::move(got);
    return true;
}
