// The event rules: one event per change of the verdict or the read condition, the
// first sight as the baseline, reminders only as [Threshold] Reminder says.
#include "notify_event.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct DriveLine {
    const char* serial;
    TemperatureState temperature;
    HealthState health;
    DriveCondition condition = DriveCondition::Temperature;
    std::uint64_t risenTo = 0;  // a CountIncreased reason for attribute 197 up to this
};

DriveSnapshot Snapshot(const std::vector<DriveLine>& lines)
{
    DriveSnapshot snapshot;
    snapshot.taken = true;
    for (const DriveLine& line : lines) {
        DriveSnapshotEntry& entry = snapshot.drives[snapshot.count];
        entry.driveNumber = snapshot.count++;
        std::strcpy(entry.serial, line.serial);
        std::strcpy(entry.model, "MODEL");
        entry.condition = line.condition;
        entry.temperature = 45;
        entry.verdict.temperature = line.temperature;
        entry.verdict.health = line.health;
        entry.verdict.warningTemperature = 50;
        if (line.risenTo != 0) {
            entry.verdict.reasonCount = 1;
            entry.verdict.reasons[0] = {HealthReasonKind::CountIncreased, HealthState::Caution, 197, 0, line.risenTo, 0};
        }
    }
    return snapshot;
}

std::string Names(const std::vector<NotifyEvent>& events)
{
    std::string names;
    for (const NotifyEvent& event : events) {
        names += (names.empty() ? "" : " ") + std::string(EventName(event.kind)) + ":" + event.serial;
    }
    return names;
}

constexpr auto N = TemperatureState::Normal;
constexpr auto H = TemperatureState::Hot;
constexpr auto U = TemperatureState::Unknown;
constexpr auto G = HealthState::Good;
constexpr auto C = HealthState::Caution;
constexpr auto B = HealthState::Bad;
constexpr auto Failed = DriveCondition::ReadFailed;
constexpr auto Asleep = DriveCondition::Sleeping;

struct Step {
    std::vector<DriveLine> drives;
    const char* events;  // what this step must give
};

struct Story {
    const char* name;
    std::vector<Step> steps;
};

TEST(EventWatch, EachChangeGivesOneEvent)
{
    const Story stories[] = {
        {"heating and cooling, each once",
         {{{{"A", N, G}}, ""}, {{{"A", H, G}}, "hot:A"}, {{{"A", H, G}}, ""}, {{{"A", N, G}}, "cooled:A"},
          {{{"A", N, G}}, ""}}},
        {"hot at the first sight is told; unknown keeps the state",
         {{{{"A", H, G}}, "hot:A"}, {{{"A", U, G}}, ""}, {{{"A", H, G}}, ""}, {{{"A", U, G}}, ""},
          {{{"A", N, G}}, "cooled:A"}}},
        {"health worse and better by state; a steady caution at the start is not told",
         {{{{"A", N, C}}, ""}, {{{"A", N, C}}, ""}, {{{"A", N, B}}, "health_worse:A"}, {{{"A", N, G}}, "health_better:A"}}},
        {"a count rising again at the same state is told once per rise",
         {{{{"A", N, G}}, ""}, {{{"A", N, C, DriveCondition::Temperature, 8}}, "health_worse:A"},
          {{{"A", N, C, DriveCondition::Temperature, 8}}, ""}, {{{"A", N, C}}, ""},
          {{{"A", N, C, DriveCondition::Temperature, 12}}, "health_worse:A"}}},
        {"a failed read and a drive gone are lost once, readable again once",
         {{{{"A", N, G}, {"B", N, G}}, ""}, {{{"A", N, G, Failed}, {"B", N, G}}, "lost:A"},
          {{{"A", N, G, Failed}, {"B", N, G}}, ""}, {{{"A", N, G}}, "readable:A lost:B"}, {{{"A", N, G}}, ""},
          {{{"A", N, G}, {"B", N, G}}, "readable:B"}}},
        {"a sleeping drive keeps its state",
         {{{{"A", H, G}}, "hot:A"}, {{{"A", U, G, Asleep}}, ""}, {{{"A", H, G}}, ""}}},
        {"drives are followed by serial, not by number",
         {{{{"A", N, G}, {"B", H, G}}, "hot:B"}, {{{"B", H, G}, {"A", N, G}}, ""}}},
    };
    for (const Story& story : stories) {
        EventWatch watch;
        unsigned step = 0;
        for (const Step& s : story.steps) {
            EXPECT_EQ(Names(watch.Update(Snapshot(s.drives), 1000 * step, 0, 0)), s.events)
                << story.name << ", step " << step;
            ++step;
        }
    }
}

TEST(EventWatch, RemindersFollowTheReminderSetting)
{
    const std::uint64_t minute = 60000;
    struct Case {
        std::uint32_t reminderMinutes;
        const char* events;  // at 0, 10, 29, 30, 45, 60 minutes, hot all along
    } const cases[] = {
        {0, "hot:A"},
        {30, "hot:A still_hot:A still_hot:A"},
        {15, "hot:A still_hot:A still_hot:A still_hot:A"},
    };
    for (const Case& c : cases) {
        EventWatch watch;
        std::string all;
        for (const std::uint64_t at : {0, 10, 29, 30, 45, 60}) {
            const std::string names = Names(watch.Update(Snapshot({{"A", H, G}}), at * minute, c.reminderMinutes, 0));
            all += (all.empty() || names.empty() ? "" : " ") + names;
        }
        EXPECT_EQ(all, c.events) << "Reminder=" << c.reminderMinutes;
    }
}

TEST(EventWatch, EventsCarryTheFactsOfTheNewState)
{
    EventWatch watch;
    watch.Update(Snapshot({{"A", N, G}}), 0, 0, 0);
    const std::vector<NotifyEvent> events = watch.Update(Snapshot({{"A", N, C, DriveCondition::Temperature, 8}}), 0, 0, 1234);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].previousHealth, G);
    EXPECT_EQ(events[0].verdict.health, C);
    EXPECT_EQ(events[0].verdict.reasons[0].to, 8u);
    EXPECT_EQ(events[0].temperature, 45);
    EXPECT_EQ(events[0].time, 1234);
    EXPECT_STREQ(events[0].model, "MODEL");
}

TEST(EventWatch, ARiseIsToldFromTheLastValueAndEveryEventKnowsTheHealthBefore)
{
    struct Told {
        std::vector<DriveLine> drives;
        const char* events;
        HealthState previousHealth;  // of the step's first event
        std::uint64_t from;          // its first reason, 0 when none
        std::uint64_t to;
    };
    // The health verdict counts a rise from its baseline (0 here); the event from what it
    // last said.
    const Told steps[] = {
        {{{"A", N, C}}, "", G, 0, 0},
        {{{"A", N, C, DriveCondition::Temperature, 8}}, "health_worse:A", C, 0, 8},
        {{{"A", H, C, DriveCondition::Temperature, 8}}, "hot:A", C, 0, 8},
        {{{"A", H, C, DriveCondition::Temperature, 16}}, "health_worse:A", C, 8, 16},
        {{{"A", N, C, DriveCondition::Temperature, 16}}, "cooled:A", C, 8, 16},
        {{{"A", N, B, DriveCondition::Temperature, 24}}, "health_worse:A", C, 16, 24},
        {{{"A", N, B, Failed, 24}}, "lost:A", B, 16, 24},
    };
    EventWatch watch;
    unsigned step = 0;
    for (const Told& t : steps) {
        const std::vector<NotifyEvent> events = watch.Update(Snapshot(t.drives), 1000 * step, 0, 0);
        EXPECT_EQ(Names(events), t.events) << "step " << step;
        if (!events.empty()) {
            EXPECT_EQ(events[0].previousHealth, t.previousHealth) << "step " << step;
            EXPECT_EQ(events[0].verdict.reasons[0].from, t.from) << "step " << step;
            EXPECT_EQ(events[0].verdict.reasons[0].to, t.to) << "step " << step;
        }
        ++step;
    }
}

TEST(EventWatch, ADriveHotWhenNotificationsAreSwitchedOnIsToldAtOnce)
{
    EventWatch watch;
    EXPECT_EQ(Names(watch.Update(Snapshot({{"A", H, G}}), 0, 0, 0)), "hot:A");
    watch.Forget();  // notifications off: nothing is followed
    EXPECT_EQ(Names(watch.Update(Snapshot({{"A", H, G}}), 1000, 0, 0)), "hot:A");
    EXPECT_EQ(Names(watch.Update(Snapshot({{"A", H, G}}), 2000, 0, 0)), "");
}

}  // namespace
