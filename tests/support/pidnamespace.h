// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// A test that ends processes by name ("kill `ps ... | grep glowrad`") must see no process it
// did not start. It therefore runs itself again as the first process of a private pid
// namespace with a /proc of its own (unshare, as root or else in a user namespace); every
// process it starts there ends with it, also when the test is killed.
//
// Call first thing in main(), after useSimLights(). Returns true inside such a namespace;
// false where none can be made, and the test then skips what needs one.
bool usePrivatePidNamespace(char **argv);

// Whether this process is the first of a namespace made by usePrivatePidNamespace().
bool inPrivatePidNamespace();
