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

// Flat: no more descriptors or threads, and no more than slackBytes more heap.
bool staysFlat(const Resources &early, const Resources &late, long long slackBytes = 256 * 1024);
