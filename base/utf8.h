// UTF-8 as the archive's entry names and the meta data block carry it:
// strict, so that a name or value is either exact or refused.
#pragma once

#include <stddef.h>

// Bytes of the well-formed UTF-8 sequence at text (1 to 4; 1 for an ASCII
// byte). 0 when no sequence starts there: a stray continuation byte, a
// sequence cut short, an overlong form, a surrogate, a value above U+10FFFF,
// or the terminating zero.
size_t Utf8SequenceLength(const char* text);

// True when the whole text is well-formed UTF-8 (an empty text is).
bool IsValidUtf8(const char* text);

// True when every byte is below 0x80: such a text reads the same in UTF-8
// and in every code page a zip reader may assume.
bool IsPlainAscii(const char* text);

// One UTF-16 code unit: wchar_t where the system's wide functions take it.
#ifdef _WIN32
typedef wchar_t Utf16Unit;
#else
typedef char16_t Utf16Unit;
#endif

// Copies the zero-ended text to `to` with its zero; returns where that zero
// went, for appending. The caller sees that it fits.
Utf16Unit* CopyUtf16(Utf16Unit* to, const Utf16Unit* text);

// Converts the well-formed UTF-8 text into UTF-16 with a terminating zero
// (a value above U+FFFF becomes a surrogate pair). Returns the units written
// without the zero; 0 for an empty text; (size_t)-1 when the text is not
// well-formed UTF-8 or does not fit outUnits, and out is then empty.
size_t Utf8ToUtf16(const char* text, Utf16Unit* out, size_t outUnits);
