#include "disk_setup_win.h"

#include "disk_control_win.h"

bool InstallProgramDiskControl()
{
    static WindowsDiskControl windowsDisks;
    InstallDiskControl(&windowsDisks);
    return true;
}
