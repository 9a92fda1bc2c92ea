// Identifiers of the copy tool's string table (Strings.rc). Shared by the resource
// compiler and C++, so they are plain macros with no other content.
#ifndef QUAYSAIL_UI_STRINGIDS_H
#define QUAYSAIL_UI_STRINGIDS_H

// Progress dialog
#define IDS_PROGRESS_HEADER            3000  // "%s中 - %I64d 個の項目（%s）": operation word, items total, size text
#define IDS_ITEMS_LEFT                 3001  // "%I64d（%s）": items left, size text of the bytes left
#define IDS_ERROR_UNKNOWN              3002  // "%s中にエラーが発生しました。": operation word
#define IDS_PROGRESS_PREPARING         3003  // "%sの準備中": operation word
#define IDS_CALCULATING                3004  // "計算中..."
#define IDS_CANCELLING                 3005  // "取り消しています..."
#define IDS_CAPTION                    3010  // "%sの%s": kind word, operation word

// Words put into other texts
#define IDS_OPERATION_COPY             3100  // "コピー"
#define IDS_OPERATION_MOVE             3101  // "移動"
#define IDS_KIND_FILE                  3102  // "ファイル"
#define IDS_KIND_FOLDER                3103  // "フォルダー"
#define IDS_PER_SECOND                 3104  // "秒", after "/" in the speed text
#define IDS_TITLE_REMAINING            3105  // "残り", window title before the time text
#define IDS_TIME_ABOUT                 3106  // "約", time-left text before the time text
#define IDS_CONTINUE_BUTTON            3107  // "続行(&C)", the access-denied question's affirmative button

// Item lines of the question dialogs
#define IDS_LINE_CREATED               5000  // "作成日時： %s": date-time text
#define IDS_LINE_MODIFIED              5001  // "更新日時： %s": date-time text
#define IDS_LINE_SIZE                  5002  // "サイズ： %s": size text
#define IDS_LINE_NAME                  5003  // "名前： %s"
#define IDS_LINE_LOCATION              5004  // "場所： %s"
#define IDS_ENCRYPTION_QUESTION        5010  // "この%sを暗号化なしで%sしますか？": kind word, operation word
#define IDS_ENCRYPTION_EXPLANATION     5011  // "暗号化をサポートしていない宛先に、%sを%sします。": kind word, operation word

// Error texts
#define IDS_ERROR_ENGINE               6000  // "%s中にエラーが発生しました。": operation word; "(type)" follows
#define IDS_ERROR_NOT_FREE_SPACE       6001  // "...さらに%s必要です。": size text of the shortfall
#define IDS_ERROR_DESTINATION_IN_SOURCE 6002 // "受け側のフォルダーは、送り側フォルダーのサブフォルダーです。"
#define IDS_ERROR_CANCELLED            6004  // "作業を取り消しました。"
#define IDS_ERROR_NAME_CONFLICT        6005  // "指定された%s名と同じ名前の%sが...": source kind word, destination kind word
#define IDS_ERROR_NEEDS_ADMINISTRATOR  6006  // "%sを続行するには管理者の...": operation word
#define IDS_ERROR_SHARING_VIOLATION    6007  // "ファイルを閉じてから再試行してください。"

#endif
