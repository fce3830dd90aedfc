// Classifying a run against the installed version, and the version label.
// No Win32 here, so it is tested natively.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Version 1.00 of the product that this setup program carries.
enum : uint32_t { BUILD_VERSION = 100 };

enum SetupMode { SETUP_FRESH, SETUP_REINSTALL, SETUP_UPDATE, SETUP_NEWER };

SetupMode classify_setup_mode(bool installed, uint32_t installed_version);

// Room for the longest label any 32-bit version gives: v42949672.95.
enum { VERSION_LABEL_SIZE = 16 };

// "v", version div 100, ".", version mod 100 in two digits, and one trailing
// '0' dropped: 100 gives v1.0, 105 v1.05, 110 v1.1.
bool build_version_label(uint32_t version, char *label, size_t size);
