// Resource and control ids, numbered in blocks as the templates number them.
#pragma once

#define IDI_SETUP 100
#define IDB_BANNER 200

#define IDD_DESTINATION 1000
#define IDC_HEADING 1001
#define IDC_DESCRIPTION 1002
#define IDC_DESTINATION 1003
#define IDC_BROWSE 1004
#define IDC_REQUIREMENT_FIRST 1005
#define IDC_REQUIREMENT_LAST 1009
#define IDC_BANNER 1010

#define IDD_LICENCE 2000
#define IDC_LICENCE_TEXT 2001

#define IDD_PROGRESS 3000
#define IDC_PROGRESS_STATUS 3001
#define IDC_PROGRESS_BAR 3002

// IDR_PAYLOAD_PROGRAM and IDR_PAYLOAD_HELP, beside the file table.
#include "services/product.h"
