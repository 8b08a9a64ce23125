// The texts of an event: JSON valid for any drive bytes, a plain line, and the
// command's environment.
#include "notify_text.h"

#include "json_validator.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

NotifyEvent HotEvent()
{
    NotifyEvent event;
    event.kind = NotifyEventKind::HealthWorse;
    event.driveNumber = 2;
    std::strcpy(event.model, "WDC WD40EFRX-68N32N0");
    std::strcpy(event.serial, "WD-WCC7K1234567");
    event.temperature = 52;
    event.verdict.temperature = TemperatureState::Hot;
    event.verdict.warningTemperature = 50;
    event.verdict.health = HealthState::Caution;
    event.verdict.reasonCount = 1;
    event.verdict.reasons[0] = {HealthReasonKind::CountIncreased, HealthState::Caution, 197, 0, 8, 0};
    event.previousHealth = HealthState::Good;
    event.time = 1796785445;  // 2026-12-09T03:04:05Z
    return event;
}

TEST(NotifyText, JsonHoldsTheFacts)
{
    const std::string body = EventBody(HotEvent(), "pc1", BodyKind::Json);
    EXPECT_TRUE(JsonValidator::IsValid(body)) << body;
    for (const char* field : {"\"event\":\"health_worse\"", "\"host\":\"pc1\"", "\"drive\":2",
                              "\"model\":\"WDC WD40EFRX-68N32N0\"", "\"serial\":\"WD-WCC7K1234567\"",
                              "\"temperature\":52", "\"warning_temperature\":50", "\"temperature_state\":\"hot\"",
                              "\"health\":\"caution\"", "\"previous_health\":\"good\"",
                              "\"reasons\":[\"attribute 197 (current pending sectors) rose from 0 to 8\"]",
                              "\"time\":\"2026-12-09T03:04:05Z\""}) {
        EXPECT_NE(body.find(field), std::string::npos) << field << " in " << body;
    }
}

TEST(NotifyText, JsonIsValidForAnyDriveBytes)
{
    for (unsigned byte = 1; byte < 256; ++byte) {
        NotifyEvent event = HotEvent();
        std::memset(event.model, static_cast<int>(byte), sizeof event.model);  // not even terminated
        std::memset(event.serial, static_cast<int>(byte), sizeof event.serial);
        const char host[] = {static_cast<char>(byte), 'x', '\0'};
        const std::string body = EventBody(event, host, BodyKind::Json);
        ASSERT_TRUE(JsonValidator::IsValid(body)) << "byte " << byte << ": " << body;
        const std::string text = EventBody(event, host, BodyKind::Text);
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << "byte " << byte;
    }
}

TEST(NotifyText, PlainTextIsOneSentence)
{
    NotifyEvent event = HotEvent();
    event.kind = NotifyEventKind::Hot;
    EXPECT_EQ(EventBody(event, "pc1", BodyKind::Text),
              "pc1: drive 2 WDC WD40EFRX-68N32N0 (serial WD-WCC7K1234567) is hot: 52 \xC2\xB0" "C, its warning "
              "temperature is 50 \xC2\xB0" "C");
    EXPECT_STREQ(BodyContentType(BodyKind::Text), "text/plain; charset=utf-8");
}

TEST(NotifyText, EnvironmentNamesEachFact)
{
    NotifyEvent event = HotEvent();
    std::strcpy(event.model, "A\nB=C");
    const std::vector<std::string> environment = EventEnvironment(event, "pc1");
    for (const char* entry : {"KELVIX_EVENT=health_worse", "KELVIX_HOST=pc1", "KELVIX_DRIVE=2", "KELVIX_MODEL=A?B=C",
                              "KELVIX_SERIAL=WD-WCC7K1234567", "KELVIX_TEMPERATURE=52",
                              "KELVIX_WARNING_TEMPERATURE=50", "KELVIX_HEALTH=caution",
                              "KELVIX_PREVIOUS_HEALTH=good", "KELVIX_TIME=2026-12-09T03:04:05Z",
                              "KELVIX_REASONS=attribute 197 (current pending sectors) rose from 0 to 8"}) {
        EXPECT_NE(std::find(environment.begin(), environment.end(), entry), environment.end()) << entry;
    }
    for (const std::string& entry : environment) {
        EXPECT_EQ(entry.find_first_of("\r\n"), std::string::npos) << entry;
    }
}

TEST(NotifyText, TheTestMessageNamesTheProgramThatSendsIt)
{
    EXPECT_EQ(EventMessage(MakeTestEvent(0), "pc1"), "pc1: test notification from KELVIX");
    EXPECT_EQ(EventMessage(MakeTestEvent(0, "kelvixd"), "nas"), "nas: test notification from kelvixd");
}

}  // namespace
