// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemonwatch.h"

#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool allDigits(const char *text)
{
    if (!*text)
        return false;
    for (; *text; ++text) {
        if (!std::isdigit(static_cast<unsigned char>(*text)))
            return false;
    }
    return true;
}

std::string readSmallFile(const std::string &path)
{
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[512];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (got > 0)
        text.assign(buffer, size_t(got));
    return text;
}

}  // namespace

bool parseStatName(const std::string &stat, std::string *name, char *state)
{
    const size_t open = stat.find(" (");
    const size_t close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open + 2
        || close + 2 >= stat.size() || stat[close + 1] != ' ')
        return false;
    *name = stat.substr(open + 2, close - open - 2);
    *state = stat[close + 2];
    return true;
}

std::vector<int> runningDaemons(const std::string &procRoot, uid_t uid)
{
    std::vector<int> found;
    DIR *dir = ::opendir(procRoot.c_str());
    if (!dir)
        return found;
    while (const dirent *entry = ::readdir(dir)) {
        if (!allDigits(entry->d_name))
            continue;
        const std::string folder = procRoot + "/" + entry->d_name;
        struct stat owner;
        std::string name;
        char state = 0;
        if (::stat(folder.c_str(), &owner) != 0 || owner.st_uid != uid
            || !parseStatName(readSmallFile(folder + "/stat"), &name, &state))
            continue;
        if (name == "glowrad" && state != 'Z')
            found.push_back(std::atoi(entry->d_name));
    }
    ::closedir(dir);
    return found;
}
