// What every program built on services/ supplies: its module handle and its
// two ways of talking to the user. The setup program's are in driver/.
#pragma once
#include <windows.h>

extern HINSTANCE module_handle;

// Shows text with the given style and owner; returns the button pressed.
int show_message(const char *text, UINT style, HWND owner);

// Texts more than one part of a program shows, spelt once.
inline constexpr char insufficient_memory[] = "ERROR: Insufficient memory.";
inline constexpr char general_failure[] = "ERROR: General Failure!";

// Shows text as an error and ends the process with exit code 1.
[[noreturn]] void fatal_error(const char *text);
