// The logon task's XML: the program path quoted and escaped whatever it holds, read back
// to the same path, and the limits that would otherwise stop or hold back the monitor.
#include "logon_task_xml.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The text of the first <name>...</name> in xml, or "(none)".
std::string Element(const std::string& xml, const std::string& name)
{
    const std::string open = "<" + name + ">";
    const std::size_t start = xml.find(open);
    const std::size_t end = xml.find("</" + name + ">", start);
    if (start == std::string::npos || end == std::string::npos) {
        return "(none)";
    }
    return xml.substr(start + open.size(), end - start - open.size());
}

struct PathCase {
    const char* program;
    const char* command;  // as it stands in the XML
};

const PathCase kPaths[] = {
    {"C:\\Program Files\\KELVIX\\KELVIX.exe", "&quot;C:\\Program Files\\KELVIX\\KELVIX.exe&quot;"},
    {"D:\\R&D\\KELVIX.exe", "&quot;D:\\R&amp;D\\KELVIX.exe&quot;"},
    {"C:\\<tools>\\KELVIX.exe", "&quot;C:\\&lt;tools&gt;\\KELVIX.exe&quot;"},
    {"C:\\a\"b\\KELVIX.exe", "&quot;C:\\a&quot;b\\KELVIX.exe&quot;"},
    {"C:\\it's\\KELVIX.exe", "&quot;C:\\it&apos;s\\KELVIX.exe&quot;"},
    // UTF-8 passes through unchanged (the Windows side turns the whole text into UTF-16).
    {u8"C:\\ユーザー\\温度計\\KELVIX.exe", u8"&quot;C:\\ユーザー\\温度計\\KELVIX.exe&quot;"},
};

TEST(LogonTaskXml, QuotesAndEscapesTheProgramAndReadsItBack)
{
    for (const PathCase& row : kPaths) {
        const std::string xml = LogonTaskXml({row.program, "S-1-5-21-1-2-3-1000"});
        EXPECT_EQ(row.command, Element(xml, "Command")) << row.program;
        EXPECT_EQ(row.program, LogonTaskProgram(xml)) << row.program;
    }
}

struct ElementCase {
    const char* name;
    const char* value;
};

// What the guide's schtasks line leaves wrong (three days, battery) and what it sets.
const ElementCase kLimits[] = {
    {"ExecutionTimeLimit", "PT0S"},
    {"DisallowStartIfOnBatteries", "false"},
    {"StopIfGoingOnBatteries", "false"},
    {"MultipleInstancesPolicy", "IgnoreNew"},
    {"RunLevel", "HighestAvailable"},
    {"LogonType", "InteractiveToken"},
    {"UserId", "PC&amp;1\\K&lt;A&gt;"},
};

TEST(LogonTaskXml, SetsTheLimitsAndTheUser)
{
    const std::string xml = LogonTaskXml({"C:\\KELVIX\\KELVIX.exe", "PC&1\\K<A>"});
    for (const ElementCase& row : kLimits) {
        EXPECT_EQ(row.value, Element(xml, row.name)) << row.name;
    }
    EXPECT_NE(std::string::npos, xml.find("<LogonTrigger>")) << xml;
    EXPECT_NE(std::string::npos, xml.find("<Task version=\"1.2\"")) << xml;
}

struct ReadCase {
    const char* xml;
    const char* program;
};

// Definitions as the Task Scheduler hands them back: reformatted, unquoted, or without an
// Exec action.
const ReadCase kReads[] = {
    {"<Exec><Command>\"C:\\K\\KELVIX.exe\"</Command></Exec>", "C:\\K\\KELVIX.exe"},
    {"<Exec>\n  <Command>\n    C:\\K\\KELVIX.exe\n  </Command>\n</Exec>", "C:\\K\\KELVIX.exe"},
    {"<Exec><Command>&quot;C:\\A &amp; B\\KELVIX.exe&quot;</Command></Exec>", "C:\\A & B\\KELVIX.exe"},
    {"<Exec><Command></Command></Exec>", ""},
    {"<Exec><Command>\"C:\\K\\KELVIX.exe\"", ""},
    {"<ComHandler><ClassId>{0}</ClassId></ComHandler>", ""},
};

TEST(LogonTaskXml, ReadsTheProgramOfARegisteredTask)
{
    for (const ReadCase& row : kReads) {
        EXPECT_EQ(row.program, LogonTaskProgram(row.xml)) << row.xml;
    }
}

}  // namespace
