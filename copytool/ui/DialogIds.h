// Identifiers of the question dialogs' templates and controls. Read by the resource
// compiler as well, so only #define lines belong here.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Templates
#define IDD_ERROR_DLG 9
#define IDD_OVERWRITE_FOLDER_DLG 103
#define IDD_OVERWRITE_FILE_DLG 104
#define IDD_WARNING_ENCRYPTED_DLG 105

// Buttons. Cancel is the system's IDCANCEL (2), so Esc and the close box press it.
#define IDC_QUESTION_YES 1000
#define IDC_QUESTION_SKIP 1001
#define IDC_QUESTION_RETRY 1018
#define IDC_APPLY_TO_ALL 1002

// The new item (source) of an overwrite question
#define IDC_NEW_NAME 1003
#define IDC_NEW_TIME 1004
#define IDC_NEW_SIZE 1005
#define IDC_NEW_LOCATION 1011

// The existing item (destination) of an overwrite question
#define IDC_OLD_NAME 1006
#define IDC_OLD_TIME 1007
#define IDC_OLD_SIZE 1008
#define IDC_OLD_LOCATION 1010

// The one item of an error or encryption question
#define IDC_ITEM_SIZE 1012
#define IDC_ITEM_TIME 1013
#define IDC_WARNING_ICON 1014
#define IDC_QUESTION_TEXT 1015
#define IDC_QUESTION_DETAIL 1016
#define IDC_QUESTION_MESSAGE 1017
#define IDC_ITEM_NAME 1031
#define IDC_ITEM_LOCATION 1032
