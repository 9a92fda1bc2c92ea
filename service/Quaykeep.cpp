// Entry of the disk-cache service program. It has no window and takes no arguments:
// the service control manager starts it, and everything happens in QuaykeepService.
#include <windows.h>

#include <clocale>

#include "QuaykeepService.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::setlocale(LC_ALL, "");
    return Marlin::QuaykeepService::RunDispatcher();
}
