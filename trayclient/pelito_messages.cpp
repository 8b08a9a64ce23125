#include "pelito_messages.h"

#include "pelito_texts.h"

const char* PelitoMessage(unsigned index)
{
    switch (index) {
    case MSG_GLYPHS_FAILED: return Text(CommonText::IconFileUnreadable);
    case MSG_TRAY_ICON_FAILED: return Text(CommonText::TrayIconFailed);
    case MSG_UNKNOWN_TIMER: return Text(CommonText::UnknownTimerEvent);
    case MSG_SOCKET_LIBRARY_LOAD: return Text(CommonText::SocketLibraryUnreadable);
    case MSG_SOCKET_LIBRARY_START: return Text(CommonText::SocketLibraryFailed);
    case MSG_CLIENT_OPEN: return Text(CommonText::ClientSocketBindFailed);
    case MSG_CLIENT_SEND: return Text(CommonText::ClientSocketSendFailed);
    case MSG_CLIENT_RECEIVE: return Text(PelitoText::ClientSocketReceiveFailed);
    default: return Text(CommonText::Undefined);
    }
}
