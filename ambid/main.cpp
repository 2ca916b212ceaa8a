#include "daemon.h"

int main(int argc, char **argv)
{
    return ambidMain(argc, argv);
}
