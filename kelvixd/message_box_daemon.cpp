// The temperature service's boxes as kelvixd's log lines: there is nobody to click OK.
#include "journal.h"
#include "message_box.h"
#include "service_errors.h"

#include <atomic>

namespace {

std::atomic<unsigned long> g_errors{0};

const char* EnglishText(unsigned index)
{
    switch (index) {
    case 8: return "the query thread could not be started";
    case 9: return "the socket library could not be loaded";
    case 10: return "the socket library could not be started";
    case 11: return "the UDP port could not be bound";
    case 12: return "waiting on the UDP socket failed";
    case 13: return "the local stop socket could not be opened";
    case 14: return "the local stop command could not be sent";
    case 15: return "an unknown command was received";
    default: return "an unexpected condition";
    }
}

}  // namespace

unsigned long ServiceErrorCount()
{
    return g_errors;
}

void ShowMessage(MessageKind kind, unsigned index)
{
    if (kind == MessageKind::Error) {
        ++g_errors;
    }
    Journal(kind == MessageKind::Error ? Priority::Error : Priority::Notice, "%s", EnglishText(index));
}
