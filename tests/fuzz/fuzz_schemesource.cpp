// SPDX-License-Identifier: GPL-2.0-or-later
// The schemes compiler: any text either compiles to a schemes file whose index stays inside
// it, or is refused with a message and the output left alone.
#include "schemefile.h"
#include "schemesource.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string source(reinterpret_cast<const char *>(data), size);
    std::vector<unsigned char> out{0x55};
    SchemeSourceError error;
    if (!compileSchemes(source, out, error)) {
        if (error.message.empty() || out.size() != 1 || out[0] != 0x55)
            std::abort();
        return 0;
    }
    if (out.size() < SCHEME_INDEX_SIZE)
        std::abort();
    for (int scheme = 0; scheme < SCHEME_COUNT; ++scheme) {
        const SchemeEntry entry = schemeEntry(out.data(), SCHEME_INDEX_SIZE, scheme);
        if (entry.steps > SCHEME_MAX_STEPS
            || std::uint64_t(entry.offset) + std::uint64_t(entry.steps) * SCHEME_STEP_SIZE > out.size())
            std::abort();
    }
    return 0;
}
