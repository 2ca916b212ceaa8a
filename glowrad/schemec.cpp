// SPDX-License-Identifier: GPL-2.0-or-later
// glowrad-schemec SOURCE OUTPUT: compiles the readable light schemes into the schemes file
// that the daemon reads. Nothing is written when the source has a fault.
#include "schemesource.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// A source this large is not a schemes source.
constexpr std::streamoff maxSourceSize = 4 * 1024 * 1024;

bool readSource(const char *path, std::string &text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read: %s\n", path, std::strerror(errno));
        return false;
    }
    std::ostringstream content;
    in.seekg(0, std::ios::end);
    if (in.tellg() > maxSourceSize) {
        std::fprintf(stderr, "%s: larger than %lld bytes, not a schemes source\n", path,
                     static_cast<long long>(maxSourceSize));
        return false;
    }
    in.seekg(0);
    content << in.rdbuf();
    text = content.str();
    return true;
}

// Written beside the target and renamed over it, so a failed build never leaves half a file.
bool writeOutput(const char *path, const std::vector<unsigned char> &bytes)
{
    const std::string temporary = std::string(path) + ".new";
    std::FILE *out = std::fopen(temporary.c_str(), "wb");
    bool written = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (out)
        written = std::fclose(out) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path) != 0) {
        std::fprintf(stderr, "%s: cannot write: %s\n", path, std::strerror(errno));
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SOURCE OUTPUT\n", argc > 0 ? argv[0] : "glowrad-schemec");
        return 2;
    }
    std::string source;
    if (!readSource(argv[1], source))
        return 1;
    std::vector<unsigned char> bytes;
    SchemeSourceError error;
    if (!compileSchemes(source, bytes, error)) {
        if (error.line > 0)
            std::fprintf(stderr, "%s:%d: %s\n", argv[1], error.line, error.message.c_str());
        else
            std::fprintf(stderr, "%s: %s\n", argv[1], error.message.c_str());
        return 1;
    }
    return writeOutput(argv[2], bytes) ? 0 : 1;
}
