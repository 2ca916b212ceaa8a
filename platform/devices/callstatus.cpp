#include "callstatus.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

int UTIL_GetIncomingCallStatus()
{
    const char *source = std::getenv("EZX_CALL");
    if (source && std::strncmp(source, "file:", 5) == 0)
        return ::access(source + 5, F_OK) == 0 ? 1 : 0;
    return 0;
}
