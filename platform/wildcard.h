// File-name patterns as FindFirstFileA takes them.
#pragma once

// True when `name` matches `mask`: "*" stands for any run of characters,
// "?" for exactly one, letters match regardless of case, and "*.*" matches
// every name, dotted or not, as it does on Windows.
bool WildcardMatch(const char* mask, const char* name);
