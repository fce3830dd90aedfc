// Opening Brimwave's help file.
#pragma once
#include <windows.h>

// Opens Brimwave.chm from the folder of Brimwave.exe with its default viewer,
// or tells the user why it cannot.
void open_help(HWND owner);
