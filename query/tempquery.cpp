// tempquery: asks monitors for their drive reports and prints one line per drive, one
// JSON object per host (--json), or one status line for monitoring systems (--check).
//
//   tempquery [options] host...
//
// The port is 10008; -p or the environment variable KELVIX_QUERY_PORT (1 to 65535)
// replaces it. Each host is asked up to three times, waiting 2 seconds for each answer
// (-r, -t; -t 0 waits without limit).
#include "check_status.h"
#include "query_options.h"
#include "query_protocol.h"
#include "query_socket.h"
#include "report_exchange.h"
#include "report_json.h"
#include "report_printer.h"
#include "report_shape.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kFailure = -1;

void Print(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void Complain(const std::string& text)
{
    std::fprintf(stderr, "tempquery: %s.\n", text.c_str());
}

// The socket failures, in the words tempquery has always printed for them.
const char* SocketFaultText(ExchangeFault fault)
{
    switch (fault) {
    case ExchangeFault::Socket:
        return "socket() error";
    case ExchangeFault::Send:
        return "sendto() error";
    case ExchangeFault::Receive:
        return "recvfrom() error";
    default:
        return nullptr;
    }
}

// Asks one host and prints what its answer gives in the chosen output. False when the
// host gave no report.
bool AskHost(const QueryOptions& options, const std::string& host, CheckResult& check)
{
    const bool plain = options.output == QueryOutput::Lines;
    if (plain && options.hosts.size() > 1) {
        Print("== " + host + " ==\n");
    }
    std::string problem;
    QueryAddress address;
    std::uint8_t report[kReportBytes];
    ExchangeResult exchange;
    if (!ResolveQueryHost(host, address)) {
        problem = "cannot find host \"" + host + "\"";
    } else {
        exchange = AskForReport(address, options.port, options.waitMilliseconds, options.tries, report);
        if (exchange.fault == ExchangeFault::NoAnswer) {
            problem = NoAnswerText(host, options.port, options.waitMilliseconds, options.tries);
        } else if (const char* fault = SocketFaultText(exchange.fault)) {
            if (plain) {
                Print(std::string(fault) + ".\n");  // on standard output, as always
                return false;
            }
            problem = std::string(fault) + " for " + host + " port " + std::to_string(options.port);
        }
    }
    if (!problem.empty()) {
        if (options.output == QueryOutput::Check) {
            check = UnknownResult(problem);
            return false;
        }
        if (options.output == QueryOutput::Json) {
            Print(FormatFailureJson(host, options.port, problem));
        }
        Complain(problem);
        return false;
    }
    switch (options.output) {
    case QueryOutput::Lines:
        Print(FormatDriveLines(report));
        break;
    case QueryOutput::Json:
        Print(FormatReportJson(host, options.port, report));
        break;
    case QueryOutput::Check: {
        const std::string fault = ReportShapeFault(report, exchange.length);
        check = fault.empty() ? EvaluateReport(report, {options.warning, options.critical})
                              : UnknownResult("malformed report from " + host + " port " +
                                              std::to_string(options.port) + ": " + fault);
        break;
    }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    PrepareOutput();
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
            Complain(parsed.error + " (tempquery --help shows the options)");
        }
        return kFailure;
    }
    if (options.help) {
        Print(QueryUsage());
        return 0;
    }
    const bool check = options.output == QueryOutput::Check;
    if (!StartSockets()) {
        if (check) {
            Print(UnknownResult("WSAStartup() error").line);
            return static_cast<int>(CheckState::Unknown);
        }
        Print("WSAStartup() error.\n");
        return kFailure;
    }
    bool allAnswered = true;
    CheckResult checkResult{CheckState::Unknown, std::string()};
    for (const std::string& host : options.hosts) {
        allAnswered = AskHost(options, host, checkResult) && allAnswered;
    }
    const bool cleanedUp = EndSockets();
    if (check) {
        Print(checkResult.line);
        return static_cast<int>(checkResult.state);
    }
    if (!cleanedUp) {
        Print("WSACleanup() error.\n");
        return kFailure;
    }
    return allAnswered ? 0 : kFailure;
}
