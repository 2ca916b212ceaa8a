// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "langpack.h"
#include "panelsettings.h"
#include "setupsetmanager.h"
#include "zmainwidget.h"

#include <vector>

class PopupMenu;
class QCheckBox;
class QLabel;
class QRadioButton;
class QSlider;
class QTimer;
class UTIL_CST;
class ZKeyObject;
class ZMessageBox;
class ZPushButton;

// The phone's settings manager and the user's backlight brightness, which the panel puts back
// whenever the flasher stops.
extern SETUP_SET_Manager mgr;
extern unsigned int fbbr;

// The light-show panel: starts and tunes the flasher, demonstrates glowrad's schemes and
// starts or stops the daemon, in English or Russian. Its settings are read from sfsname when
// it is made and written back when the user leaves through the right soft key.
class glowGUI : public ZMainWidget
{
    Q_OBJECT
public:
    glowGUI();

    // Plays scheme 0 to 9 once, then asks whether the daemon should run it from now on.
    void startd(int scheme);
    // 0 English, 1 Russian.
    void changeLang(int lang);

public slots:
    void glowStartStop();
    void exitSlot();
    void chSens();
    void brSlot();
    void smSlot();
    void krSlot();
    void klSlot();
    void stopd();
    void m0();
    void m1();
    void m2();
    void m3();
    void m4();
    void m5();
    void m6();
    void m7();
    void m8();
    void m9();
    void lang0();
    void lang1();

private:
    const langPack &current() const { return lang[settings.lang]; }
    void readSettings();
    void writeSettings();
    void buildContent();
    // The red MIC badge: only while the flasher runs and hears the microphone.
    void showListening();
    // A second after a daemon was started: a box when it has ended already.
    void checkDaemonRuns();

    ZMessageBox *askBox = nullptr;
    langPack lang[2];
    glowSettings settings;
    QLabel *title = nullptr;
    QLabel *micMarker = nullptr;  // in the title bar while the flasher listens
    QLabel *sensLabel = nullptr;
    QLabel *content = nullptr;
    QLabel *minLabel = nullptr;
    QLabel *maxLabel = nullptr;
    QCheckBox *brightCheck = nullptr;
    QCheckBox *smoothCheck = nullptr;
    QTimer *refreshTimer = nullptr;
    QTimer *daemonCheck = nullptr;
    std::vector<int> daemonsBefore;  // the glowrads that ran before the last daemon was started
    ZPushButton *rightBtn = nullptr;
    ZPushButton *midBtn = nullptr;
    ZPushButton *leftBtn = nullptr;
    PopupMenu *mainMenu = nullptr;
    PopupMenu *schemeMenu = nullptr;
    QRadioButton *englishRadio = nullptr;
    QRadioButton *russianRadio = nullptr;
    UTIL_CST *cst = nullptr;
    QSlider *sensSlider = nullptr;
    QSlider *brightSlider = nullptr;
    ZKeyObject *selectKey = nullptr;
    ZKeyObject *rightKey = nullptr;
    ZKeyObject *leftKey = nullptr;
    bool running = false;
    int settingsFd = -1;
    char sensText[128] = {};
};
