// SPDX-License-Identifier: GPL-2.0-or-later
// Every file the programs read, made bad in every way we know of, read by the code that reads
// it: no crash, no hang, no memory beyond what the file is allowed to be, and the program's
// default (or the part of the file that is whole) instead.
#include "badfile.h"

#include "daemon.h"
#include "ezxlanguage.h"
#include "mainwindow.h"
#include "myclass_buttongroup.h"
#include "phonetree.h"
#include "popupmenu.h"
#include "procfs.h"
#include "setupsetmanager.h"
#include "zapplication.h"

#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <thread>
#include <unistd.h>

namespace {

const char systemConfig[] = "/ezx_user/download/appwrite/setup/ezx_system.cfg";

struct Reader
{
    const char *name;
    QByteArray valid;       // a good file; cut in half it no longer holds what is looked up
    QString defaultResult;  // what every bad form must give
    bool showsText;         // lists the lines as they stand: garbage shows as garbage
    // Where the file lies (in the phone tree or the scratch folder) and what its reader makes
    // of it, as text.
    std::function<QString(const PhoneTree &, const QString &scratch)> path;
    std::function<QString(const PhoneTree &, const QString &scratch)> read;
};

int launcherItems(const QString &folder)
{
    // procwarden looks for its launcher file in the working directory, then beside itself:
    // here, in an empty folder.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    QTemporaryDir noProgramFiles;
    MainWindow window(noProgramFiles.path());
    QDir::setCurrent(previous);
    return window.menu->count();
}

const QList<Reader> &readers()
{
    static const QList<Reader> all{
        {"language file", "[zh-cn]\nWin_Caption1 = Custom\n", "Built-in", false,
         [](const PhoneTree &, const QString &scratch) { return scratch + "/ezx_kest_lang.cfg"; },
         [](const PhoneTree &, const QString &scratch) {
             return EZXLanguage(scratch + "/kest", true).readLabelCaption("Win_Caption1", "Built-in");
         }},
        {"system configuration", "[SYS_SYSTEM_SET]\nLanguageType = en-us\nBrightness = 60\n", "zh-cn 25",
         false, [](const PhoneTree &phone, const QString &) { return phone.path(systemConfig); },
         [](const PhoneTree &, const QString &) {
             unsigned int brightness = 0;
             SETUP_SET_Manager(AM_Global::APP_LIGHTSHOW, false)
                 .getSettingInfo("SYS_SYSTEM_SET", "Brightness", brightness, 25);
             return EZXLanguage(QString(), false).getLanguageType() + " " + QString::number(brightness);
         }},
        {"registry file", "[a-long-group-name-for-the-test]\nName = Notes\n", "0", false,
         [](const PhoneTree &, const QString &scratch) { return scratch + "/InstalledDB"; },
         [](const PhoneTree &, const QString &scratch) {
             MyClass_ButtonGroup group(nullptr, "group");
             group.initConfigFile(scratch + "/InstalledDB");
             return QString::number(group.count());
         }},
        {"applist.txt", "-A very long title for the tools group\nFiles:files\n", "launcher 0", true,
         [](const PhoneTree &, const QString &scratch) { return scratch + "/applist.txt"; },
         [](const PhoneTree &, const QString &scratch) {
             static const int bare = [] {
                 QTemporaryDir empty;
                 return launcherItems(empty.path());
             }();
             return "launcher " + QString::number(launcherItems(scratch) - bare);
         }},
        {"/proc/meminfo", "   total: used: free:\nMem: 1 2 3\nSwap: 0 0 0\nMemTotal: 1 kB\n", "0", true,
         [](const PhoneTree &phone, const QString &) { return phone.path("/proc/meminfo"); },
         [](const PhoneTree &, const QString &) {
             MainWindow window;
             window.showMemInfo();
             return QString::number(window.listBox->count());
         }},
        {"cmdline", QByteArray("/usr/bin/a\0", 11), "", true,
         [](const PhoneTree &phone, const QString &) { return phone.path("/proc/4242/cmdline"); },
         [](const PhoneTree &, const QString &) { return readShortName("4242"); }},
        {"pid file", "         1\n", "0", false,
         [](const PhoneTree &phone, const QString &) { return phone.path(PID_FILE); },
         [](const PhoneTree &phone, const QString &) {
             return QString::number(runningCopy(phone.path(PID_FILE).toStdString()));
         }},
    };
    return all;
}

// Runs read. A reader stuck opening a named pipe is let go after a few seconds by a writer
// that opens and closes the pipe, and `stuck` tells.
QString readGuarded(const QString &path, BadFile kind, const std::function<QString()> &read, bool &stuck)
{
    std::atomic<bool> done{false}, freed{false};
    std::thread watchdog;
    if (kind == BadFile::Fifo) {
        watchdog = std::thread([&] {
            for (int n = 0; n < 300 && !done; ++n)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            while (!done) {
                const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    freed = true;
                    ::close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    }
    const QString result = read();
    done = true;
    if (watchdog.joinable())
        watchdog.join();
    stuck = freed;
    return result;
}

}  // namespace

class TestBadFiles : public QObject
{
    Q_OBJECT

private slots:
    void readersSurvive_data();
    void readersSurvive();
};

void TestBadFiles::readersSurvive_data()
{
    QTest::addColumn<int>("reader");
    QTest::addColumn<int>("kind");
    for (int r = 0; r < readers().size(); ++r)
        for (const BadFileCase &bad : badFileCases())
            QTest::addRow("%s, %s", readers().at(r).name, bad.name) << r << int(bad.kind);
}

void TestBadFiles::readersSurvive()
{
    QFETCH(int, reader);
    QFETCH(int, kind);
    const Reader &under = readers().at(reader);
    PhoneTree phone;
    QTemporaryDir scratch;
    const QString path = under.path(phone, scratch.path());
    QVERIFY(makeBadFile(path, BadFile(kind), under.valid));

    const long memoryBefore = peakMemoryMiB();
    QElapsedTimer clock;
    clock.start();
    bool stuck = false;
    const QString result = readGuarded(
        path, BadFile(kind), [&] { return under.read(phone, scratch.path()); }, stuck);
    QVERIFY2(!stuck, "blocked opening a named pipe");
    QVERIFY2(clock.elapsed() < 10000, "took more than 10 s");
    QVERIFY2(peakMemoryMiB() - memoryBefore < 64, "read the whole 100 MB");
    // A huge file starts out good: the program may use what it reads of it, within bounds.
    // Garbage (and a file root reads although nobody may) is shown by the text viewers.
    const bool garbage = BadFile(kind) == BadFile::Garbage || BadFile(kind) == BadFile::Unreadable;
    if (BadFile(kind) != BadFile::Huge && !(garbage && under.showsText))
        QCOMPARE(result, under.defaultResult);
}

int main(int argc, char **argv)
{
    ZApplication app(argc, argv, 1);
    TestBadFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_badfiles.moc"
