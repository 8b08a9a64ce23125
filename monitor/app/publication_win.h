// What the monitor hands on after each look at its drives: the judged snapshot to the
// export services, the report server, the notifications and Home Assistant.
#pragma once

// Judges the drive table and publishes the result to every reader; after a measurement
// (`measured`) the history records it too.
void JudgeAndPublish(bool measured = false);

// Starts the Home Assistant publisher over with the program's [Mqtt] settings (stopped
// when they name no broker).
void RestartMqtt();
