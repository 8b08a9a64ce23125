// WinHTTP, loaded on the first web request (see system_library_win.h).
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <string>

struct WinHttpFunctions {
    decltype(&WinHttpCrackUrl) CrackUrl;
    decltype(&WinHttpOpen) Open;
    decltype(&WinHttpSetTimeouts) SetTimeouts;
    decltype(&WinHttpConnect) Connect;
    decltype(&WinHttpOpenRequest) OpenRequest;
    decltype(&WinHttpSendRequest) SendRequest;
    decltype(&WinHttpReceiveResponse) ReceiveResponse;
    decltype(&WinHttpQueryHeaders) QueryHeaders;
    decltype(&WinHttpCloseHandle) CloseHandle;
};

// Null when winhttp.dll or one of its functions is missing; `error` then says which.
const WinHttpFunctions* TheWinHttp(std::string& error);
