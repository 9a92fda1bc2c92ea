// Resource IDs of Quaydrop.dll.
#pragma once

#define IDS_COPY_HERE 1000
#define IDS_MOVE_HERE 1001

#define IDR_MODULE_SCRIPT 101
#define IDR_CLASS_SCRIPT 103
