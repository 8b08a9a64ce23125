// The logon task's definition in the Task Scheduler's XML (schema 1.2), and the program a
// registered definition starts. Texts are UTF-8 here; the Windows side hands them over in
// UTF-16, which is what the declaration says.
#pragma once

#include <string>

// The task's name in the root folder, the one the guide's schtasks line uses too.
constexpr char kLogonTaskName[] = "KELVIX";

struct LogonTaskRequest {
    std::string program;  // full path of the program to start
    std::string user;     // the account whose logon starts it (DOMAIN\name or a SID)
};

// Starts the program at the user's logon with the highest privileges the user has, with
// no time limit, on battery too, and never a second copy.
std::string LogonTaskXml(const LogonTaskRequest& request);

// The program path of the first Exec action's Command, unescaped and without surrounding
// quotes; empty when there is none.
std::string LogonTaskProgram(const std::string& xml);
