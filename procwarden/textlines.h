#pragma once

#include <QString>
#include <QStringList>

// The lines of a text as a text stream reads them: without their "\n" or "\r\n", and no
// empty last line for a final line feed.
QStringList textLines(const QString &text);
