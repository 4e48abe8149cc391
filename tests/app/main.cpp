#include "support/UiTestApp.h"

// The program's tests start the real executable; the automation commands'
// tests run inside this process on an application object of its own, with
// the program's English locale.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    OXRApp app;
    if (!SetUpUiApp(app, kEmbeddedLocale))
        return 2;
    return RUN_ALL_TESTS();
}
