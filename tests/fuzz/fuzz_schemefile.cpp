// SPDX-License-Identifier: GPL-2.0-or-later
// The daemon's view of a schemes file: the index of however many bytes could be read, then
// each scheme's steps as far as the file holds them.
#include "schemefile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::size_t indexLength = std::min(size, SCHEME_INDEX_SIZE);
    for (int scheme = 0; scheme < SCHEME_COUNT; ++scheme) {
        const SchemeEntry entry = schemeEntry(data, indexLength, scheme);
        if (indexLength < SCHEME_INDEX_SIZE && std::size_t(scheme + 1) * SCHEME_ENTRY_SIZE > indexLength
            && (entry.offset != 0 || entry.steps != 0))
            std::abort();  // an entry cut off by the end of the file has no steps
        std::uint64_t at = entry.offset;
        for (std::uint32_t n = 0; n < entry.steps && at + SCHEME_STEP_SIZE <= size; ++n) {
            const SchemeStep step = decodeStep(data + at);
            (void)step;
            at += SCHEME_STEP_SIZE;
        }
    }
    return 0;
}
