#include "query_options.h"

#include "query_protocol.h"
#include "query_texts.h"

#include <cstring>

namespace {

constexpr int kMostTries = 100;
constexpr long kMostWaitMilliseconds = 3600L * 1000;

bool ParseWhole(const std::string& text, long lowest, long highest, long& value)
{
    if (text.empty() || text.size() > 9) {
        return false;
    }
    long number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        number = number * 10 + (c - '0');
    }
    if (number < lowest || number > highest) {
        return false;
    }
    value = number;
    return true;
}

// Seconds with up to three decimals ("2", "0.5", "1.25"), as milliseconds.
bool ParseSeconds(const std::string& text, long& milliseconds)
{
    const std::size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    if (dot != std::string::npos && fraction.empty()) {
        return false;
    }
    if (fraction.size() > 3) {
        return false;
    }
    long seconds = 0;
    long thousandths = 0;
    if (!ParseWhole(whole, 0, kMostWaitMilliseconds / 1000, seconds)) {
        return false;
    }
    if (!fraction.empty()) {
        fraction.append(3 - fraction.size(), '0');
        if (!ParseWhole(fraction, 0, 999, thousandths)) {
            return false;
        }
    }
    milliseconds = seconds * 1000 + thousandths;
    return milliseconds <= kMostWaitMilliseconds;
}

struct OptionRule {
    const char* shortName;  // null when there is none
    const char* longName;
    bool takesValue;
};

const OptionRule kOptions[] = {
    {"-p", "--port", true},        {"-t", "--timeout", true},    {"-r", "--tries", true},
    {"-w", "--warning", true},     {"-c", "--critical", true},   {nullptr, "--json", false},
    {nullptr, "--check", false},   {nullptr, "--summary", false}, {"-f", "--file", true},
    {"-P", "--parallel", true},    {"-T", "--total", true},      {nullptr, "--down-critical", false},
    {"-l", "--long", false},       {"-h", "--help", false},
};

// The outputs, as the option that chooses each.
struct OutputRule {
    QueryOutput output;
    const char* name;
};
const OutputRule kOutputs[] = {
    {QueryOutput::Json, "--json"}, {QueryOutput::Check, "--check"}, {QueryOutput::Summary, "--summary"}};

const char* OutputName(QueryOutput output)
{
    for (const OutputRule& rule : kOutputs) {
        if (rule.output == output) {
            return rule.name;
        }
    }
    return "";
}

class Parser {
public:
    Parser(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}

    ParsedOptions Run(const char* portVariable)
    {
        for (int i = 1; i < argc_; ++i) {
            if (std::strcmp(argv_[i], "--check") == 0) {
                result_.checkRequested = true;
            }
        }
        bool portGiven = false;
        bool onlyHosts = false;
        for (int i = 1; i < argc_ && result_.error.empty(); ++i) {
            const std::string word = argv_[i];
            if (word == "-" && !onlyHosts) {
                AddHostFile(word);
                continue;
            }
            if (onlyHosts || word.empty() || word[0] != '-') {
                result_.options.hosts.push_back(word);
                continue;
            }
            if (word == "--") {
                onlyHosts = true;
                continue;
            }
            std::string name;
            std::string value;
            const OptionRule* option = Find(word, name, value);
            if (option == nullptr) {
                return Fail("unknown option \"" + word + "\"");
            }
            if (option->takesValue && value.empty()) {
                if (i + 1 >= argc_) {
                    return Fail(name + " needs a value");
                }
                value = argv_[++i];
            }
            if (!Apply(*option, name, value)) {
                return result_;
            }
            portGiven = portGiven || std::strcmp(option->longName, "--port") == 0;
        }
        QueryOptions& o = result_.options;
        if (o.help) {
            return result_;
        }
        if (!portGiven) {
            o.port = static_cast<std::uint16_t>(kDefaultQueryPort);
            long port = 0;
            if (portVariable != nullptr && !ParseWhole(portVariable, 1, 65535, port)) {
                return Fail(std::string("KELVIX_QUERY_PORT \"") + portVariable + "\" is not a port number (1 to 65535)");
            }
            if (portVariable != nullptr) {
                o.port = static_cast<std::uint16_t>(port);
            }
        }
        if (o.hosts.empty() && o.hostFiles.empty()) {
            return Fail("no host given");
        }
        const bool judges = o.output == QueryOutput::Check || o.output == QueryOutput::Summary;
        if (!judges && (o.warning != kNoThreshold || o.critical != kNoThreshold)) {
            return Fail("-w and -c belong to --check and --summary");
        }
        if (o.output != QueryOutput::Check && o.downIsCritical) {
            return Fail("--down-critical belongs to --check");
        }
        if (o.warning != kNoThreshold && o.critical != kNoThreshold && o.warning > o.critical) {
            return Fail("the warning temperature is above the critical one");
        }
        if (o.waitMilliseconds == 0) {
            o.tries = 1;
        }
        return result_;
    }

private:
    // "--name=value", "--name value", "-xVALUE", "-x value".
    static const OptionRule* Find(const std::string& word, std::string& name, std::string& value)
    {
        const bool isLong = word.compare(0, 2, "--") == 0;
        const std::size_t cut = isLong ? word.find('=') : 2;
        name = word.substr(0, cut);
        for (const OptionRule& option : kOptions) {
            const bool matches = isLong ? name == option.longName : option.shortName != nullptr && name == option.shortName;
            if (!matches) {
                continue;
            }
            if (cut != std::string::npos && cut < word.size()) {
                if (!option.takesValue) {
                    return nullptr;
                }
                value = word.substr(isLong ? cut + 1 : cut);
                if (value.empty()) {
                    return nullptr;
                }
            }
            return &option;
        }
        return nullptr;
    }

    bool Apply(const OptionRule& option, const std::string& name, const std::string& value)
    {
        QueryOptions& o = result_.options;
        const std::string longName = option.longName;
        long number = 0;
        if (longName == "--port") {
            if (!ParseWhole(value, 1, 65535, number)) {
                return Reject(name + " \"" + value + "\" is not a port number (1 to 65535)");
            }
            o.port = static_cast<std::uint16_t>(number);
        } else if (longName == "--timeout") {
            if (!ParseSeconds(value, number)) {
                return Reject(name + " \"" + value + "\" is not a number of seconds (0 to 3600, 0 = no limit)");
            }
            o.waitMilliseconds = static_cast<int>(number);
        } else if (longName == "--tries") {
            if (!ParseWhole(value, 1, kMostTries, number)) {
                return Reject(name + " \"" + value + "\" is not a number of tries (1 to 100)");
            }
            o.tries = static_cast<int>(number);
        } else if (longName == "--warning" || longName == "--critical") {
            if (!ParseWhole(value, 0, 255, number)) {
                return Reject(name + " \"" + value + "\" is not a temperature (0 to 255)");
            }
            (longName == "--warning" ? o.warning : o.critical) = static_cast<int>(number);
        } else if (longName == "--parallel") {
            if (!ParseWhole(value, 1, kMostHostsInFlight, number)) {
                return Reject(name + " \"" + value + "\" is not a number of hosts (1 to " +
                              std::to_string(kMostHostsInFlight) + ")");
            }
            o.hostsInFlight = static_cast<int>(number);
        } else if (longName == "--total") {
            if (!ParseSeconds(value, number)) {
                return Reject(name + " \"" + value + "\" is not a number of seconds (0 to 3600, 0 = no limit)");
            }
            o.totalMilliseconds = static_cast<int>(number);
        } else if (longName == "--file") {
            AddHostFile(value);
        } else if (longName == "--down-critical") {
            o.downIsCritical = true;
        } else if (longName == "--long") {
            o.longLines = true;
        } else if (longName == "--json" || longName == "--check" || longName == "--summary") {
            QueryOutput wanted = QueryOutput::Lines;
            for (const OutputRule& rule : kOutputs) {
                wanted = longName == rule.name ? rule.output : wanted;
            }
            if (o.output != QueryOutput::Lines && o.output != wanted) {
                return Reject(std::string(OutputName(o.output)) + " and " + longName + " exclude each other");
            }
            o.output = wanted;
        } else {
            o.help = true;
        }
        return true;
    }

    void AddHostFile(const std::string& path)
    {
        QueryOptions& o = result_.options;
        o.hostFiles.push_back({o.hosts.size(), path});
    }

    bool Reject(const std::string& error)
    {
        result_.error = error;
        return false;
    }

    ParsedOptions Fail(const std::string& error)
    {
        result_.error = error;
        return result_;
    }

    int argc_;
    const char* const* argv_;
    ParsedOptions result_;
};

} // namespace

ParsedOptions ParseQueryOptions(int argc, const char* const* argv, const char* portVariable)
{
    return Parser(argc, argv).Run(portVariable);
}

const char* QueryUsage()
{
    return Text(QueryText::Usage);
}
