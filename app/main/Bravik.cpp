// The program: the one application object with the executable's half of it.
// The class library's entry code runs its start-up and message loop.
#include "appsvc/OXRApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

static OXRApp theApp(OXRApp::ExecutableHalf());

// The entry code sits in a library; naming it here links it in, because the
// run-time's start-up asks for it only after the libraries were searched.
__attribute__((used)) static auto* const entryCode = &WinMain;
