// The storage-property requests for a drive no other way reaches, sent through the
// disk-control seam on the drive's open handle.
#pragma once

#include "storage_temperature.h"
#include "wintypes.h"

// StorageDeviceTemperatureProperty: false when the request fails or the reply holds no
// usable entry.
bool QueryTemperatureProperty(HANDLE handle, PropertyTemperature& result);
// StorageDeviceProperty: the device descriptor's texts and bus type.
bool QueryDeviceTexts(HANDLE handle, DeviceTexts& texts);
