// Waits on its own thread for a modal window (a message box or a question dialog) that the
// progress dialog opens, notes what it shows and whether the progress dialog was visible
// at that moment, then answers it: optionally checks a check box, then presses a button.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quaytest {

struct PopupSeen {
    bool appeared = false;
    bool ownerVisible = false;  // the progress dialog, when the popup appeared
    std::wstring title;
    std::vector<std::wstring> texts;  // of its child controls, in z order
};

class PopupWatcher {
public:
    // Watches for a popup owned by owner; presses button (after checking checkBox when it
    // is not 0). Gives up after timeoutMs.
    PopupWatcher(HWND owner, int button, int checkBox = 0, DWORD timeoutMs = 20000);
    ~PopupWatcher();
    PopupWatcher(const PopupWatcher&) = delete;
    PopupWatcher& operator=(const PopupWatcher&) = delete;

    // Waits for the watcher to finish and returns what it saw.
    PopupSeen Finish();

private:
    void Watch(HWND owner, int button, int checkBox, DWORD timeoutMs);

    std::atomic<bool> stop_{false};
    PopupSeen seen_;
    std::thread thread_;
};

}  // namespace quaytest
