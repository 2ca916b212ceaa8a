// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <cstdio>

// Collects what the code under test writes to standard error (descriptor 2) while it lives.
class StderrCapture
{
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    // Stops collecting (on first call) and returns everything collected.
    QByteArray text();

private:
    std::FILE *file;
    int saved;
    QByteArray collected;
};
