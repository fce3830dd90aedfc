// The host has no ANSI code page: the tests stand in for the system with
// one of single bytes, or with code page 932 while a CodePage932 lives.
#pragma once

extern bool use_code_page_932;

struct CodePage932 {
    CodePage932() { use_code_page_932 = true; }
    ~CodePage932() { use_code_page_932 = false; }
};
