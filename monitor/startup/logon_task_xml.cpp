#include "logon_task_xml.h"

namespace {

std::string Escaped(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c; break;
        }
    }
    return out;
}

struct Entity {
    const char* name;
    char character;
};
constexpr Entity kEntities[] = {
    {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''},
};

std::string Unescaped(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const Entity& entity : kEntities) {
            const std::string name = entity.name;
            if (text.compare(i, name.size(), name) == 0) {
                out += entity.character;
                i += name.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            out += text[i++];
        }
    }
    return out;
}

}  // namespace

std::string LogonTaskXml(const LogonTaskRequest& request)
{
    const std::string user = Escaped(request.user);
    // Quoted, so that a path with spaces stays one program.
    const std::string command = Escaped("\"" + request.program + "\"");
    return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
           "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
           "  <RegistrationInfo>\n"
           "    <Author>" + user + "</Author>\n"
           "    <Description>KELVIX at logon</Description>\n"
           "  </RegistrationInfo>\n"
           "  <Triggers>\n"
           "    <LogonTrigger>\n"
           "      <Enabled>true</Enabled>\n"
           "      <UserId>" + user + "</UserId>\n"
           "    </LogonTrigger>\n"
           "  </Triggers>\n"
           "  <Principals>\n"
           "    <Principal id=\"Author\">\n"
           "      <UserId>" + user + "</UserId>\n"
           "      <LogonType>InteractiveToken</LogonType>\n"
           "      <RunLevel>HighestAvailable</RunLevel>\n"
           "    </Principal>\n"
           "  </Principals>\n"
           "  <Settings>\n"
           // The defaults would stop a monitor after three days and keep it off on battery.
           "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n"
           "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\n"
           "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\n"
           "    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\n"
           "    <Enabled>true</Enabled>\n"
           "  </Settings>\n"
           "  <Actions Context=\"Author\">\n"
           "    <Exec>\n"
           "      <Command>" + command + "</Command>\n"
           "    </Exec>\n"
           "  </Actions>\n"
           "</Task>\n";
}

std::string LogonTaskProgram(const std::string& xml)
{
    const std::string open = "<Command>";
    const std::size_t start = xml.find(open);
    if (start == std::string::npos) {
        return "";
    }
    const std::size_t end = xml.find("</Command>", start);
    if (end == std::string::npos) {
        return "";
    }
    std::string command = Unescaped(xml.substr(start + open.size(), end - start - open.size()));
    const std::size_t first = command.find_first_not_of(" \t\r\n");
    const std::size_t last = command.find_last_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return "";
    }
    command = command.substr(first, last - first + 1);
    if (command.size() >= 2 && command.front() == '"' && command.back() == '"') {
        command = command.substr(1, command.size() - 2);
    }
    return command;
}
