// SPDX-License-Identifier: GPL-2.0-or-later
#include "programstart.h"

#include <QtTest>

#include <cstddef>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

// The checks the window programs make before Qt would abort them, and how they tell Qt's
// options from their own.
class TestProgramStart : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanupTestCase();
    void display_data();
    void display();
    void servedXDisplay();
    void programOption_data();
    void programOption();

private:
    // An X server as far as the check can tell: a listener on the display's abstract socket.
    int listenAsDisplay(int number);
};

namespace {

const char *const displayVariables[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};

bool available(const QStringList &arguments)
{
    std::vector<QByteArray> bytes{QByteArray("program")};
    for (const QString &argument : arguments)
        bytes.push_back(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    return displayAvailable(int(argv.size()), argv.data());
}

}  // namespace

void TestProgramStart::init()
{
    for (const char *name : displayVariables)
        qunsetenv(name);
}

void TestProgramStart::cleanupTestCase()
{
    init();
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

void TestProgramStart::display_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("available");
    // Display 1 of this test is one no server answers (checked below).
    QTest::newRow("nothing set") << ""
                                 << ""
                                 << "" << QStringList() << false;
    QTest::newRow("offscreen") << ""
                               << ""
                               << "offscreen" << QStringList() << true;
    QTest::newRow("wayland session") << ""
                                     << "wayland-0"
                                     << "" << QStringList() << true;
    QTest::newRow("unserved X display") << ":1"
                                        << ""
                                        << "" << QStringList() << false;
    QTest::newRow("unserved, with screen") << "unix:1.0"
                                           << ""
                                           << "" << QStringList() << false;
    QTest::newRow("xcb asked, no DISPLAY") << ""
                                           << "wayland-0"
                                           << "xcb" << QStringList() << false;
    QTest::newRow("remote X taken on trust") << "far.example:0"
                                             << ""
                                             << "" << QStringList() << true;
    QTest::newRow("not a display number") << ":x"
                                          << ""
                                          << "" << QStringList() << false;
    QTest::newRow("-platform wins") << ""
                                    << ""
                                    << "xcb" << QStringList{"-platform", "offscreen"} << true;
    QTest::newRow("--platform xcb wins") << ""
                                         << ""
                                         << "offscreen" << QStringList{"--platform", "xcb"} << false;
    QTest::newRow("-platform without a value") << ""
                                               << ""
                                               << "" << QStringList{"-platform"} << false;
}

void TestProgramStart::display()
{
    QFETCH(QString, display);
    QFETCH(QString, wayland);
    QFETCH(QString, platform);
    QFETCH(QStringList, arguments);
    QFETCH(bool, available);
    // The rows count on display 1 being served by nobody here.
    const int probe = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, "/tmp/.X11-unix/X1");
    const bool served = ::connect(probe, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(probe);
    if (served)
        QSKIP("this machine has an X server on display 1");
    if (!display.isEmpty())
        qputenv("DISPLAY", display.toUtf8());
    if (!wayland.isEmpty())
        qputenv("WAYLAND_DISPLAY", wayland.toUtf8());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform.toUtf8());
    QCOMPARE(::available(arguments), available);
}

int TestProgramStart::listenAsDisplay(int number)
{
    const std::string name = "/tmp/.X11-unix/X" + std::to_string(number);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (bind(fd, reinterpret_cast<sockaddr *>(&address), length) != 0 || listen(fd, 1) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void TestProgramStart::servedXDisplay()
{
    // A number no desktop uses; another one if some other test holds it.
    int number = 7000 + int(getpid() % 1000);
    int listener = -1;
    for (int tries = 0; listener < 0 && tries < 20; ++tries)
        listener = listenAsDisplay(++number);
    QVERIFY(listener >= 0);
    const QByteArray display = ":" + QByteArray::number(number);
    qputenv("DISPLAY", display);
    QVERIFY(available({}));
    qputenv("QT_QPA_PLATFORM", "xcb");
    QVERIFY(available({}));
    // The command line's display wins over DISPLAY.
    QVERIFY(!available({"-display", ":" + QString::number(number + 1000)}));
    qputenv("DISPLAY", ":" + QByteArray::number(number + 1000));
    QVERIFY(available({"-display", QString::fromLatin1(display)}));
    ::close(listener);
    qputenv("DISPLAY", display);
    QVERIFY(!available({}));
}

void TestProgramStart::programOption_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("option");
    QTest::newRow("none") << QStringList{"file", "-"} << QString();
    QTest::newRow("own") << QStringList{"--version"} << "--version";
    QTest::newRow("after Qt's with values")
        << QStringList{"-platform", "offscreen", "--style", "fusion", "-h"} << "-h";
    QTest::newRow("a value that looks like an option")
        << QStringList{"-qwindowtitle", "-x", "-reverse", "-style=fusion"} << QString();
    QTest::newRow("unknown") << QStringList{"-reverse", "-x", "--help"} << "-x";
    QTest::newRow("Qt's option at the end") << QStringList{"-platform"} << QString();
}

void TestProgramStart::programOption()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, option);
    std::vector<QByteArray> bytes{QByteArray("program")};
    for (const QString &argument : arguments)
        bytes.push_back(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    const char *found = firstProgramOption(int(argv.size()), argv.data());
    QCOMPARE(QString::fromUtf8(found ? found : ""), option);
}

QTEST_GUILESS_MAIN(TestProgramStart)
#include "tst_programstart.moc"
