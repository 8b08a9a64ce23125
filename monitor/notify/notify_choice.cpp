#include "notify_choice.h"

#include <cstring>
#include <vector>

namespace {

const char* const kUrgencyNames[] = {"", "min", "low", "default", "high", "urgent"};

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    for (const char c : text + " ") {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!word.empty()) {
                words.push_back(word);
            }
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

bool EventIndex(const std::string& name, unsigned& index)
{
    for (unsigned i = 0; i < kNotifyEventKinds; ++i) {
        if (name == EventName(static_cast<NotifyEventKind>(i))) {
            index = i;
            return true;
        }
    }
    return false;
}

}  // namespace

static_assert(static_cast<unsigned>(NotifyEventKind::Test) == kNotifyEventKinds - 1, "Test is the last event");

bool ParseEventList(const std::string& text, EventChoice& choice, std::string& problem)
{
    const std::vector<std::string> words = Words(text);
    if (words.size() == 1 && words[0] == "all") {
        for (bool& send : choice.send) {
            send = true;
        }
        return true;
    }
    bool send[kNotifyEventKinds] = {};
    for (const std::string& word : words) {
        unsigned index = 0;
        if (!EventIndex(word, index)) {
            problem = "\"" + word + "\" is no event (all, or hot, cooled, still_hot, health_worse, health_better, "
                      "lost, readable)";
            return false;
        }
        send[index] = true;
    }
    std::memcpy(choice.send, send, sizeof send);
    choice.send[kNotifyEventKinds - 1] = true;
    return true;
}

bool ParseUrgencyList(const std::string& text, EventChoice& choice, std::string& problem)
{
    Urgency urgency[kNotifyEventKinds] = {};
    for (const std::string& word : Words(text)) {
        const std::size_t equals = word.find('=');
        unsigned index = 0;
        if (equals == std::string::npos || !EventIndex(word.substr(0, equals), index)) {
            problem = "\"" + word + "\" does not read event=level";
            return false;
        }
        const std::string level = word.substr(equals + 1);
        bool found = false;
        for (unsigned u = 1; u < sizeof kUrgencyNames / sizeof kUrgencyNames[0]; ++u) {
            if (level == kUrgencyNames[u]) {
                urgency[index] = static_cast<Urgency>(u);
                found = true;
            }
        }
        if (!found) {
            problem = "\"" + level + "\" is no level (min, low, default, high, urgent)";
            return false;
        }
    }
    std::memcpy(choice.urgency, urgency, sizeof urgency);
    return true;
}

EventChoice ChooseEvents(const std::string& events, const std::string& urgency)
{
    EventChoice choice;
    std::string problem;
    ParseEventList(events, choice, problem);
    ParseUrgencyList(urgency, choice, problem);
    return choice;
}

bool Sends(const EventChoice& choice, NotifyEventKind kind)
{
    const unsigned index = static_cast<unsigned>(kind);
    return index >= kNotifyEventKinds - 1 || choice.send[index];
}

Urgency UrgencyOf(const EventChoice& choice, NotifyEventKind kind)
{
    const unsigned index = static_cast<unsigned>(kind);
    return index < kNotifyEventKinds ? choice.urgency[index] : Urgency::Unset;
}

int NtfyPriority(Urgency urgency)
{
    return static_cast<int>(urgency);
}

int GotifyPriority(Urgency urgency)
{
    static const int kGotify[] = {0, 1, 3, 5, 8, 10};
    return kGotify[static_cast<unsigned>(urgency)];
}
