// The program entry of the copy tool: the framework runs the one application object.
#include <windows.h>

#include "CMarlinFileCopyApp.h"

namespace {

Marlin::CMarlinFileCopyApp theApp;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return Marlin::CWinApp::Main(instance);
}
