// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemon.h"

int main(int argc, char **argv)
{
    return ambidMain(argc, argv);
}
