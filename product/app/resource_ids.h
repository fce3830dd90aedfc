// Resource and control ids of Brimwave.exe, shared by the resource script and the code.
#pragma once

#define IDI_BRIMWAVE 100

#define IDC_TITLE_LABEL 1001
#define IDC_HELP_BUTTON 1002
