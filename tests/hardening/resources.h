// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// What a long run must not use more of as it goes on.
struct Resources
{
    int descriptors = 0;
    int threads = 0;
    long long heapBytes = 0;  // in use by the allocator, not merely held by it

    QString describe() const;
};

Resources resourcesNow();

// resourcesNow() once the thread count has come down to early's, or after two seconds. The
// kernel still counts a thread for a moment after pthread_join has returned; a leaked thread
// never goes, so the wait hides nothing.
Resources resourcesSettled(const Resources &early);

// Flat: no more descriptors or threads, and no more than slackBytes more heap.
bool staysFlat(const Resources &early, const Resources &late, long long slackBytes = 256 * 1024);
