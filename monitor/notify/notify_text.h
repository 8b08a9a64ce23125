// What an event says: the sentence for people, the web request's body (JSON or plain
// text) and the environment a user's command gets. Drive texts come from the drive and
// may hold any bytes: every output here keeps to printable ASCII from them, so the JSON
// is valid and an environment value or a text line never breaks.
#pragma once

#include "notify_event.h"
#include "notify_settings.h"

#include <string>
#include <vector>

// "pc1: drive 1 ST4000 (serial Z1) is hot: 52 °C, its warning temperature is 50 °C".
std::string EventTitle(const NotifyEvent& event, const char* host);
std::string EventMessage(const NotifyEvent& event, const char* host);

// The request body and its content type. A JSON body carries "priority" (Gotify's
// scale) when gotifyPriority is not 0.
std::string EventBody(const NotifyEvent& event, const char* host, BodyKind kind, int gotifyPriority = 0);
const char* BodyContentType(BodyKind kind);

// "KELVIX_EVENT=hot" and the rest, for the command (added to the program's own).
std::vector<std::string> EventEnvironment(const NotifyEvent& event, const char* host);

// Time as ISO 8601 in UTC: "2026-12-09T03:04:05Z".
std::string UtcTimeText(std::time_t time);
