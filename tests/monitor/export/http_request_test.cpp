// The request reader of the metrics endpoint: what each request is answered with, fed
// whole and a byte at a time, and the bounds on what it keeps.
#include "http_request.h"

#include <gtest/gtest.h>

#include <string>

namespace {

HttpAnswerPlan PlanFor(const std::string& request, std::size_t piece)
{
    HttpRequestReader reader;
    for (std::size_t at = 0; at < request.size() && reader.State() == HttpReadState::Incomplete; at += piece) {
        reader.Feed(request.data() + at, std::min(piece, request.size() - at));
    }
    return PlanAnswer(reader);
}

TEST(HttpRequest, EachRequestGetsItsStatus)
{
    struct Case {
        std::string request;
        int status;
        bool headOnly;
    };
    const Case cases[] = {
        {"GET /metrics HTTP/1.1\r\nHost: a\r\nAccept: */*\r\n\r\n", 200, false},
        {"GET /metrics HTTP/1.0\r\n\r\n", 200, false},
        {"GET /metrics?name[]=x HTTP/1.1\r\n\r\n", 200, false},
        {"GET /metrics HTTP/1.1\n\n", 200, false},
        {"HEAD /metrics HTTP/1.1\r\n\r\n", 200, true},
        {"GET / HTTP/1.1\r\n\r\n", 404, false},
        {"GET /metrics/ HTTP/1.1\r\n\r\n", 404, false},
        {"GET /METRICS HTTP/1.1\r\n\r\n", 404, false},
        {"POST /metrics HTTP/1.1\r\nContent-Length: 0\r\n\r\n", 405, false},
        {"DELETE /x HTTP/1.1\r\n\r\n", 405, false},
        {"get /metrics HTTP/1.1\r\n\r\n", 405, false},
        {"GET /metrics\r\n\r\n", 400, false},
        {"GET  /metrics HTTP/1.1\r\n\r\n", 400, false},
        {"GET /metrics HTTP/2.0\r\n\r\n", 400, false},
        {"GET /metrics HTTP/1.1 \r\n\r\n", 400, false},
        {"GET /met rics HTTP/1.1\r\n\r\n", 400, false},
        {"G(T /metrics HTTP/1.1\r\n\r\n", 400, false},
        {"\r\n\r\n", 400, false},
        {"GET /\x01 HTTP/1.1\r\n\r\n", 400, false},
        {std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03\n\n", 13), 400, false},
        {std::string("GET /metrics\0 HTTP/1.1\r\n\r\n", 26), 400, false},
    };
    for (const Case& c : cases) {
        for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{4096}}) {
            const HttpAnswerPlan plan = PlanFor(c.request, piece);
            EXPECT_EQ(plan.status, c.status) << c.request << " in pieces of " << piece;
            EXPECT_EQ(plan.sendMetrics, c.status == 200) << c.request;
            if (c.status == 200) {
                EXPECT_EQ(plan.headOnly, c.headOnly) << c.request;
            }
        }
    }
}

// With the web page on, every GET or HEAD but /metrics goes to the site with its query;
// the methods and the malformed stay refused here.
TEST(HttpRequest, WebPageTakesThePathsMetricsDoesNot)
{
    struct Case {
        std::string request;
        int status;
        bool web;
        const char* path;
        const char* query;
    };
    const Case cases[] = {
        {"GET / HTTP/1.1\r\n\r\n", 200, true, "/", ""},
        {"HEAD /api/v1/drives HTTP/1.1\r\n\r\n", 200, true, "/api/v1/drives", ""},
        {"GET /api/v1/history?drive=1&range=day HTTP/1.1\r\n\r\n", 200, true, "/api/v1/history", "drive=1&range=day"},
        {"GET /?a?b HTTP/1.1\r\n\r\n", 200, true, "/", "a?b"},
        {"GET /metrics?x HTTP/1.1\r\n\r\n", 200, false, "/metrics", "x"},
        {"POST / HTTP/1.1\r\n\r\n", 405, false, "/", ""},
        {"OPTIONS /api/v1/drives HTTP/1.1\r\n\r\n", 405, false, "/api/v1/drives", ""},
        {"GET /\x01 HTTP/1.1\r\n\r\n", 400, false, "", ""},
    };
    for (const Case& c : cases) {
        HttpRequestReader reader;
        reader.Feed(c.request.data(), c.request.size());
        const HttpAnswerPlan plan = PlanAnswer(reader, true);
        EXPECT_EQ(plan.status, c.status) << c.request;
        EXPECT_EQ(plan.sendWeb, c.web) << c.request;
        if (c.status != 400) {
            EXPECT_EQ(reader.Path(), c.path);
            EXPECT_EQ(reader.Query(), c.query);
        }
        EXPECT_FALSE(PlanAnswer(reader, false).sendWeb) << "off: " << c.request;
    }
}

TEST(HttpRequest, HeadIsCompleteOnlyAtTheEmptyLine)
{
    HttpRequestReader reader;
    const std::string head = "GET /metrics HTTP/1.1\r\nHost: x\r\n";
    EXPECT_EQ(reader.Feed(head.data(), head.size()), HttpReadState::Incomplete);
    EXPECT_EQ(reader.Feed("\r", 1), HttpReadState::Incomplete);
    EXPECT_EQ(reader.Feed("\n", 1), HttpReadState::Complete);
    EXPECT_EQ(reader.Method(), "GET");
    EXPECT_EQ(reader.Path(), "/metrics");
    EXPECT_EQ(reader.Feed("GET / HTTP/1.1\r\n\r\n", 18), HttpReadState::Complete) << "later bytes change nothing";
    EXPECT_EQ(reader.Path(), "/metrics");
}

TEST(HttpRequest, LongRequestLineIsRefusedAtTheLimitWithoutKeepingTheRest)
{
    HttpRequestReader reader;
    const std::string start = "GET /";
    reader.Feed(start.data(), start.size());
    const std::string filler(HttpRequestReader::kMaxRequestLine - start.size(), 'a');
    EXPECT_EQ(reader.Feed(filler.data(), filler.size()), HttpReadState::Incomplete) << "exactly at the limit";
    EXPECT_EQ(reader.Feed("a", 1), HttpReadState::LineTooLong);
    // A megabyte more is ignored: the state stays and the reader does not grow.
    const std::string megabyte(1 << 20, 'b');
    EXPECT_EQ(reader.Feed(megabyte.data(), megabyte.size()), HttpReadState::LineTooLong);
    EXPECT_EQ(PlanAnswer(reader).status, 414);
}

TEST(HttpRequest, EndlessHeadIsRefused)
{
    HttpRequestReader reader;
    const std::string line = "GET /metrics HTTP/1.1\r\n";
    reader.Feed(line.data(), line.size());
    const std::string header = "X-Padding: 0123456789012345678901234567890123456789\r\n";
    HttpReadState state = HttpReadState::Incomplete;
    std::size_t fed = line.size();
    while (state == HttpReadState::Incomplete && fed < 4 * HttpRequestReader::kMaxRequestHead) {
        state = reader.Feed(header.data(), header.size());
        fed += header.size();
    }
    EXPECT_EQ(state, HttpReadState::HeadTooLarge);
    EXPECT_LE(fed, HttpRequestReader::kMaxRequestHead + header.size());
    EXPECT_EQ(PlanAnswer(reader).status, 431);
}

// A head of exactly the limit is read; one byte more is refused.
TEST(HttpRequest, HeadLimitIsExact)
{
    for (const std::size_t extra : {0u, 1u}) {
        const std::size_t length = HttpRequestReader::kMaxRequestHead + extra;
        std::string head = "GET /metrics HTTP/1.1\r\n";
        while (length - head.size() > 1100) {
            head += "X: " + std::string(1000, 'a') + "\r\n";
        }
        head += "X: " + std::string(length - head.size() - 7, 'a') + "\r\n\r\n";
        ASSERT_EQ(head.size(), length);
        HttpRequestReader reader;
        EXPECT_EQ(reader.Feed(head.data(), head.size()),
                  extra == 0 ? HttpReadState::Complete : HttpReadState::HeadTooLarge)
            << length << " bytes";
    }
}

TEST(HttpResponse, HeadersGiveStatusLengthAndClose)
{
    const std::string body = "a 1\n";
    const std::string full = BuildHttpResponse(200, "text/plain", body, false);
    EXPECT_EQ(full, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 4\r\nConnection: close\r\n\r\na 1\n");
    const std::string head = BuildHttpResponse(200, "text/plain", body, true);
    EXPECT_EQ(head, full.substr(0, full.size() - body.size())) << "HEAD: same headers, no body";
    const std::string refused = BuildHttpResponse(405, "text/plain", ErrorBody(405), false);
    EXPECT_EQ(refused.rfind("HTTP/1.1 405 Method Not Allowed\r\n", 0), 0u);
    EXPECT_NE(refused.find("\r\nAllow: GET, HEAD\r\n"), std::string::npos);
    EXPECT_NE(refused.find("\r\n\r\nMethod Not Allowed\n"), std::string::npos);
    EXPECT_EQ(BuildHttpResponse(200, "a/b", body, true, "X-A: 1\r\nX-B: 2\r\n"),
              "HTTP/1.1 200 OK\r\nContent-Type: a/b\r\nContent-Length: 4\r\nX-A: 1\r\nX-B: 2\r\n"
              "Connection: close\r\n\r\n");
}

}  // namespace
