// The entry code of a windowed program built on the library; a program with
// its own main never pulls this in.
#include "classlib/CWinApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    return AfxWinMain(instance, showCommand);
}
