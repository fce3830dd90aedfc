// Imports LZ32 and the common controls statically, as SETUP.EXE once did:
// started beside planted DLLs of those names, it shows that Wine loads them.
#include <windows.h>
#include <commctrl.h>
#include <lzexpand.h>

int main(int argc, char **)
{
    if (argc > 99) { // never: the imports only have to be there
        LZClose(0);
        InitCommonControls();
    }
    return 0;
}
