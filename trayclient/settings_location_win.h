// Where PELITO keeps its settings: PELITO.INI in the user's application-data folder
// (%APPDATA%\PELITO), which a standard user may write, unlike the Windows folder.
#pragma once

#include <string>

// The path to hand to the profile functions, the folder made if need be. When the file
// is not there yet, the settings of an older PELITO are copied into it once: from the
// Windows folder, or from the user's virtual store, where Windows put the writes of a
// 32-bit PELITO without a manifest. The old file stays. Without a usable folder: the
// bare name, that is the Windows folder, as before.
std::string PelitoSettingsFile();
