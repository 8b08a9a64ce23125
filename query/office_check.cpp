#include "office_check.h"

#include "drive_judgement.h"
#include "report_record.h"

#include <algorithm>
#include <set>

namespace {

constexpr std::size_t kNamedDrives = 3;
constexpr std::size_t kNamedHosts = 3;

struct NotableDrive {
    CheckState state;
    int degrees;
    std::size_t order;  // hosts' order, then slots
    std::string text;
};

int Severity(CheckState state)
{
    return state == CheckState::Critical ? 2 : state == CheckState::Warning ? 1 : 0;
}

// "a, b, c and 7 more (--summary lists all)"
std::string NameList(const std::vector<std::string>& names, std::size_t shown)
{
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < shown; ++i) {
        text += (i == 0 ? "" : ", ") + names[i];
    }
    if (names.size() > shown) {
        text += " and " + std::to_string(names.size() - shown) + " more (--summary lists all)";
    }
    return text;
}

std::string Count(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A quoted label not given before: one that repeats (a host named twice, or two names
// that read the same once cleaned) gets " #2", " #3", ...
std::string UniqueLabel(const std::string& label, std::set<std::string>& used)
{
    std::string unique = PerfLabel(label);
    for (int n = 2; !used.insert(unique).second; ++n) {
        unique = PerfLabel(label + " #" + std::to_string(n));
    }
    return unique;
}

} // namespace

CheckResult EvaluateOffice(const std::vector<std::string>& hosts, const std::vector<HostOutcome>& outcomes,
                           const std::vector<std::string>& problems, const OfficeCheckRules& rules)
{
    CheckState state = CheckState::Ok;
    std::vector<NotableDrive> notable;
    std::vector<std::string> silent;
    std::set<std::string> labels;
    std::string perfData;
    std::size_t drives = 0;
    std::size_t unread = 0;
    std::size_t answered = 0;
    const NotableDrive* hottest = nullptr;
    NotableDrive hottestDrive{CheckState::Ok, 0, 0, std::string()};
    for (std::size_t h = 0; h < hosts.size(); ++h) {
        const std::string host = StatusText(hosts[h]);
        if (!problems[h].empty()) {
            silent.push_back(host);
            continue;
        }
        ++answered;
        const HostOutcome& outcome = outcomes[h];
        for (std::size_t slot = 0; slot < kReportRecords; ++slot) {
            const DriveReport record = ReportRecordAt(outcome.report, slot);
            if (record.present != 1) {
                continue;
            }
            ++drives;
            const DriveJudgement judgement = JudgeDrive(record, outcome.health[slot], rules.thresholds);
            state = WorseState(state, judgement.state);
            unread += judgement.unread ? 1 : 0;
            const std::string name = host + " " + DriveName(slot, FieldText(record.model));
            const NotableDrive drive{judgement.state, record.current, h * kReportRecords + slot, name};
            if (judgement.state != CheckState::Ok) {
                std::string text = name;
                if (judgement.hot) {
                    text += " at " + std::to_string(record.current) + " C";
                }
                if (judgement.unhealthy) {
                    text += " " + HealthText(outcome.health[slot]);
                }
                notable.push_back({judgement.state, record.current, drive.order, text});
            }
            if (!judgement.unread && (hottest == nullptr || record.current > hottestDrive.degrees)) {
                hottestDrive = drive;
                hottest = &hottestDrive;
            }
            perfData += " " + UniqueLabel(hosts[h] + " drive" + std::to_string(slot), labels) + "=" +
                        PerfValue(record, rules.thresholds);
        }
    }
    std::stable_sort(notable.begin(), notable.end(), [](const NotableDrive& a, const NotableDrive& b) {
        if (Severity(a.state) != Severity(b.state)) {
            return Severity(a.state) > Severity(b.state);
        }
        return a.degrees > b.degrees;
    });
    std::vector<std::string> parts;
    if (!notable.empty()) {
        std::vector<std::string> names;
        for (const NotableDrive& drive : notable) {
            names.push_back(drive.text);
        }
        parts.push_back(Count(notable.size(), "drive needs", "drives need") + " attention: " +
                        NameList(names, kNamedDrives));
    }
    if (!silent.empty()) {
        state = WorseState(state, rules.downIsCritical ? CheckState::Critical : CheckState::Unknown);
        parts.push_back(Count(silent.size(), "host", "hosts") + " silent: " + NameList(silent, kNamedHosts));
    }
    std::string counts = Count(drives, "drive", "drives");
    if (unread > 0) {
        counts += " (" + std::to_string(unread) + " without temperature)";
    }
    counts += " on " + (answered == hosts.size() ? std::string() : std::to_string(answered) + " of ") +
              Count(hosts.size(), "host", "hosts");
    if (hottest == nullptr) {
        state = WorseState(state, CheckState::Unknown);
        counts += ", no drive reports a temperature";
    } else if (notable.empty()) {
        counts += ", hottest " + hottest->text + " at " + std::to_string(hottest->degrees) + " C";
    }
    parts.push_back(counts);
    const std::string limits = LimitsText(rules.thresholds);
    if (!limits.empty()) {
        parts.push_back(limits);
    }
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : ", ") + part;
    }
    perfData = "'hosts answered'=" + std::to_string(answered) + " 'hosts silent'=" + std::to_string(silent.size()) +
               perfData;
    return {state, CheckHeadline(state, text) + "|" + perfData + "\n"};
}
