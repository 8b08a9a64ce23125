// PELITO's numbered error texts.
#pragma once

enum PelitoMessageId : unsigned {
    MSG_GLYPHS_FAILED = 1,
    MSG_TRAY_ICON_FAILED = 2,
    MSG_UNKNOWN_TIMER = 3,
    MSG_SOCKET_LIBRARY_LOAD = 4,
    MSG_SOCKET_LIBRARY_START = 5,
    MSG_CLIENT_OPEN = 6,
    MSG_CLIENT_SEND = 7,
    MSG_CLIENT_RECEIVE = 8,
};

// The text of message 1 to 8; "未定義" for any other number.
const char* PelitoMessage(unsigned index);
