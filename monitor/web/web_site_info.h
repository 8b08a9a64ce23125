// What the web page tells besides the drives; set by the program that serves it.
#pragma once

#include "language.h"

#include <string>

struct WebSiteInfo {
    std::string hostName;         // shown as it is (escaped)
    std::string version;          // the program's version text
    Language language = Language::English;
    unsigned refreshSeconds = 60;  // the measurement interval: how often the page reloads its data
};

// "ja" or "en", for the page's lang attribute and the JSON.
inline const char* LanguageTag(Language language)
{
    return language == Language::Japanese ? "ja" : "en";
}
