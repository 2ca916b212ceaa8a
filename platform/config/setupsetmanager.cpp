#include "setupsetmanager.h"

#include "phonepath.h"
#include "zconfig.h"

SETUP_SET_Manager::SETUP_SET_Manager(AM_Global::Apps, bool)
{
}

QString SETUP_SET_Manager::systemConfigPath()
{
    return phonePath(QStringLiteral("/ezx_user/download/appwrite/setup/ezx_system.cfg"));
}

int SETUP_SET_Manager::getSettingInfo(const QString &group, const QString &key,
                                      unsigned int &value, unsigned int defaultValue)
{
    ZConfig config(systemConfigPath(), false);
    const QString text = config.readEntry(group, key).trimmed();
    bool ok = false;
    const unsigned int number = text.toUInt(&ok, 10);
    value = ok ? number : defaultValue;
    return ok ? 1 : 0;
}
