// kelvixd's log lines. Each goes to standard error whole, led by its syslog priority as
// "<N>" (sd-daemon(3)): the journal files it at that priority (journalctl -p warning finds
// it) and already shows the unit's name, so the text does not repeat "kelvixd: ".
#pragma once

enum class Priority { Error = 3, Warning = 4, Notice = 5, Info = 6 };

void Journal(Priority priority, const char* format, ...) __attribute__((format(printf, 2, 3)));
