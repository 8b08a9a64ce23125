#include "modal_script.h"

#include <cstring>

namespace {

std::vector<ModalScript::Step> g_steps;
std::size_t g_next = 0;
HWND g_lastDialog = nullptr;

BOOL CALLBACK FindActiveDialog(HWND window, LPARAM found)
{
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") == 0 && IsWindowVisible(window) && IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(found) = window;  // an owner is disabled while its box is up
    }
    return TRUE;
}

}  // namespace

ModalScript::ModalScript(std::vector<Step> steps)
{
    g_steps = std::move(steps);
    g_next = 0;
    g_lastDialog = nullptr;
    timer_ = SetTimer(nullptr, 0, 150, Tick);
}

ModalScript::~ModalScript()
{
    KillTimer(nullptr, timer_);
    g_steps.clear();
}

bool ModalScript::Finished() const
{
    return g_next == g_steps.size();
}

void CALLBACK ModalScript::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_next >= g_steps.size()) {
        return;
    }
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindActiveDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) {
        return;
    }
    const Step step = g_steps[g_next++];
    step(dialog);
}

std::string ModalScript::BoxText(HWND dialog)
{
    return Text(dialog, 0xFFFF);
}

std::string ModalScript::Text(HWND dialog, int control)
{
    char text[512] = {};
    GetDlgItemTextA(dialog, control, text, sizeof text);
    return text;
}

void ModalScript::Click(HWND dialog, int control)
{
    SendMessageA(GetDlgItem(dialog, control), BM_CLICK, 0, 0);
}
