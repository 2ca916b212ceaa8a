// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

// Where the panel keeps its files and how it runs glowrad: the daemon is the file named like
// the panel plus "d", in the same folder (a panel started as /opt/x/glowra starts
// /opt/x/glowrad), and its settings file is the panel's path plus ".conf".
constexpr int PATH_BUFFER = 256;

extern char sfsname[PATH_BUFFER];      // settings file
extern char sfdname[PATH_BUFFER];      // printf format of a demo: "<panel>d %d d &"
extern char sfdsname[PATH_BUFFER];     // printf format of the daemon: "<panel>d %d &"
extern std::string daemonProgramPath;  // "<panel>d" as it stands, unquoted

// Ends every glowrad of the user, the demo's and the daemon's alike, with the termination
// signal; processes of other names (the panel, glowrad-schemec, the light guard) are spared.
extern const char *const stopDaemonCommand;

// Fills the three texts above from the path the panel was started by. A path with blanks or
// shell characters is quoted (shellQuote), so the shell starts the right file. False, with the texts left
// empty, when the path does not fit.
bool setInvocationPath(const char *path);

// format (sfdname or sfdsname) for scheme 0 to 9.
std::string daemonCommand(const char *format, int scheme);

// Hands a command line to the shell. Tests may put a recorder in the shell's place.
using ShellRunner = int (*)(const char *command);
int runShell(const char *command);
ShellRunner setShellRunner(ShellRunner runner);
