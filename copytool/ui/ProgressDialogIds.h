// Identifiers of the progress dialog's template, pictures, controls and window messages.
// Read by the resource compiler as well, so only #define lines belong here.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_PROGRESS_DLG 102
#define IDB_PROGRESS_BANNER 133
#define IDI_QUAYSAIL 142

#define IDC_PROGRESS_BANNER 1025
#define IDC_PROGRESS_BAR 1027
#define IDC_PROGRESS_HEADER 1028
#define IDC_PROGRESS_SOURCE 1029
#define IDC_PROGRESS_TARGET 1030
#define IDC_PROGRESS_NAME 1031
#define IDC_PROGRESS_ITEMS_LEFT 1032
#define IDC_PROGRESS_SPEED 1033
#define IDC_PROGRESS_TIME_LEFT 1034

// Sent by the engine's observer for each notification: WPARAM = the SluiceCoreEvent.
#define WM_PROGRESS_ENGINE_EVENT (0x8000 + 1)
// Posted by the dialog to itself when the engine has ended: WPARAM = the modal result.
#define WM_PROGRESS_CLOSE (0x8000 + 2)
// The timer that shows the window after its first second.
#define IDT_PROGRESS_SHOW 1000
