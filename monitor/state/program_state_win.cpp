#include "program_state_win.h"

namespace {
ProgramState* g_program = nullptr;
}

ProgramState& Program()
{
    return *g_program;
}

void SetProgram(ProgramState* state)
{
    g_program = state;
}
