// Tls=1 where libssl cannot be loaded: no link, and the line the journal shows says
// which library and what to do; a plain link needs no library.
#include "mqtt_link.h"

#include <gtest/gtest.h>

namespace {

TEST(MqttTlsMissing, IsRefusedNamingTheLibrary)
{
    MqttSettings settings;
    settings.tls = true;
    MqttOutcome error;
    EXPECT_EQ(MakeMqttLink(settings, error), nullptr);
    const std::string line = OutcomeText(error, Language::English);
    EXPECT_EQ(line.rfind("TLS needs libkv-no-such-ssl.so.3, which cannot be loaded (", 0), 0u) << line;
    EXPECT_NE(line.find("): install libssl3 or set Tls=0"), std::string::npos) << line;

    settings.tls = false;
    MqttOutcome none;
    EXPECT_NE(MakeMqttLink(settings, none), nullptr);
    EXPECT_TRUE(none.Empty());
}

}  // namespace
