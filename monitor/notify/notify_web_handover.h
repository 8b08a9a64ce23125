// A web request and its outcome as bytes, for kelvixd's request helper (kelvixd-notify):
// kelvixd writes the request to the helper's stdin, the helper sends it through libcurl
// and writes the outcome to its stdout. Each field is its length in decimal, a colon
// and its bytes, so any byte may appear in a body or header.
#pragma once

#include "notify_transport.h"

#include <string>

std::string EncodeWebRequest(const WebRequest& request);
// False when `bytes` is not a whole request (cut short, a bad length, bytes left over).
bool DecodeWebRequest(const std::string& bytes, WebRequest& request);

std::string EncodeWebOutcome(const WebOutcome& outcome);
bool DecodeWebOutcome(const std::string& bytes, WebOutcome& outcome);
