#pragma once
#include <string>

// The job's title as one file name of at most maxBytes bytes: valid UTF-8 only (no overlong
// forms, surrogates or code points above U+10FFFF), without separators or control characters,
// not hidden; every byte that breaks these rules becomes "_". May be empty.
std::string NameFromTitle(const std::string& title, size_t maxBytes);
