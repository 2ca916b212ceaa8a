// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "zmainwidget.h"

#include <QList>
#include <QString>

class PopupMenu;
class QListWidget;
class UTIL_CST;
class ZMessageBox;

// procwarden's window: the list of running processes by short program name, or the memory
// figures of the system, with "End Process" and the launcher groups on the left soft key and
// the choice of view on the middle one.
class MainWindow : public ZMainWidget
{
    Q_OBJECT
public:
    // The launcher file and the icon are looked for in the working folder and, when it has
    // none, beside the program (the folder of the running program unless given).
    MainWindow();
    explicit MainWindow(const QString &programFolder);

    // The id a /proc entry name stands for: its value when it is all decimal digits, else 0.
    static int getPid(const char *name);
    // The short program name of a process, empty for kernel threads and ended processes.
    static QString getExe(const QString &pid);

    // Appends a row and an id for every process in /proc, in directory order.
    void updateProcess();
    void emptyMainData();

    UTIL_CST *cst;
    QListWidget *listBox;
    QList<int> pidList;
    int endProcessId;
    PopupMenu *menu;

public slots:
    void showProcesses();
    void showMemInfo();
    void killProcess();

private:
    void buildLauncherMenu();
    QString ownFile(const QString &name) const;
    void fitMemoryFont(const QStringList &rows);
    QString confirmationText(ZMessageBox &box, int row) const;

    QString programFolder;

    // The start time of each listed process, in step with pidList: before a signal it tells
    // whether an id still belongs to the process the row was made from.
    QList<qint64> startTimes;
};
