#include "services/account.h"
#include <windows.h>
#include "services/dll_search.h"

bool runs_as_local_system(void)
{
    // Looked up: Windows 9x has no tokens.
    typedef BOOL(WINAPI * OpenTokenProc)(HANDLE, DWORD, PHANDLE);
    typedef BOOL(WINAPI * TokenInformationProc)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD,
                                                PDWORD);
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    OpenTokenProc open_token = find_entry_point<OpenTokenProc>(advapi, "OpenProcessToken");
    TokenInformationProc token_information =
        find_entry_point<TokenInformationProc>(advapi, "GetTokenInformation");
    HANDLE token;
    if (!open_token || !token_information || !open_token((HANDLE)-1, TOKEN_QUERY, &token)) // the current process
        return false;
    DWORD user[64];
    DWORD size;
    bool system = token_information(token, TokenUser, user, sizeof user, &size);
    // S-1-5-18 as its bytes: revision 1, one sub-authority, authority 5, 18.
    const DWORD *sid = (const DWORD *)((TOKEN_USER *)user)->User.Sid;
    system = system && sid[0] == 0x101 && sid[1] == 0x05000000 && sid[2] == 18;
    CloseHandle(token);
    return system;
}
