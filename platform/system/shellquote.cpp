// SPDX-License-Identifier: GPL-2.0-or-later
#include "shellquote.h"

#include <algorithm>
#include <cstring>

namespace {

bool isPlain(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
           || (c != '\0' && std::strchr("_-./+,:=%@", c) != nullptr);
}

}  // namespace

std::string shellQuote(const std::string &text)
{
    if (!text.empty() && std::all_of(text.begin(), text.end(), isPlain))
        return text;
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}
