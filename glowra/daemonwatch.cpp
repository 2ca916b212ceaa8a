// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemonwatch.h"

#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>

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

// The stat line of a process; empty once it has gone.
std::string firstLine(const std::string &path)
{
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

// "PID (NAME) STATE ...": the name runs to the last ")", since it may hold ")" and blanks itself.
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

}  // namespace

std::vector<int> runningDaemons(const std::string &procRoot, uid_t uid, const std::string &daemonPath)
{
    const std::string daemon = daemonPath.substr(daemonPath.rfind('/') + 1).substr(0, 15);
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
            || !parseStatName(firstLine(folder + "/stat"), &name, &state))
            continue;
        if (name == daemon && state != 'Z')
            found.push_back(std::atoi(entry->d_name));
    }
    ::closedir(dir);
    return found;
}
