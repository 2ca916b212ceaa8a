// SPDX-License-Identifier: GPL-2.0-or-later
#include "appcurrentname.h"
#include "daemoncommands.h"
#include "glowgui.h"
#include "mainwindow.h"
#include "mainwindows.h"
#include "myclass_zapp.h"
#include "popupmenu.h"
#include "resources.h"
#include "uiscript.h"
#include "zpushbutton.h"

#include "phonetree.h"
#include "simlights.h"

#include <QAbstractButton>
#include <QLabel>
#include <QtTest>
#include <memory>

// One language per window: for each phone language, every window of Kest, glowra and procwarden
// speaks one language, soft keys and menus included. Kest speaks the phone's, procwarden
// English, glowra its own English or Russian. Each screen, left menu open, is saved in
// test-shots/languages/ of the build to be looked at.
class TestLanguages : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void oneLanguagePerWindow_data();
    void oneLanguagePerWindow();
};

namespace {

// The soft keys' captions of each language.
const QMap<QString, QStringList> softKeys{
    {"zh-cn", {QString::fromUtf8("菜单"), QString::fromUtf8("退出")}},
    {"en-us", {"Menu", "Exit"}},
    {"ru", {QString::fromUtf8("Меню"), QString::fromUtf8("Выход")}},
};

// Names, which every language writes the same: the programs' and the languages' own.
const QStringList names{"Kest", " Glowra", "ProcWarden", "English", QString::fromUtf8("Русский")};

// The language a text is written in by its letters: Chinese characters, Cyrillic or Latin
// ones; "" for a text without letters.
QString writtenIn(const QString &text)
{
    bool cyrillic = false, latin = false;
    for (const QChar c : text) {
        if ((c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            || (c.unicode() >= 0x3000 && c.unicode() <= 0x303F))
            return "zh-cn";
        cyrillic = cyrillic || (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF);
        latin = latin || (c.unicode() < 0x80 && c.isLetter());
    }
    return cyrillic ? "ru" : latin ? "en-us" : "";
}

void menuTexts(const QMenu *menu, QStringList *texts)
{
    for (QAction *action : menu->actions()) {
        if (!action->text().isEmpty())
            *texts << action->text();
        if (action->menu())
            menuTexts(action->menu(), texts);
    }
}

// Every text the window shows or opens from its soft keys; not the rows of a list, which are
// the user's data (process names).
QStringList shownTexts(QWidget *window)
{
    QStringList texts;
    for (const QLabel *label : window->findChildren<QLabel *>())
        if (label->isVisibleTo(window))
            texts << label->text();
    for (const QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (button->isVisibleTo(window))
            texts << button->text();
        if (const auto *key = qobject_cast<const ZPushButton *>(button); key && key->popup()) {
            menuTexts(key->popup(), &texts);
            for (const QAbstractButton *embedded : key->popup()->findChildren<QAbstractButton *>())
                texts << embedded->text();
        }
    }
    return texts;
}

QString shotFolder()
{
    const QString folder = qEnvironmentVariable("EZX_TEST_BIN_DIR") + "/../test-shots/languages";
    QDir().mkpath(folder);
    return folder;
}

}  // namespace

void TestLanguages::init()
{
    // Each program sets its soft keys' language in a process of its own; here they share one.
    ZResource::setLanguage(QString());
}

void TestLanguages::oneLanguagePerWindow_data()
{
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("spoken");
    for (const char *phone : {"zh-cn", "en-us", "ru"}) {
        const auto row = [phone](const char *program, const QString &spoken) {
            QTest::addRow("%s_%s", phone, program) << QString(phone) << QString(program) << spoken;
        };
        row("kest", phone);
        row("procwarden", "en-us");
        row("glowra_english", "en-us");
        row("glowra_russian", "ru");
        row("glowra_switched_to_russian", "ru");
        row("glowra_switched_to_english", "en-us");
    }
}

void TestLanguages::oneLanguagePerWindow()
{
    QFETCH(QString, phone);
    QFETCH(QString, program);
    QFETCH(QString, spoken);

    PhoneTree tree;
    tree.write("/ezx_user/download/appwrite/setup/ezx_system.cfg",
               "[SYS_SYSTEM_SET]\nBrightness = 40\nLanguageType = " + phone.toUtf8() + "\n");
    std::unique_ptr<QWidget> window;
    if (program == "kest") {
        QFile shipped(qEnvironmentVariable("EZX_TEST_SOURCE_DIR") + "/data/ezx_kest_lang.cfg");
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        tree.write("/programs/ezx_kest_lang.cfg", shipped.readAll());
        AppCurrentName = tree.path("/programs/kest");
        window.reset(new MainWindows(QStringLiteral("Win_Caption1"), QStringLiteral("Kest"), false, nullptr,
                                     "MainWin", 0));
    } else if (program == "procwarden") {
        window.reset(new MainWindow);
    } else {
        // The panel's settings file: language first (1 Russian), then its defaults. A switched
        // panel starts in the other language and is switched from its menu.
        const bool switched = program.contains("switched");
        const bool startsRussian = (spoken == "ru") != switched;
        tree.write("/glowra.conf",
                   QByteArray::fromHex(startsRussian ? "0100000006280000" : "0000000006280000"));
        QVERIFY(setInvocationPath(QFile::encodeName(tree.path("/glowra")).constData()));
        auto *panel = new glowGUI;
        window.reset(panel);
        // The slots of the menu's two radio buttons.
        if (switched && startsRussian)
            panel->lang0();
        else if (switched)
            panel->lang1();
    }
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    QStringList keys;
    for (const ZPushButton *key : window->findChildren<ZPushButton *>())
        if (key->style() == 6 || key->style() == 5)
            keys << key->text();
    QCOMPARE(keys.size(), 2);
    QVERIFY2(softKeys[spoken].contains(keys[0]) && softKeys[spoken].contains(keys[1]),
             qPrintable(keys.join(' ')));
    // A switched panel's sensitivity label follows at the next tick of its timer.
    const auto foreign = [&] {
        QStringList found;
        for (const QString &text : shownTexts(window.get()))
            if (!names.contains(text) && !writtenIn(text).isEmpty() && writtenIn(text) != spoken)
                found << text;
        return found;
    };
    QTRY_COMPARE(foreign(), QStringList());

    // The screen with the left menu open, to be looked at.
    for (ZPushButton *key : window->findChildren<ZPushButton *>())
        if (key->style() == 6)
            key->click();
    QTRY_VERIFY(QApplication::activePopupWidget());
    QVERIFY(UiScript::grabPhoneScreen().save(shotFolder() + "/" + QTest::currentDataTag() + ".png"));
    QApplication::activePopupWidget()->close();
}

SIM_LIGHTS_TEST_MAIN(TestLanguages, MyClass_ZApp)

#include "tst_languages.moc"
