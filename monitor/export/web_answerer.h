// WebAnswerer: what the metrics port answers besides /metrics when the web page is on.
// The site lives above the export server (it reads the history too); the server only
// hands it the requests it does not answer itself.
#pragma once

#include "export_answers.h"

#include <string>

class WebAnswerer {
public:
    virtual ~WebAnswerer() = default;
    // The whole HTTP response to a GET (or HEAD: the head alone) of `path` with `query`
    // (without its '?'). Never null; safe from any thread.
    virtual SharedText Answer(const std::string& path, const std::string& query, bool headOnly) const = 0;
};
