// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

// A text as exactly one word of a POSIX shell command line. A text of plain characters
// (ASCII letters, digits and "_-./+,:=%@") comes back unchanged, so that ordinary command
// lines read as they always did; anything else, the empty text included, is put in single
// quotes, a single quote inside becoming '\''. Bytes outside ASCII (UTF-8 and the like) are
// quoted too and otherwise passed through as they are.
std::string shellQuote(const std::string &text);
