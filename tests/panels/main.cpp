#include "support/UiTestApp.h"

int main(int argc, char** argv)
{
    return RunUiTests(argc, argv);
}
