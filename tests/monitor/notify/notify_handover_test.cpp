// kelvixd's hand-over to its request helper: a request and an outcome survive the trip
// byte for byte, and anything cut short or padded is no request.
#include "notify_web_handover.h"

#include <gtest/gtest.h>

namespace {

TEST(NotifyHandover, CarriesEveryFieldOfARequest)
{
    WebRequest sent;
    sent.url = "https://127.0.0.1:8443/topic";
    sent.method = "PUT";
    sent.contentType = "text/plain; charset=utf-8";
    sent.body = std::string("line 1\n12:34,\0end", 17);
    sent.headers = {"Authorization: Bearer 5:x", "Title: disks"};
    sent.caFile = "/etc/kelvix/ca.pem";
    sent.timeoutMs = 2500;
    WebRequest got;
    ASSERT_TRUE(DecodeWebRequest(EncodeWebRequest(sent), got));
    EXPECT_EQ(got.url, sent.url);
    EXPECT_EQ(got.method, sent.method);
    EXPECT_EQ(got.contentType, sent.contentType);
    EXPECT_EQ(got.body, sent.body);
    EXPECT_EQ(got.headers, sent.headers);
    EXPECT_EQ(got.caFile, sent.caFile);
    EXPECT_EQ(got.timeoutMs, sent.timeoutMs);
}

TEST(NotifyHandover, RefusesWhatIsNotOneWholeRequest)
{
    WebRequest sent;
    sent.url = "http://127.0.0.1/x";
    sent.headers = {"A: b"};
    const std::string bytes = EncodeWebRequest(sent);
    WebRequest got;
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        EXPECT_FALSE(DecodeWebRequest(bytes.substr(0, cut), got)) << cut;
    }
    EXPECT_FALSE(DecodeWebRequest(bytes + "0:", got));
    EXPECT_FALSE(DecodeWebRequest("99999999:x", got));
}

TEST(NotifyHandover, CarriesTheOutcome)
{
    const WebOutcome answers[] = {{true, 204, ""}, {false, 503, ""}, {false, 0, "SSL certificate problem"}};
    for (const WebOutcome& sent : answers) {
        WebOutcome got;
        ASSERT_TRUE(DecodeWebOutcome(EncodeWebOutcome(sent), got));
        EXPECT_EQ(DescribeWeb(got), DescribeWeb(sent));
        EXPECT_EQ(got.error, sent.error);
    }
    WebOutcome got;
    EXPECT_FALSE(DecodeWebOutcome("1:1", got));
    EXPECT_FALSE(DecodeWebOutcome("1:2" "3:200" "0:", got));
}

}  // namespace
