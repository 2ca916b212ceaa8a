// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Application identifiers of the phone's application manager.
struct AM_Global
{
    enum Apps : int {
        APP_LIGHTSHOW = 77,
    };
};
