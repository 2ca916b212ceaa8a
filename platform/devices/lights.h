// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The keypad light (/dev/keylight) and the framebuffer (/dev/fb0), whose driver also runs the
// display backlight. Programs open the nodes by their phone names and send the phone's
// requests; the backend behind these calls is chosen once per process from EZX_LIGHTS:
//
//   phone      the device nodes (through phonePath) and ioctl, request numbers as they are
//   sim:FILE   a simulated pair of lights that logs every event to FILE (see lights_sim.cpp)
//   sysfs      the backlight and keyboard LED of /sys (see lights_sysfs.h)
//   (unset)    phone where /dev/keylight is a character device, else sysfs where a backlight
//              exists, else phone
//
// Results follow ioctl: 0 or a positive value on success, -1 with errno set on failure.

// /dev/keylight, argument 0.
constexpr unsigned long LIGHT_KEYPAD_ON = 0xF0;
constexpr unsigned long LIGHT_KEYPAD_OFF = 0xF2;

// /dev/fb0.
constexpr unsigned long LIGHT_FB_BLANK = 0x4611;          // FBIOBLANK; argument 0 unblanks
constexpr unsigned long LIGHT_FB_BACKLIGHT = 0x4619;      // argument 1 on, 0 off; level kept
constexpr unsigned long LIGHT_FB_GET_BACKLIGHT = 0x461A;  // argument: unsigned char *, nonzero = on
constexpr unsigned long LIGHT_FB_SET_LEVEL = 0x461B;      // argument: the level itself
constexpr unsigned long LIGHT_FB_GET_LEVEL = 0x461C;      // argument: int *

constexpr const char *LIGHT_NODE_FB = "/dev/fb0";
constexpr const char *LIGHT_NODE_KEYPAD = "/dev/keylight";

int lightOpen(const char *node, int flags);
int lightRequest(int fd, unsigned long request, unsigned long arg);
int lightRequest(int fd, unsigned long request, void *arg);
int lightClose(int fd);

// What every backend does (one file each, lights_<backend>.cpp; lights_select.cpp picks one).
class LightBackend
{
public:
    virtual ~LightBackend() = default;
    virtual int open(const char *node, int flags) = 0;
    virtual int request(int fd, unsigned long request, unsigned long arg) = 0;
    virtual int close(int fd) = 0;
    // The backlight's level (0-100) when the backend was made, where it can tell.
    virtual bool levelAtStart(unsigned int *) const { return false; }
    // See startLightGuard() in lightguard.h.
    virtual bool startGuard() { return false; }
};

// The backend in use; made from EZX_LIGHTS on first use (lights_select.cpp), and its backlight
// level at start then recorded for the settings (backlightstart.h).
LightBackend &lights();

// Tests only: forget the backend, so that the next call reads EZX_LIGHTS again.
void lightsReset();

// The simulated lights' state, for in-process tests; false when the sim is not in use.
struct SimLightState
{
    bool backlightOn;
    int level;
    bool keypadOn;
    bool blanked;
};
bool lightSimState(SimLightState *state);
