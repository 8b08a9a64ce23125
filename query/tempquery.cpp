// tempquery: asks monitors for their drive reports and prints one line per drive, one
// JSON object per host (--json), one status line for monitoring systems (--check) or the
// drives that need attention (--summary).
//
//   tempquery [options] host...
//
// The port is 10008; -p or the environment variable KELVIX_QUERY_PORT (1 to 65535)
// replaces it. Each host is asked up to three times, waiting 2 seconds for each answer
// (-r, -t; -t 0 waits without limit); up to 64 hosts are asked at once (-P).
#include "check_status.h"
#include "drive_summary.h"
#include "host_list.h"
#include "office_check.h"
#include "query_options.h"
#include "query_protocol.h"
#include "query_socket.h"
#include "query_texts.h"
#include "report_exchange.h"
#include "report_json.h"
#include "report_printer.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kFailure = -1;
constexpr std::size_t kLargestHostFile = 1 << 20;

static_assert(kMostHostsInFlight <= kMostWaitedSockets, "every host in flight is waited for at once");

void Print(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void Complain(const std::string& text)
{
    std::fprintf(stderr, "tempquery: %s.\n", text.c_str());
}

bool ReadWholeFile(const std::string& path, std::string& text)
{
    FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    char buffer[4096];
    bool good = true;
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        text.append(buffer, n);
        if (text.size() > kLargestHostFile) {
            good = false;  // no host list is a megabyte long
            break;
        }
    }
    good = good && !std::ferror(file);
    if (file != stdin) {
        std::fclose(file);
    }
    return good;
}

// Prints each host's part of the lines or JSON as soon as it is known, in order.
class StreamedOutput {
public:
    StreamedOutput(const QueryOptions& options, const std::vector<std::string>& hosts, const AskingPlan& plan)
        : options_(options), hosts_(hosts), plan_(plan)
    {
    }

    void Host(std::size_t index, const HostOutcome& outcome)
    {
        const std::string& host = hosts_[index];
        const bool plain = options_.output == QueryOutput::Lines;
        if (const std::string note = StrayNote(outcome); !note.empty()) {
            Complain(host + ": " + note);
        }
        if (plain && hosts_.size() > 1) {
            Print("== " + host + " ==\n");
        }
        if (outcome.state == HostState::Answered) {
            Print(plain ? FormatDriveLines(outcome.report, options_.longLines ? outcome.health : nullptr)
                        : FormatReportJson(HostName(host), HostPort(host), outcome.report, outcome.health));
            return;
        }
        allAnswered_ = false;
        if (plain && outcome.state == HostState::SocketFault) {
            Print(std::string(SocketCallText(outcome.failedCall)) + ".\n");  // on standard output, as always
            return;
        }
        const std::string problem = HostProblem(host, outcome, plan_);
        if (!plain) {
            Print(FormatFailureJson(HostName(host), HostPort(host), outcome.state, problem));
        }
        std::fflush(stdout);
        Complain(problem);
    }

    bool AllAnswered() const { return allAnswered_; }

private:
    std::string HostName(const std::string& entry) const
    {
        std::string name;
        std::uint16_t port = 0;
        SplitHostPort(entry, options_.port, name, port);
        return name;
    }
    std::uint16_t HostPort(const std::string& entry) const
    {
        std::string name;
        std::uint16_t port = options_.port;
        SplitHostPort(entry, options_.port, name, port);
        return port;
    }

    const QueryOptions& options_;
    const std::vector<std::string>& hosts_;
    const AskingPlan& plan_;
    bool allAnswered_ = true;
};

// Why each host gave no usable report; empty where it gave one.
std::vector<std::string> Problems(const std::vector<std::string>& hosts, const std::vector<HostOutcome>& outcomes,
                                  const AskingPlan& plan)
{
    std::vector<std::string> problems;
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        problems.push_back(HostProblem(hosts[i], outcomes[i], plan));
    }
    return problems;
}

CheckResult Check(const QueryOptions& options, const std::vector<std::string>& hosts,
                  const std::vector<HostOutcome>& outcomes, const std::vector<std::string>& problems)
{
    const CheckThresholds thresholds{options.warning, options.critical};
    if (hosts.size() > 1) {
        // The status line names a few; the long output, one line each, every problem.
        CheckResult result = EvaluateOffice(hosts, outcomes, problems, {thresholds, options.downIsCritical});
        result.line += FormatSummary(hosts, outcomes, problems, thresholds);
        return result;
    }
    if (!problems[0].empty()) {
        return UnknownResult(problems[0]);
    }
    return EvaluateReport(outcomes[0].report, thresholds, outcomes[0].health);
}

} // namespace

int main(int argc, char** argv)
{
    PrepareOutput();
    // English unless the language rule says Japanese (a Japanese Windows, or KELVIX_LANGUAGE=ja).
    ChooseProgramLanguage(std::getenv("KELVIX_LANGUAGE"));
    const ParsedOptions parsed = ParseQueryOptions(argc, argv, std::getenv("KELVIX_QUERY_PORT"));
    const QueryOptions& options = parsed.options;
    if (!parsed.error.empty()) {
        if (parsed.checkRequested) {
            Print(UnknownResult("tempquery: " + parsed.error).line);
            return static_cast<int>(CheckState::Unknown);
        }
        if (argc == 1) {
            std::fputs(QueryUsage(), stderr);
        } else {
            Complain(parsed.error + Text(QueryText::HelpHint));
        }
        return kFailure;
    }
    if (options.help) {
        Print(QueryUsage());
        return 0;
    }
    const bool check = options.output == QueryOutput::Check;
    std::vector<std::string> hosts;
    std::string listError;
    if (!GatherHosts(options, ReadWholeFile, hosts, listError)) {
        if (check) {
            Print(UnknownResult("tempquery: " + listError).line);
            return static_cast<int>(CheckState::Unknown);
        }
        Complain(listError);
        return kFailure;
    }
    if (!StartSockets()) {
        if (check) {
            Print(UnknownResult("WSAStartup() error").line);
            return static_cast<int>(CheckState::Unknown);
        }
        Print("WSAStartup() error.\n");
        return kFailure;
    }
    SweepPlan plan;
    plan.asking = {options.port, options.waitMilliseconds, options.tries, options.totalMilliseconds};
    plan.hostsInFlight = options.hostsInFlight;
    plan.askVerdicts = options.output != QueryOutput::Lines || options.longLines;
    const bool streamed = options.output == QueryOutput::Lines || options.output == QueryOutput::Json;
    StreamedOutput stream(options, hosts, plan.asking);
    const std::vector<HostOutcome> outcomes =
        SweepHosts(hosts, plan, streamed ? HostDone([&](std::size_t i, const HostOutcome& o) { stream.Host(i, o); })
                                         : HostDone());
    const bool cleanedUp = EndSockets();
    if (check) {
        const CheckResult result = Check(options, hosts, outcomes, Problems(hosts, outcomes, plan.asking));
        Print(result.line);
        return static_cast<int>(result.state);
    }
    if (options.output == QueryOutput::Summary) {
        const std::string summary = FormatSummary(hosts, outcomes, Problems(hosts, outcomes, plan.asking),
                                                  {options.warning, options.critical});
        Print(summary);
        return summary.empty() ? 0 : 1;
    }
    if (!cleanedUp) {
        Print("WSACleanup() error.\n");
        return kFailure;
    }
    return stream.AllAnswered() ? 0 : kFailure;
}
