// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QString>

// One launcher entry: the shell command that choosing it runs.
class AppMenu : public QObject
{
    Q_OBJECT
public:
    explicit AppMenu(const QString &command);

    QString command;

public slots:
    // Runs the command through the shell and waits for the shell to return; its exit status
    // means nothing to us.
    void execute();
};
