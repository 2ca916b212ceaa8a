#pragma once

#include <string>

// The phone keeps its storage, devices and runtime files at fixed places (/mmc/mmca1,
// /ezx_user, /usr/data_resource, /dev, /proc, /var/run). Every such path goes through
// phonePath(), which puts the folder named by EZX_ROOT in front of it, so that tests and
// desktops can give the programs a phone tree of their own. With EZX_ROOT unset or empty,
// the path comes back unchanged.
std::string phonePath(const std::string &path);

// The prefix in force ("" when none).
std::string phoneRoot();

#ifdef QT_CORE_LIB
#include <QFile>
#include <QString>

inline QString phonePath(const QString &path)
{
    return QFile::decodeName(phonePath(std::string(QFile::encodeName(path).constData())).c_str());
}
#endif
