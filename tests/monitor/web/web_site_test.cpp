// The web site without sockets: each path and query gets its status and type, queries
// are read strictly, every outside text is escaped, and the words are the program's own
// texts in UTF-8 (the code page 932 texts converted once).
#include "web_chart.h"
#include "web_page.h"
#include "web_site.h"
#include "web_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

DriveSnapshot Drives()
{
    DriveSnapshot snapshot;
    snapshot.taken = true;
    snapshot.measuredAt = 1796855560;  // 2026-12-09T22:32:40Z
    snapshot.count = 2;
    DriveSnapshotEntry& first = snapshot.drives[0];
    first.driveNumber = 0;
    first.condition = DriveCondition::Temperature;
    first.temperature = 46;
    first.worstTemperature = 48;
    first.verdict.warningTemperature = 45;
    first.verdict.temperature = TemperatureState::Hot;
    first.verdict.health = HealthState::Caution;
    first.verdict.reasonCount = 1;
    first.verdict.reasons[0] = {HealthReasonKind::CountIncreased, HealthState::Caution, 197, 0, 8, 0};
    std::strcpy(first.model, "ST380011A");
    std::strcpy(first.capacity, "80.0GB");
    DriveSnapshotEntry& second = snapshot.drives[1];
    second.driveNumber = 3;
    second.condition = DriveCondition::Sleeping;
    second.verdict.health = HealthState::Good;
    std::strcpy(second.model, "<script>alert(\"x\")</script>'");
    return snapshot;
}

WebSiteInfo Info(Language language = Language::English)
{
    WebSiteInfo info;
    info.hostName = "nas<1>";
    info.version = "9.8.7";
    info.language = language;
    info.refreshSeconds = 30;
    return info;
}

class WebSiteTest : public ::testing::Test {
protected:
    void SetUp() override { board_.Publish(Drives()); }
    SnapshotBoard board_;
    WebSite site_{board_, nullptr, Info()};
};

TEST_F(WebSiteTest, EachPathAndQueryGetsItsStatusAndType)
{
    struct Case {
        const char* path;
        const char* query;
        int status;
        const char* type;  // the start of the content type
    };
    const Case cases[] = {
        {"/", "", 200, "text/html"},
        {"/", "range=week", 200, "text/html"},
        {"/", "range=hour", 400, "text/html"},
        {"/", "n=0", 400, "text/html"},
        {"/drive", "n=3&range=year", 200, "text/html"},
        {"/drive", "n=1", 404, "text/html"},
        {"/drive", "", 400, "text/html"},
        {"/app.js", "", 200, "text/javascript"},
        {"/app.css", "", 200, "text/css"},
        {"/api/v1/drives", "", 200, "application/json"},
        {"/api/v1/drives", "drive=0", 400, "application/json"},
        {"/api/v1/history", "drive=0&range=day", 200, "application/json"},
        {"/api/v1/history", "range=day&drive=3", 200, "application/json"},
        {"/api/v1/history", "drive=7&range=day", 404, "application/json"},
        {"/api/v1/history", "drive=0", 400, "application/json"},
        {"/api/v1/history", "drive=0&range=decade", 400, "application/json"},
        {"/api/v1/history", "drive=0&drive=0&range=day", 400, "application/json"},
        {"/api/v1/history", "drive=-1&range=day", 400, "application/json"},
        {"/api/v1/history", "drive=99999&range=day", 400, "application/json"},
        {"/api/v1/history", "drive=0&range=day&", 400, "application/json"},
        {"/api/v1/history", "drive=%30&range=day", 400, "application/json"},
        {"/api/v2/drives", "", 404, "application/json"},
        {"/api/", "", 404, "application/json"},
        {"/index.html", "", 404, "text/html"},
        {"/metrics/", "", 404, "text/html"},
        {"/../etc/passwd", "", 404, "text/html"},
        {"/favicon.ico", "", 404, "text/html"},
    };
    for (const Case& c : cases) {
        const WebResponse response = site_.Route(c.path, c.query);
        EXPECT_EQ(response.status, c.status) << c.path << "?" << c.query;
        EXPECT_EQ(std::string(response.contentType).rfind(c.type, 0), 0u) << c.path << "?" << c.query;
        if (std::string(c.type) == "application/json" && c.status != 200) {
            EXPECT_EQ(response.body.rfind("{\"error\":{\"status\":" + std::to_string(c.status) + ",\"message\":\"", 0), 0u)
                << response.body;
        }
        EXPECT_EQ(response.cacheable, c.status == 200 && c.path[1] == 'a' && c.path[2] == 'p' && c.path[3] == 'p');
    }
}

TEST(WebQuery, ReadStrictly)
{
    struct Case {
        const char* query;
        bool driveAllowed;
        bool ok;
        unsigned drive;
        const char* range;
    };
    const Case cases[] = {
        {"", true, true, 0, nullptr},
        {"range=month", false, true, 0, "month"},
        {"drive=12&range=year", true, true, 12, "year"},
        {"n=5", true, true, 5, nullptr},
        {"n=5", false, false, 0, nullptr},
        {"drive=5&n=6", true, false, 0, nullptr},
        {"range=", true, false, 0, nullptr},
        {"drive=", true, false, 0, nullptr},
        {"range", true, false, 0, nullptr},
        {"=day", true, false, 0, nullptr},
        {"&", true, false, 0, nullptr},
        {"range=Day", true, false, 0, nullptr},
        {"range=day;drop", true, false, 0, nullptr},
        {"drive=1000", true, false, 0, nullptr},
        {"drive=0x1", true, false, 0, nullptr},
        {"x=1", true, false, 0, nullptr},
    };
    for (const Case& c : cases) {
        WebQuery parsed;
        const char* error = nullptr;
        EXPECT_EQ(ParseWebQuery(c.query, c.driveAllowed, parsed, error), c.ok) << c.query;
        if (c.ok) {
            EXPECT_EQ(parsed.drive, c.drive) << c.query;
            EXPECT_EQ(parsed.range == nullptr ? std::string() : parsed.range, c.range == nullptr ? "" : c.range);
        } else {
            EXPECT_NE(error, nullptr) << c.query;
        }
    }
}

TEST(WebText, HtmlEscapesEveryOutsideText)
{
    struct Case {
        std::string in;
        const char* out;
    };
    const Case cases[] = {
        {"ST380011A", "ST380011A"},
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"a\"b'c&d", "a&quot;b&#39;c&amp;d"},
        {"\xE6\xAD\xA3", "\xE6\xAD\xA3"},             // well-formed UTF-8 kept
        {"\x83\x65\x83\x58", "\xEF\xBF\xBD" "e\xEF\xBF\xBD" "X"},  // not UTF-8: U+FFFD
        {std::string("a\x01\nb", 4), "a  b"},
    };
    for (const Case& c : cases) {
        std::string out;
        AppendHtml(out, c.in);
        EXPECT_EQ(out, c.out) << c.in;
    }
}

TEST(WebText, TemperatureColourByTheDrivesOwnWarning)
{
    struct Case {
        DriveCondition condition;
        unsigned temperature;
        unsigned warning;
        TemperatureState state;
        const char* colour;
    };
    const Case cases[] = {
        {DriveCondition::Temperature, 39, 45, TemperatureState::Normal, "cool"},
        {DriveCondition::Temperature, 40, 45, TemperatureState::Normal, "warm"},
        {DriveCondition::Temperature, 45, 45, TemperatureState::Normal, "hot"},
        {DriveCondition::Temperature, 44, 45, TemperatureState::Hot, "hot"},  // hysteresis: still hot
        {DriveCondition::Temperature, 60, 70, TemperatureState::Normal, "cool"},  // an NVMe drive's own limit
        {DriveCondition::Temperature, 30, 0, TemperatureState::Normal, "cool"},
        {DriveCondition::NoTemperature, 0, 45, TemperatureState::Unknown, "none"},
        {DriveCondition::ReadFailed, 41, 45, TemperatureState::Normal, "warm"},
        {DriveCondition::Sleeping, 41, 45, TemperatureState::Normal, "asleep"},
    };
    for (const Case& c : cases) {
        DriveSnapshotEntry drive;
        drive.condition = c.condition;
        drive.temperature = static_cast<std::uint8_t>(c.temperature);
        drive.verdict.warningTemperature = static_cast<std::uint8_t>(c.warning);
        drive.verdict.temperature = c.state;
        EXPECT_STREQ(TemperatureClass(drive), c.colour) << c.temperature << " of " << c.warning;
    }
}

TEST(WebText, IsoTimes)
{
    EXPECT_EQ(IsoTime(0), "");
    EXPECT_EQ(IsoTime(1), "1970-01-01T00:00:01Z");
    EXPECT_EQ(IsoTime(951782400), "2000-02-29T00:00:00Z");
    EXPECT_EQ(IsoTime(1796855560), "2026-12-09T22:32:40Z");
    EXPECT_EQ(IsoTime(4102444799), "2099-12-31T23:59:59Z");
}

TEST_F(WebSiteTest, HostileModelAndHostNameShowAsText)
{
    const std::string page = site_.Route("/", "").body;
    EXPECT_EQ(page.find("<script>alert"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;&#39;"), std::string::npos);
    EXPECT_NE(page.find("Drives of nas&lt;1&gt;"), std::string::npos);
    EXPECT_EQ(page.find("<script>"), std::string::npos) << "no inline script: only /app.js";
    EXPECT_NE(page.find("<script src=\"/app.js\" defer></script>"), std::string::npos);
    const std::string json = site_.Route("/api/v1/drives", "").body;
    EXPECT_NE(json.find("\"model\":\"<script>alert(\\\"x\\\")</script>'\""), std::string::npos) << json;
}

TEST_F(WebSiteTest, CardsTellWhatTheVerdictSays)
{
    const std::string page = site_.Route("/", "").body;
    EXPECT_NE(page.find("<p class=\"temperature hot\"><span class=\"value\">46</span> \xC2\xB0" "C</p>"),
              std::string::npos);
    EXPECT_NE(page.find("worst 48 \xC2\xB0" "C"), std::string::npos);
    EXPECT_NE(page.find("warning at 45 \xC2\xB0" "C"), std::string::npos);
    EXPECT_NE(page.find("<p class=\"health caution\">caution</p>"), std::string::npos);
    EXPECT_NE(page.find("<li>pending sectors rose from 0 to 8</li>"), std::string::npos) << page;
    EXPECT_NE(page.find("<p class=\"temperature asleep\">asleep</p>"), std::string::npos) << page;
    EXPECT_NE(page.find("#0 \xC2\xB7 ATA \xC2\xB7 80.0GB"), std::string::npos);
    EXPECT_NE(page.find("data-t=\"1796855560\">2026-12-09T22:32:40Z</time>"), std::string::npos);
    EXPECT_NE(page.find("<body data-refresh=\"30\""), std::string::npos);
}

TEST(WebSiteJapanese, WordsAreTheProgramsTextsInUtf8)
{
    SnapshotBoard board;
    board.Publish(Drives());
    const WebSite site(board, nullptr, Info(Language::Japanese));
    const std::string page = site.Route("/", "").body;
    EXPECT_NE(page.find("<html lang=\"ja\">"), std::string::npos);
    EXPECT_NE(page.find("nas&lt;1&gt; \xE3\x81\xAE\xE3\x83\x89\xE3\x83\xA9\xE3\x82\xA4\xE3\x83\x96"),  // のドライブ
              std::string::npos);
    EXPECT_NE(page.find("<p class=\"health caution\">\xE6\xB3\xA8\xE6\x84\x8F</p>"), std::string::npos);  // 注意
    EXPECT_NE(page.find("46</span>\xE2\x84\x83"), std::string::npos);  // ℃
    const std::string json = site.Route("/api/v1/drives", "").body;
    EXPECT_NE(json.find("\"healthWords\":\"\xE6\xB3\xA8\xE6\x84\x8F\""), std::string::npos);
    EXPECT_NE(json.find("\"health\":\"caution\""), std::string::npos) << "machine names stay English";
    EXPECT_NE(json.find("\"text\":\"attribute 197"), std::string::npos) << json;
}

TEST_F(WebSiteTest, EveryAnswerCarriesTheSecurityHeaders)
{
    for (const char* path : {"/", "/app.js", "/api/v1/drives", "/api/v1/history", "/nothing"}) {
        const std::string answer = *site_.Answer(path, "", false);
        EXPECT_NE(answer.find("\r\nContent-Security-Policy: default-src 'none'; script-src 'self'; style-src 'self';"),
                  std::string::npos) << path;
        EXPECT_NE(answer.find("\r\nX-Content-Type-Options: nosniff\r\n"), std::string::npos) << path;
        const bool asset = std::string(path) == "/app.js";
        EXPECT_NE(answer.find(asset ? "\r\nCache-Control: max-age=300\r\n" : "\r\nCache-Control: no-store\r\n"),
                  std::string::npos) << path;
    }
    const std::string head = *site_.Answer("/", "", true);
    const std::string whole = *site_.Answer("/", "", false);
    EXPECT_EQ(head, whole.substr(0, whole.find("\r\n\r\n") + 4));
}

TEST_F(WebSiteTest, PageStaysSmall)
{
    DriveSnapshot full = Drives();
    for (unsigned i = 0; i < kMaxDrives; ++i) {
        full.drives[i] = full.drives[0];
        full.drives[i].driveNumber = i;
    }
    full.count = kMaxDrives;
    board_.Publish(full);
    const std::size_t bytes = site_.Route("/", "").body.size() + site_.Route("/app.css", "").body.size()
                              + site_.Route("/app.js", "").body.size();
    EXPECT_LT(bytes, 50u * 1024u) << "every drive's card, the style and the script";
}

}  // namespace

namespace {

HistoryPoint Reading(std::int64_t time, unsigned low, unsigned high)
{
    HistoryPoint point;
    point.time = time;
    point.span = 60;
    point.temperatureMin = static_cast<std::uint8_t>(low);
    point.temperatureMax = static_cast<std::uint8_t>(high);
    point.temperatureMean = static_cast<std::uint8_t>((low + high) / 2);
    return point;
}

TEST(WebChart, LineBreaksAtGapsAndSleepWithTheWarningLine)
{
    std::vector<HistoryPoint> points = {Reading(0, 30, 30), Reading(60, 30, 40), Reading(120, 40, 40),
                                        Reading(600, 40, 40), Reading(660, 40, 40)};
    points.insert(points.begin() + 4, HistoryPoint{});
    points[4].time = 630;
    points[4].asleep = true;
    const std::string svg = TemperatureChart(points, 0, 720, 45, "none");
    const std::size_t line = svg.find("<path class=\"line\" d=\"");
    ASSERT_NE(line, std::string::npos) << svg;
    const std::string d = svg.substr(line, svg.find('"', line + 22) - line);
    EXPECT_EQ(std::count(d.begin(), d.end(), 'M'), 3) << "a hole after 120 s and a sleep: " << d;
    EXPECT_EQ(std::count(d.begin(), d.end(), 'L'), 2) << d;
    EXPECT_NE(svg.find("<line class=\"warn\""), std::string::npos);
    EXPECT_NE(svg.find("<path class=\"band-line\" d=\"M"), std::string::npos) << "the 30-40 bucket";
    EXPECT_EQ(TemperatureChart({}, 0, 720, 45, "No history yet"), "<p class=\"nohistory\">No history yet</p>\n");
}

TEST(WebChart, CountTrendsShowEachKnownCount)
{
    std::vector<HistoryPoint> points = {Reading(0, 30, 30), Reading(60, 30, 30)};
    points[0].countsKnown = points[1].countsKnown = 1u << 3;  // 197
    points[1].counts[3] = 8;
    const std::string trends = CountTrends(points, 0, 120, Language::English, "none");
    EXPECT_NE(trends.find("<h3>pending sectors (197): 0 \xE2\x86\x92 8</h3>"), std::string::npos) << trends;
    EXPECT_EQ(trends.find("data-count=\"5\""), std::string::npos) << "unknown counts are left out";
    EXPECT_EQ(CountTrends({Reading(0, 30, 30)}, 0, 120, Language::English, "none"), "<p class=\"nohistory\">none</p>\n");
}

}  // namespace
