#ifndef BRIMWAVE_UI_LICENCE_TEXT_H
#define BRIMWAVE_UI_LICENCE_TEXT_H

// The licence agreement shown in the licence dialog: 2,171 characters of
// plain ASCII with 22 CR LF line breaks, zero-terminated.
extern const char licence_text[];

#endif
