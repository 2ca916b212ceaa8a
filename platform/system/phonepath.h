// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

// The phone keeps its storage, devices and runtime files at fixed places (/mmc/mmca1,
// /ezx_user, /usr/data_resource, /dev, /proc, /var/run). Every such path goes through
// phonePath():
// - with EZX_ROOT set (and not empty), the folder it names is put in front of every path, so
//   that tests and demos can give the programs a phone tree of their own;
// - otherwise, on a machine that is not the phone (no /ezx_user), the three storage folders
//   /ezx_user, /mmc/mmca1 and /usr/data_resource live in the user's data folder,
//   phoneStorageRoot(); devices, /proc and /var/run stay where they are;
// - on the phone itself the path comes back unchanged.
std::string phonePath(const std::string &path);

// The EZX_ROOT prefix in force ("" when none).
std::string phoneRoot();

// The folder that stands in for the phone's storage on this machine: "$XDG_DATA_HOME/ezx-phone"
// (XDG_DATA_HOME defaults to ~/.local/share). "" when EZX_ROOT is set, when the phone's own
// /ezx_user exists, or when the user has no home folder.
std::string phoneStorageRoot();

// True for /ezx_user, /mmc/mmca1, /usr/data_resource and everything below them.
bool isPhoneStoragePath(const std::string &path);

// The storage root for a data folder (the rule behind phoneStorageRoot, apart from the
// environment): "" when dataHome is not an absolute path.
std::string phoneStorageRootIn(const std::string &dataHome);

#ifdef QT_CORE_LIB
#include <QFile>
#include <QString>

inline QString phonePath(const QString &path)
{
    return QFile::decodeName(phonePath(std::string(QFile::encodeName(path).constData())).c_str());
}
#endif
