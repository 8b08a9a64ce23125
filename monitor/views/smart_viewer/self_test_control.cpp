#include "self_test_control.h"

#include "kelvix_texts.h"
#include "self_test_reading.h"

#include <cstdio>

namespace {

void Say(SelfTestControl& control, const char* text)
{
    std::snprintf(control.status, sizeof control.status, "%s", text);
}

}  // namespace

SelfTestControl DecideSelfTestControl(const DriveRecord& record, bool starting)
{
    SelfTestControl control;
    unsigned left = 0;
    if (!SelfTestStartable(record)) {
        if (record.present != 0) {
            Say(control, Text(KelvixText::SelfTestNotStartable));
        }
    } else if (starting) {
        Say(control, Text(KelvixText::SelfTestStarting));
    } else if (record.sleeping != 0) {
        Say(control, SleepingText());  // a test would wake it; it waits for an awake read
    } else if (record.lastReadFailed != 0 ||
               (record.kind == DriveKind::Nvme ? record.healthResult : record.attributeResult) == nullptr) {
        // not answering: nothing is known of a test, and the drive would not take one
    } else if (SelfTestRunning(record, left)) {
        std::snprintf(control.status, sizeof control.status, Text(KelvixText::SelfTestProgress), left);
    } else {
        control.enabled = true;
    }
    return control;
}

std::string SelfTestConfirmText(const DriveRecord& record, std::uint32_t driveNumber, bool extended)
{
    const char* kind = Text(extended ? KelvixText::SelfTestKindExtended : KelvixText::SelfTestKindShort);
    const unsigned minutes = DriveSelfTestMinutes(record, extended);
    char text[1024];
    if (minutes != 0) {
        std::snprintf(text, sizeof text, Text(KelvixText::SelfTestConfirm), kind, driveNumber, record.model, minutes);
    } else {
        std::snprintf(text, sizeof text, Text(KelvixText::SelfTestConfirmNoTime), kind, driveNumber, record.model);
    }
    return text;
}
