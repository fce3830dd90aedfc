// The Windows tests' entry point: the services find their resources (the
// dialog templates linked into this program) through module_handle, and the
// progress bar's window class needs the common controls.
#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>
#include <commctrl.h>
#include "services/process.h"
#include "services/system_libraries.h"

int main(int argc, char **argv)
{
    module_handle = GetModuleHandleA(nullptr);
    InitCommonControls();
    const char *missing;
    if (!load_system_libraries(&missing)) {
        fprintf(stderr, "cannot load %s\n", missing);
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
