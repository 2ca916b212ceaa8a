// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "camera.h"

// The backends behind camera.h, one file each; the V4L2 webcam's are in camera_v4l2.h.
CameraBackend *makePhoneCamera();
CameraBackend *makeSimCamera(const char *frameFile);

// The backend EZX_CAMERA asks for (see camera.h).
CameraBackend *selectCamera();
