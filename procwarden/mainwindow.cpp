// SPDX-License-Identifier: GPL-2.0-or-later
#include "mainwindow.h"

#include "appmenu.h"
#include "launcher.h"
#include "phonepath.h"
#include "popupmenu.h"
#include "procfs.h"
#include "resources.h"
#include "safekill.h"
#include "textlines.h"
#include "utilcst.h"
#include "zmessagebox.h"
#include "zpushbutton.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <cerrno>
#include <dirent.h>
#include <limits>

namespace {

// The launcher file and /proc/meminfo are read up to this size.
constexpr qint64 maxTextFileSize = 1024 * 1024;

// Menu texts treat "&" as a shortcut mark; labels from the launcher file are shown as written.
QString menuText(const QString &text)
{
    return QString(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

}  // namespace

MainWindow::MainWindow() : ZMainWidget(false, nullptr, nullptr, 0)
{
    auto *title = new QLabel(QStringLiteral("ProcWarden"), this);
    title->setScaledContents(true);
    setTitleBarWidget(title);

    // Every text of procwarden is English: so are its soft keys, whatever the phone's language.
    ZResource::setLanguage(QStringLiteral("en-us"));
    cst = new UTIL_CST(this, QString(), QStringLiteral("CST_Menu"), QStringLiteral("CST_Exit"));
    setCSTWidget(cst);
    connect(cst->getRightBtn(), SIGNAL(clicked()), qApp, SLOT(slotQuickQuit()));

    listBox = new QListWidget(this);
    listBox->setObjectName(QStringLiteral("listBox"));
    setContentWidget(listBox);

    menu = new PopupMenu(this, "menu");
    buildLauncherMenu();
    endProcessId = menu->insertItem(QStringLiteral("End Process"), this, SLOT(killProcess()));
    cst->getLeftBtn()->setPopup(menu);

    auto *views = new PopupMenu(this, "views");
    views->insertItem(QStringLiteral("Processes"), this, SLOT(showProcesses()));
    views->insertItem(QStringLiteral("MemInfo"), this, SLOT(showMemInfo()));
    cst->getMidBtn()->setPopup(views);

    showProcesses();
}

void MainWindow::buildLauncherMenu()
{
    // Looked for in the working directory, by design: the launcher file belongs to whoever
    // starts the program there.
    // Only a plain file: opening a named pipe would wait for a writer forever. A launcher
    // file is a few lines; a huge one is read no further than a menu could show.
    QFile file(QStringLiteral("applist.txt"));
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    const QList<LauncherGroup> groups = parseLauncher(QString::fromLocal8Bit(file.read(maxTextFileSize)));
    for (const LauncherGroup &group : groups) {
        auto *submenu = new PopupMenu(this);
        menu->insertItem(menuText(group.title), submenu);
        for (const LauncherEntry &entry : group.entries) {
            auto *launch = new AppMenu(entry.command);
            launch->setParent(this);
            submenu->insertItem(menuText(entry.label), launch, SLOT(execute()));
        }
    }
}

int MainWindow::getPid(const char *name)
{
    qint64 value = 0;
    for (const char *c = name ? name : ""; *c; ++c) {
        if (*c < '0' || *c > '9')
            return 0;
        value = value * 10 + (*c - '0');
        // A wrapped value would pair the row with some other process's id.
        if (value > std::numeric_limits<int>::max())
            return 0;
    }
    return int(value);
}

QString MainWindow::getExe(const QString &pid)
{
    return readShortName(pid);
}

void MainWindow::updateProcess()
{
    DIR *proc = ::opendir(phonePath(std::string("/proc")).c_str());
    if (!proc)
        return;
    // The rows go into the list in one insertion: one by one, each would make the view
    // rework itself, which with thousands of processes costs more than reading /proc.
    QStringList names;
    while (const dirent *entry = ::readdir(proc)) {
        const int pid = getPid(entry->d_name);
        if (pid < 1)
            continue;
        // The start time is read first: should the id change hands before the name is read,
        // the pair matches no process and the row can never be signalled.
        const qint64 started = readStartTime(pid);
        const QString name = getExe(QString::fromLatin1(entry->d_name));
        if (name.isEmpty())
            continue;
        names.append(name);
        pidList.append(pid);
        startTimes.append(started);
    }
    ::closedir(proc);
    listBox->addItems(names);
    listBox->setCurrentRow(0);
}

void MainWindow::emptyMainData()
{
    listBox->clear();
    pidList.clear();
    startTimes.clear();
}

void MainWindow::showProcesses()
{
    emptyMainData();
    menu->setItemEnabled(endProcessId, true);
    cst->getMidBtn()->setText(QStringLiteral("Processes"));
    updateProcess();
}

void MainWindow::showMemInfo()
{
    emptyMainData();
    menu->setItemEnabled(endProcessId, false);
    cst->getMidBtn()->setText(QStringLiteral("MemInfo"));
    // The phone's kernel began the file with a three-line summary table; the view starts after
    // it.
    QFile file(phonePath(QStringLiteral("/proc/meminfo")));
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    const QStringList lines = textLines(QString::fromLocal8Bit(file.read(maxTextFileSize)));
    for (qsizetype i = 3; i < lines.size(); ++i)
        listBox->addItem(lines.at(i));
}

void MainWindow::killProcess()
{
    const QPixmap icon(QStringLiteral("alert.png"));
    // Nothing chosen, or the memory view: no process to end.
    if (listBox->currentRow() < 0 || listBox->currentRow() >= pidList.size())
        return;
    ZMessageBox ask(this, icon,
                    QStringLiteral("Are you sure you want to end process ") + listBox->currentItem()->text()
                        + QStringLiteral(" ?"),
                    QStringLiteral("YES"), QStringLiteral("NO"), QString(), 1);
    if (ask.exec() != 0)
        return;

    const int row = listBox->currentRow();
    int failure = ESRCH;
    if (row >= 0 && row < pidList.size())
        failure = endListedProcess({pidList.at(row), listBox->item(row)->text(), startTimes.at(row)});
    if (failure != 0) {
        ZMessageBox denied(this, icon, QStringLiteral("Permission Denied"), QStringLiteral("OK"), QString(),
                           QString(), 1);
        denied.exec();
    }
    showProcesses();
}
