// SPDX-License-Identifier: GPL-2.0-or-later
#include "phonestorage.h"

#include "phonepath.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Creates every missing folder of an absolute path.
bool makeFolders(const std::string &path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool writeAll(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// Writes the file whole under a temporary name and links it into place, so that a reader never
// sees half of it and a file made meanwhile by another start is never replaced.
bool createFileOnce(const std::string &path, const std::string &text)
{
    struct stat info;
    if (::stat(path.c_str(), &info) == 0)
        return true;
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(&temporary[0]);
    if (fd < 0)
        return false;
    const bool written = ::fchmod(fd, 0644) == 0 && writeAll(fd, text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    const bool linked =
        written && closed && (::link(temporary.c_str(), path.c_str()) == 0 || errno == EEXIST);
    ::unlink(temporary.c_str());
    return linked;
}

bool startsWithLanguage(const std::string &locale, const char *language)
{
    const size_t n = std::char_traits<char>::length(language);
    if (locale.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(locale[i])) != language[i])
            return false;
    }
    // "en", "en_GB.UTF-8", "ru_RU@...", but not "eng" or "rue".
    return locale.size() == n || locale[n] == '_' || locale[n] == '.' || locale[n] == '@' || locale[n] == '-';
}

}  // namespace

std::string languageTypeForLocale(const std::string &locale)
{
    if (startsWithLanguage(locale, "en"))
        return "en-us";
    if (startsWithLanguage(locale, "ru"))
        return "ru";
    return DEFAULT_LANGUAGE_TYPE;
}

std::string messagesLocale()
{
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return std::string();
}

bool preparePhoneStorageIn(const std::string &root, const std::string &languageType)
{
    const std::string config = root + PHONE_SYSTEM_CONFIG;
    bool ok = makeFolders(root + "/mmc/mmca1") && makeFolders(root + "/usr/data_resource")
              && makeFolders(config.substr(0, config.rfind('/')));
    return ok
           && createFileOnce(config, std::string("[") + SYSTEM_CONFIG_GROUP + "]\n" + SYSTEM_CONFIG_LANGUAGE
                                         + " = " + languageType + "\n");
}

bool preparePhoneStorage()
{
    const std::string root = phoneStorageRoot();
    if (root.empty())
        return true;
    return preparePhoneStorageIn(root, languageTypeForLocale(messagesLocale()));
}
