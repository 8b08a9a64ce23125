// Which events go out and how loud each one is: the [Notify] keys Events and Urgency,
// and what an urgency becomes for the services that take one (ntfy's Priority header,
// Gotify's priority in the body).
#pragma once

#include "notify_event.h"

#include <cstdint>
#include <string>

constexpr unsigned kNotifyEventKinds = 8;  // NotifyEventKind, Test last

// ntfy's five levels; Unset leaves the service's own default.
enum class Urgency : std::uint8_t { Unset, Min, Low, Default, High, Urgent };

struct EventChoice {
    bool send[kNotifyEventKinds] = {true, true, true, true, true, true, true, true};
    Urgency urgency[kNotifyEventKinds] = {};
};

// Events: "all", or event names separated by commas or spaces ("hot, health_worse").
// The test event always goes out. False with `problem` for a name that is no event.
bool ParseEventList(const std::string& text, EventChoice& choice, std::string& problem);
// Urgency: "event=level" pairs separated by commas or spaces, level min, low, default,
// high or urgent ("hot=high, health_worse=urgent"); an event not named stays Unset.
bool ParseUrgencyList(const std::string& text, EventChoice& choice, std::string& problem);
// Both keys together; a text that does not parse chooses nothing (callers validate first).
EventChoice ChooseEvents(const std::string& events, const std::string& urgency);

bool Sends(const EventChoice& choice, NotifyEventKind kind);
Urgency UrgencyOf(const EventChoice& choice, NotifyEventKind kind);

// ntfy: 1 (min) to 5 (urgent); Gotify: 1, 3, 5, 8, 10 (8 and up pop up on its Android
// app). 0 for Unset.
int NtfyPriority(Urgency urgency);
int GotifyPriority(Urgency urgency);
