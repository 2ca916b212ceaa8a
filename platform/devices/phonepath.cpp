#include "phonepath.h"

#include <cstdlib>

std::string phoneRoot()
{
    const char *root = std::getenv("EZX_ROOT");
    if (!root || !*root)
        return std::string();
    std::string prefix(root);
    while (prefix.size() > 1 && prefix.back() == '/')
        prefix.pop_back();
    if (prefix == "/")
        return std::string();
    return prefix;
}

std::string phonePath(const std::string &path)
{
    const std::string root = phoneRoot();
    if (root.empty())
        return path;
    if (!path.empty() && path.front() == '/')
        return root + path;
    return root + "/" + path;
}
