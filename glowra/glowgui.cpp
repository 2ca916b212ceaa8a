// SPDX-License-Identifier: GPL-2.0-or-later
#include "glowgui.h"

#include "blockanalysis.h"
#include "daemoncommands.h"
#include "daemonwatch.h"
#include "glowra.h"
#include "lights.h"
#include "phonepath.h"
#include "popupmenu.h"
#include "resources.h"
#include "systemconfig.h"
#include "utilcst.h"
#include "zapplication.h"
#include "zkeyobject.h"
#include "zmessagebox.h"
#include "zpushbutton.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

SETUP_SET_Manager mgr(AM_Global::APP_LIGHTSHOW, false);
unsigned int fbbr = 25;

namespace {

// The phone's key codes.
constexpr int KEY_SELECT = 0x1004;
constexpr int KEY_LEFT = 0x1012;
constexpr int KEY_RIGHT = 0x1014;

// Main menu ids.
constexpr int ITEM_START_DAEMON = 3;
constexpr int ITEM_STOP_DAEMON = 4;

constexpr int REFRESH_MS = 100;
// A daemon gone this long after its start has failed to start.
constexpr int DAEMON_CHECK_MS = 1000;

void restoreBrightness()
{
    lightRequest(fl_fb, LIGHT_FB_SET_LEVEL, (unsigned long)fbbr);
}

}  // namespace

glowGUI::glowGUI() : ZMainWidget(false, nullptr)
{
    mgr.getSettingInfo(QString::fromLatin1(SYSTEM_CONFIG_GROUP),
                       QString::fromLatin1(SYSTEM_CONFIG_BRIGHTNESS), fbbr, 25);
    lang[0] = langPack::english();
    lang[1] = langPack::russian();
    readSettings();

    title = new QLabel(QStringLiteral(" Glowra"));
    title->setObjectName(QStringLiteral("title"));
    title->setScaledContents(true);
    setTitleBarWidget(title);
    // The title keeps its text; the marker sits at its right end.
    micMarker = new QLabel(QStringLiteral("\u25CF MIC"), title);
    micMarker->setObjectName(QStringLiteral("micMarker"));
    micMarker->setStyleSheet(QStringLiteral(
        "color: white; background: #c01c28; border-radius: 3px; padding: 0 4px; font-weight: bold;"));
    micMarker->hide();
    auto *titleLayout = new QHBoxLayout(title);
    titleLayout->setContentsMargins(0, 3, 6, 3);
    titleLayout->addStretch();
    titleLayout->addWidget(micMarker);

    // The soft keys speak the panel's language, not the phone's.
    ZResource::setLanguage(current().languageType);
    cst = new UTIL_CST(this, current().start, QStringLiteral("CST_Menu"), QStringLiteral("CST_Exit"));
    setCSTWidget(cst);
    rightBtn = cst->getRightBtn();
    leftBtn = cst->getLeftBtn();
    midBtn = cst->getMidBtn();
    connect(rightBtn, &QPushButton::clicked, this, &glowGUI::exitSlot);

    englishRadio = new QRadioButton(lang[0].name);
    englishRadio->setObjectName(QStringLiteral("englishRadio"));
    russianRadio = new QRadioButton(lang[1].name);
    russianRadio->setObjectName(QStringLiteral("russianRadio"));
    (settings.lang == 1 ? russianRadio : englishRadio)->setChecked(true);
    connect(englishRadio, &QRadioButton::clicked, this, &glowGUI::lang0);
    connect(russianRadio, &QRadioButton::clicked, this, &glowGUI::lang1);

    schemeMenu = new PopupMenu(nullptr, "schemeMenu");
    static const char *const schemeSlots[10] = {
        SLOT(m0()), SLOT(m1()), SLOT(m2()), SLOT(m3()), SLOT(m4()),
        SLOT(m5()), SLOT(m6()), SLOT(m7()), SLOT(m8()), SLOT(m9()),
    };
    for (int n = 0; n < 10; ++n)
        schemeMenu->insertItem(current().schemes.name[n], this, schemeSlots[n], n);
    mainMenu = new PopupMenu(this, "mainMenu");
    mainMenu->insertItem(englishRadio);
    mainMenu->insertItem(russianRadio);
    mainMenu->insertSeparator();
    mainMenu->insertItem(current().startDaemon, schemeMenu, ITEM_START_DAEMON);
    mainMenu->insertItem(current().stopDaemon, this, SLOT(stopd()), ITEM_STOP_DAEMON);
    leftBtn->setPopup(mainMenu);
    connect(midBtn, &QPushButton::clicked, this, &glowGUI::glowStartStop);

    buildContent();

    selectKey = new ZKeyObject(this, this);
    selectKey->addKey(KEY_SELECT, false);
    connect(selectKey, &ZKeyObject::keyPressed, this, &glowGUI::glowStartStop);
    rightKey = new ZKeyObject(this, this);
    rightKey->addKey(KEY_RIGHT, false);
    connect(rightKey, &ZKeyObject::keyPressed, this, &glowGUI::krSlot);
    leftKey = new ZKeyObject(this, this);
    leftKey->addKey(KEY_LEFT, false);
    connect(leftKey, &ZKeyObject::keyPressed, this, &glowGUI::klSlot);

    refreshTimer = new QTimer(this);
    refreshTimer->setObjectName(QStringLiteral("refreshTimer"));
    connect(refreshTimer, &QTimer::timeout, this, &glowGUI::chSens);
    connect(refreshTimer, &QTimer::timeout, this, [this] { showListening(); });
    refreshTimer->start(REFRESH_MS);

    daemonCheck = new QTimer(this);
    daemonCheck->setObjectName(QStringLiteral("daemonCheck"));
    daemonCheck->setSingleShot(true);
    connect(daemonCheck, &QTimer::timeout, this, [this] { checkDaemonRuns(); });

    askBox = new ZMessageBox(this, QPixmap(), current().askStart, current().yes, current().no, QString(), 1);
    askBox->setObjectName(QStringLiteral("askBox"));
}

void glowGUI::readSettings()
{
    settingsFd = ::open(sfsname, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (settingsFd < 0) {
        settings = defaultSettings(fbbr);
        return;
    }
    unsigned char bytes[SETTINGS_SIZE] = {};
    const ssize_t count = ::read(settingsFd, bytes, sizeof bytes);
    settings = decodeSettings(bytes, long(count), fbbr);
    ::close(settingsFd);
    settingsFd = -1;
}

void glowGUI::writeSettings()
{
    unsigned char bytes[SETTINGS_SIZE];
    encodeSettings(settings, bytes);
    // Non-blocking, like the read: a named pipe in the file's place must not hold up the exit.
    settingsFd = ::open(sfsname, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
    if (settingsFd < 0)
        return;
    const ssize_t written = ::pwrite(settingsFd, bytes, sizeof bytes, 0);
    (void)written;
    ::close(settingsFd);
    settingsFd = -1;
}

void glowGUI::buildContent()
{
    content = new QLabel;
    content->setObjectName(QStringLiteral("content"));
    content->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setContentWidget(content);

    sensLabel = new QLabel(content);
    sensLabel->setObjectName(QStringLiteral("sensLabel"));
    sensLabel->setGeometry(10, 10, 220, 32);
    sensLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    std::snprintf(sensText, sizeof sensText, current().sensFormat, int(settings.sens));
    sensLabel->setText(QString::fromUtf8(sensText));

    sensSlider = new QSlider(Qt::Horizontal, content);
    sensSlider->setObjectName(QStringLiteral("sensSlider"));
    sensSlider->setRange(0, 9);
    sensSlider->setPageStep(1);
    sensSlider->setTickPosition(QSlider::TicksBelow);
    sensSlider->setValue(settings.sens);
    sensSlider->setGeometry(10, 42, 220, 32);

    minLabel = new QLabel(current().minText, content);
    minLabel->setObjectName(QStringLiteral("minLabel"));
    minLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    minLabel->setGeometry(0, 74, 80, 32);
    maxLabel = new QLabel(current().maxText, content);
    maxLabel->setObjectName(QStringLiteral("maxLabel"));
    maxLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    maxLabel->setGeometry(160, 74, 80, 32);

    brightCheck = new QCheckBox(current().brightText, content);
    brightCheck->setObjectName(QStringLiteral("brightCheck"));
    brightCheck->setGeometry(10, 106, 240, 32);
    brightCheck->setChecked(settings.brightOn != 0);
    connect(brightCheck, &QCheckBox::clicked, this, &glowGUI::brSlot);

    brightSlider = new QSlider(Qt::Horizontal, content);
    brightSlider->setObjectName(QStringLiteral("brightSlider"));
    brightSlider->setRange(0, 100);
    brightSlider->setPageStep(5);
    brightSlider->setTickPosition(QSlider::TicksBelow);
    brightSlider->setValue(settings.bright);
    brightSlider->setGeometry(10, 138, 220, 32);
    brightSlider->setEnabled(settings.brightOn != 0);

    smoothCheck = new QCheckBox(current().smoothText, content);
    smoothCheck->setObjectName(QStringLiteral("smoothCheck"));
    smoothCheck->setGeometry(10, 170, 240, 32);
    smoothCheck->setChecked(settings.smoothOn != 0);
    connect(smoothCheck, &QCheckBox::clicked, this, &glowGUI::smSlot);
}

void glowGUI::chSens()
{
    std::snprintf(sensText, sizeof sensText, current().sensFormat, sensSlider->value());
    sensLabel->setText(QString::fromUtf8(sensText));
    glowO.setSmooth(smoothCheck->isChecked());
    glowO.setSens(sensThreshold(sensSlider->value()));
}

void glowGUI::glowStartStop()
{
    if (!running) {
        chSens();
        fl_fbbr.store(brightCheck->isChecked() ? brightSlider->value() : int(fbbr),
                      std::memory_order_relaxed);
        if (!glowO.start()) {
            ZMessageBox::information(this, QPixmap(), current().noMicrophone, current().ok);
            return;
        }
        running = true;
        showListening();
        midBtn->setText(current().stop);
        mainMenu->setItemEnabled(ITEM_START_DAEMON, false);
    } else {
        glowO.stop();
        restoreBrightness();
        running = false;
        showListening();
        midBtn->setText(current().start);
        mainMenu->setItemEnabled(ITEM_START_DAEMON, true);
    }
}

void glowGUI::showListening()
{
    micMarker->setVisible(running && fl_hearing.load(std::memory_order_relaxed));
}

void glowGUI::brSlot()
{
    if (!brightCheck->isChecked()) {
        brightSlider->setEnabled(false);
        return;
    }
    brightSlider->setEnabled(true);
    if (smoothCheck->isChecked())
        smoothCheck->setChecked(false);
}

void glowGUI::smSlot()
{
    if (smoothCheck->isChecked()) {
        brightCheck->setChecked(false);
        brightSlider->setEnabled(false);
    }
}

void glowGUI::krSlot()
{
    if (sensSlider->value() <= 8)
        sensSlider->setValue(sensSlider->value() + 1);
}

void glowGUI::klSlot()
{
    if (sensSlider->value() >= 1)
        sensSlider->setValue(sensSlider->value() - 1);
}

void glowGUI::lang0()
{
    russianRadio->setChecked(false);
    englishRadio->setChecked(true);
    changeLang(0);
}

void glowGUI::lang1()
{
    russianRadio->setChecked(true);
    englishRadio->setChecked(false);
    changeLang(1);
}

void glowGUI::changeLang(int l)
{
    if (l == settings.lang || l < 0 || l > 1)
        return;
    settings.lang = l;
    const langPack &pack = current();
    midBtn->setText(running ? pack.stop : pack.start);
    brightCheck->setText(pack.brightText);
    smoothCheck->setText(pack.smoothText);
    minLabel->setText(pack.minText);
    maxLabel->setText(pack.maxText);
    askBox->setText(pack.askStart);
    askBox->setButtonText(1, pack.yes);
    askBox->setButtonText(2, pack.no);
    mainMenu->changeItem(ITEM_START_DAEMON, pack.startDaemon);
    mainMenu->changeItem(ITEM_STOP_DAEMON, pack.stopDaemon);
    for (int n = 0; n < 10; ++n)
        schemeMenu->changeItem(n, pack.schemes.name[n]);
    mainMenu->update();
    schemeMenu->update();
    ZResource::setLanguage(pack.languageType);
}

void glowGUI::startd(int scheme)
{
    runShell(daemonCommand(sfdname, scheme).c_str());
    if (askBox->exec() != 0)
        return;
    // The stop command also ends the demo if it still plays.
    runShell(stopDaemonCommand);
    // A daemon that cannot start (no lights, no schemes file) ends at once, and the user would
    // never know: look again after a second.
    daemonsBefore = runningDaemons(phonePath(std::string("/proc")), ::getuid(), daemonProgramPath);
    runShell(daemonCommand(sfdsname, scheme).c_str());
    daemonCheck->start(DAEMON_CHECK_MS);
}

void glowGUI::checkDaemonRuns()
{
    for (int pid : runningDaemons(phonePath(std::string("/proc")), ::getuid(), daemonProgramPath)) {
        if (std::find(daemonsBefore.begin(), daemonsBefore.end(), pid) == daemonsBefore.end())
            return;
    }
    // Shown without a loop of its own: the check runs from a timer, whatever the user does.
    auto *box =
        new ZMessageBox(this, QPixmap(), current().daemonEnded, current().ok, QString(), QString(), 2);
    box->setObjectName(QStringLiteral("daemonEndedBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void glowGUI::stopd()
{
    runShell(stopDaemonCommand);
}

void glowGUI::m0()
{
    startd(0);
}
void glowGUI::m1()
{
    startd(1);
}
void glowGUI::m2()
{
    startd(2);
}
void glowGUI::m3()
{
    startd(3);
}
void glowGUI::m4()
{
    startd(4);
}
void glowGUI::m5()
{
    startd(5);
}
void glowGUI::m6()
{
    startd(6);
}
void glowGUI::m7()
{
    startd(7);
}
void glowGUI::m8()
{
    startd(8);
}
void glowGUI::m9()
{
    startd(9);
}

void glowGUI::exitSlot()
{
    settings.sens = static_cast<unsigned char>(sensSlider->value());
    settings.bright = static_cast<unsigned char>(brightSlider->value());
    settings.brightOn = brightCheck->isChecked() ? 1 : 0;
    settings.smoothOn = smoothCheck->isChecked() ? 1 : 0;
    writeSettings();
    glowO.stop();
    restoreBrightness();
    qApp->quit();
}
