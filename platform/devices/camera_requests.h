// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>

// The phone camera driver's requests whose answers depend on no device: a null pointer
// argument, the settings it takes and ignores, the buffer count and the mapping size. Every
// backend that speaks the driver's requests answers them alike. Returns true when request was
// one of them, with the result in *result (-1 with errno set on failure).
bool answerCommonCameraRequest(unsigned long request, unsigned long arg, int &bufferCount,
                               std::size_t frameBytes, int *result);

// Fills the frame record that WCAM_VIDIOCGRABFRAME hands back at arg.
void writeFrameRecord(unsigned long arg, int width, int height, int sampleCount);
