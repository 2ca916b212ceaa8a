// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The lines of a text as a text stream reads them: without their "\n" or "\r\n", and no
// empty last line for a final line feed.
QStringList textLines(const QString &text);

// text with every control character shown as "?": in a row of a list, one would draw as a
// box, break the row, or move the cursor of a terminal that the row is pasted into.
QString printable(QString text);
