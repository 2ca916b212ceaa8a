// SPDX-License-Identifier: GPL-2.0-or-later
#include "phonepath.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Only the storage moves; the phone's devices and runtime files are the machine's own.
const char *const storageFolders[] = {"/ezx_user", "/mmc/mmca1", "/usr/data_resource"};

bool phoneStorageExists()
{
    struct stat info;
    return ::stat("/ezx_user", &info) == 0;
}

std::string homeFolder()
{
    const char *home = std::getenv("HOME");
    if (home && *home == '/')
        return home;
    // Services started without HOME still belong to a user with a home folder.
    struct passwd entry;
    struct passwd *user = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &user) == 0 && user && user->pw_dir
        && *user->pw_dir == '/')
        return user->pw_dir;
    return std::string();
}

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

}  // namespace

std::string phoneRoot()
{
    const char *root = std::getenv("EZX_ROOT");
    if (!root || !*root)
        return std::string();
    const std::string prefix = withoutTrailingSlashes(root);
    if (prefix == "/")
        return std::string();
    return prefix;
}

bool isPhoneStoragePath(const std::string &path)
{
    for (const char *folder : storageFolders) {
        const std::string prefix(folder);
        if (path.compare(0, prefix.size(), prefix) == 0
            && (path.size() == prefix.size() || path[prefix.size()] == '/'))
            return true;
    }
    return false;
}

std::string phoneStorageRootIn(const std::string &dataHome)
{
    // Relative data folders are not valid and are ignored, as every desktop program does.
    if (dataHome.empty() || dataHome.front() != '/')
        return std::string();
    const std::string folder = withoutTrailingSlashes(dataHome);
    return (folder == "/" ? std::string() : folder) + "/ezx-phone";
}

std::string phoneStorageRoot()
{
    if (std::getenv("EZX_ROOT") && *std::getenv("EZX_ROOT"))
        return std::string();
    if (phoneStorageExists())
        return std::string();
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && *dataHome == '/')
        return phoneStorageRootIn(dataHome);
    const std::string home = homeFolder();
    if (home.empty())
        return std::string();
    return phoneStorageRootIn(withoutTrailingSlashes(home) + "/.local/share");
}

std::string phonePath(const std::string &path)
{
    const std::string root = phoneRoot();
    if (!root.empty()) {
        if (!path.empty() && path.front() == '/')
            return root + path;
        return root + "/" + path;
    }
    if (isPhoneStoragePath(path)) {
        const std::string storage = phoneStorageRoot();
        if (!storage.empty())
            return storage + path;
    }
    return path;
}
