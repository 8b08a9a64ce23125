#include "message_table.h"

#include "kelvix_texts.h"

const char* MessageTable(unsigned index)
{
    switch (index) {
    case 2: return Text(KelvixText::OutOfMemory);
    case 3: return Text(KelvixText::AlreadyRunning);
    case 4: return Text(KelvixText::DatabaseUnreadable);
    case 5: return Text(CommonText::IconFileUnreadable);
    case 6: return Text(CommonText::TrayIconFailed);
    case 7: return Text(CommonText::UnknownTimerEvent);
    case 8: return Text(KelvixText::ThreadFailed);
    case 9: return Text(CommonText::SocketLibraryUnreadable);
    case 10: return Text(CommonText::SocketLibraryFailed);
    case 11: return Text(KelvixText::ServerSocketBindFailed);
    case 12: return Text(KelvixText::ServerSocketSelectFailed);
    case 13: return Text(CommonText::ClientSocketBindFailed);
    case 14: return Text(CommonText::ClientSocketSendFailed);
    case 15: return Text(KelvixText::UnknownCommand);
    default: return Text(CommonText::Undefined);
    }
}
