// The host has no ANSI code page: the tests stand in for the system with
// one of single bytes, or with the lead bytes of code page 932, 936, 949 or
// 950 while stand_in_code_page names it (a CodePage932 sets 932 for its life).
#pragma once

extern unsigned stand_in_code_page;

struct CodePage932 {
    CodePage932() { stand_in_code_page = 932; }
    ~CodePage932() { stand_in_code_page = 0; }
};
