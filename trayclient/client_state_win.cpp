#include "client_state_win.h"

namespace {
ClientState* g_client = nullptr;
}

ClientState::ClientState(HINSTANCE instanceHandle, const char* commandLine)
    : instance(instanceHandle)
{
    HostFromCommandLine(commandLine, host);
    taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    // The about dialog makes its own; these only give the holders a font to start with.
    titleFont.Create(0, 0, 0, "System", FW_NORMAL);
    textFont.Create(0, 0, 0, "System", FW_NORMAL);
}

ClientState& Client()
{
    return *g_client;
}

void SetClient(ClientState* state)
{
    g_client = state;
}
