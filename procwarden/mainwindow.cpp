// SPDX-License-Identifier: GPL-2.0-or-later
#include "mainwindow.h"

#include "appmenu.h"
#include "launcher.h"
#include "meminfo.h"
#include "phonepath.h"
#include "popupmenu.h"
#include "procfs.h"
#include "resources.h"
#include "safekill.h"
#include "utilcst.h"
#include "zmessagebox.h"
#include "zpushbutton.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QPixmap>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>
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

// A command line rarely fits one line of a message box; three show what it is without
// pushing the buttons off the screen.
constexpr int maxDetailLines = 3;

// text broken into lines no wider than width (at blanks where it can, else anywhere: paths are
// long), at most maxLines of them; the last ends in "…" when text is left over. The breaks are
// made here, not by the label, which would let a long path run off its edge.
QStringList fitLines(const QString &text, const QFont &font, int width, int maxLines)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == maxLines - 1) {
            lines << QFontMetrics(font).elidedText(text.mid(line.textStart()), Qt::ElideRight, width);
            break;
        }
        QString shown = text.mid(line.textStart(), line.textLength());
        while (shown.endsWith(QLatin1Char(' ')))
            shown.chop(1);
        lines << shown;
    }
    layout.endLayout();
    return lines;
}

}  // namespace

MainWindow::MainWindow() : MainWindow(QCoreApplication::applicationDirPath()) {}

MainWindow::MainWindow(const QString &programFolder)
    : ZMainWidget(false, nullptr, nullptr, 0), programFolder(programFolder)
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
    // Only a plain file: opening a named pipe would wait for a writer forever. A launcher
    // file is a few lines; a huge one is read no further than a menu could show.
    QFile file(ownFile(QStringLiteral("applist.txt")));
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

QString MainWindow::ownFile(const QString &name) const
{
    // The working folder wins: a launcher menu belongs to whoever starts the program there.
    // The installed program, started from anywhere, still finds the samples beside it.
    if (QFileInfo(name).isFile())
        return name;
    const QString beside = programFolder + QLatin1Char('/') + name;
    return QFileInfo(beside).isFile() ? beside : name;
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
    const int procFd = ::dirfd(proc);
    // The rows go into the list in one insertion: one by one, each would make the view
    // rework itself, which with thousands of processes costs more than reading /proc.
    QStringList names;
    while (const dirent *entry = ::readdir(proc)) {
        const int pid = getPid(entry->d_name);
        if (pid < 1)
            continue;
        // The start time is read first: should the id change hands before the name is read,
        // the pair matches no process and the row can never be signalled.
        const qint64 started = readStartTimeAt(procFd, entry->d_name);
        const QString name = readShortNameAt(procFd, entry->d_name);
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
    listBox->setFont(QFont());  // back to the window's own, after the memory view's
    // Every row one line in one font: the view then measures one row, not thousands.
    listBox->setUniformItemSizes(true);
    updateProcess();
}

void MainWindow::showMemInfo()
{
    emptyMainData();
    menu->setItemEnabled(endProcessId, false);
    cst->getMidBtn()->setText(QStringLiteral("MemInfo"));
    QFile file(phonePath(QStringLiteral("/proc/meminfo")));
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    const QStringList rows = memInfoRows(QString::fromLocal8Bit(file.read(maxTextFileSize)));
    fitMemoryFont(rows);
    // A line that is no figure may be wider than the rest; the view measures each.
    listBox->setUniformItemSizes(false);
    listBox->addItems(rows);
}

void MainWindow::fitMemoryFont(const QStringList &rows)
{
    // The columns line up in a fixed-pitch font only. It is as large as the window's own when
    // the widest row fits the list, and shrinks to fit down to a size still readable; beyond
    // that, the list scrolls sideways.
    QFont fixed(QStringLiteral("monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    const int width = ZGlobal::getContentR().width() - 2 * listBox->frameWidth()
                      - listBox->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, listBox)
                      - 2 * listBox->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, listBox);
    // A row longer than the screen could hold at the smallest size scrolls whatever the size;
    // measuring it (a broken file may make it a megabyte) would only cost time and memory.
    constexpr qsizetype longestFitting = 80;
    QString widest;
    for (const QString &row : rows)
        if (row.size() > widest.size() && row.size() <= longestFitting)
            widest = row;
    constexpr int smallest = 9;
    int pixels = std::max(font().pixelSize(), smallest);  // the window's, not the last fit
    for (; pixels > smallest; --pixels) {
        fixed.setPixelSize(pixels);
        if (QFontMetrics(fixed).horizontalAdvance(widest) <= width)
            break;
    }
    fixed.setPixelSize(pixels);
    listBox->setFont(fixed);
}

QString MainWindow::confirmationText(ZMessageBox &box, int row) const
{
    const QString question = QStringLiteral("Are you sure you want to end process ")
                             + listBox->item(row)->text() + QStringLiteral(" ?");
    // The short name alone may not tell which of several is meant: the id and the whole
    // command line follow.
    const int pid = pidList.at(row);
    QString detail = QStringLiteral("PID ") + QString::number(pid);
    const QString commandLine = readCommandLine(pid);
    if (!commandLine.isEmpty())
        detail += QStringLiteral(": ") + commandLine;
    // The box spans the phone screen less a margin of 8 on either side once shown; laid out
    // at that width now, its text label tells how much fits on a line.
    box.setFixedWidth(ZGlobal::screenWidth - 16);
    box.layout()->activate();
    auto *label = box.findChild<QLabel *>(QStringLiteral("msgText"));
    if (!label)
        return question + QLatin1Char('\n') + detail;
    return question + QLatin1Char('\n')
           + fitLines(detail, label->font(), label->contentsRect().width(), maxDetailLines)
                 .join(QLatin1Char('\n'));
}

void MainWindow::killProcess()
{
    const QPixmap icon(ownFile(QStringLiteral("alert.png")));
    // Nothing chosen, or the memory view: no process to end.
    if (listBox->currentRow() < 0 || listBox->currentRow() >= pidList.size())
        return;
    ZMessageBox ask(this, icon, QString(), QStringLiteral("YES"), QStringLiteral("NO"), QString(), 1);
    ask.setText(confirmationText(ask, listBox->currentRow()));
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
