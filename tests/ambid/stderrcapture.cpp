// SPDX-License-Identifier: GPL-2.0-or-later
#include "stderrcapture.h"

#include <unistd.h>

StderrCapture::StderrCapture() : file(std::tmpfile()), saved(::dup(2))
{
    std::fflush(stderr);
    ::dup2(fileno(file), 2);
}

StderrCapture::~StderrCapture()
{
    text();
}

QByteArray StderrCapture::text()
{
    if (!file)
        return collected;
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::rewind(file);
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        collected.append(chunk, int(got));
    std::fclose(file);
    file = nullptr;
    return collected;
}
