// The errors the temperature service raised in kelvixd (ShowMessage logs them and counts
// them here), so the query thread can tell a failed port from a stop command.
#pragma once

unsigned long ServiceErrorCount();
