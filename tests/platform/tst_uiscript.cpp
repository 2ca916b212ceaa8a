// SPDX-License-Identifier: GPL-2.0-or-later
// The UI script: which window a step acts on, submenus, keys and the window manager's close.
#include "popupmenu.h"
#include "uiscript.h"
#include "utilcst.h"
#include "zapplication.h"
#include "zmainwidget.h"
#include "zmessagebox.h"
#include "zpushbutton.h"

#include "desktop.h"
#include "modal.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A window with soft keys and a left-key menu: items 1 and 2, a submenu 3 with items 0 to 2,
// a disabled submenu 4.
struct MenuWindow
{
    explicit MenuWindow(const QString &title, QWidget *parent = nullptr)
        : window(title, false, parent, parent ? "second" : "main", parent ? 1 : 0)
    {
        cst = new UTIL_CST(&window, title);
        window.setCSTWidget(cst);
        menu = new PopupMenu(&window, "menu");
        menu->insertItem(QStringLiteral("one"), 1);
        menu->insertItem(QStringLiteral("two"), 2);
        sub = new PopupMenu(nullptr, "sub");
        for (int id = 0; id < 3; ++id)
            sub->insertItem(QStringLiteral("scheme %1").arg(id), id);
        menu->insertItem(QStringLiteral("schemes"), sub, 3);
        locked = new PopupMenu(nullptr, "locked");
        locked->insertItem(QStringLiteral("never"), 0);
        menu->insertItem(QStringLiteral("locked"), locked, 4);
        menu->setItemEnabled(4, false);
        cst->getLeftBtn()->setPopup(menu);
    }

    ZMainWidget window;
    UTIL_CST *cst;
    PopupMenu *menu;
    PopupMenu *sub;
    PopupMenu *locked;
};

bool anyPopupOpen()
{
    return QApplication::activePopupWidget() != nullptr;
}

}  // namespace

class TestUiScript : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void clickActsOnTheWindowOnTop();
    void clickAnswersTheModalBoxFirst();
    void menuChoosesInSubmenus_data();
    void menuChoosesInSubmenus();
    void submenuEntryOpensTheSubmenu();
    void keysGoToTheActiveWindow();
    void closeAndIconOfTheActiveWindow();
};

void TestUiScript::cleanup()
{
    closePopups();
    QCOMPARE(modalTimeouts(), 0);
}

void TestUiScript::clickActsOnTheWindowOnTop()
{
    MenuWindow main(QStringLiteral("main"));
    auto *app = qobject_cast<ZApplication *>(qApp);
    app->showMainWidget(&main.window);
    QTRY_VERIFY(main.window.isActiveWindow());
    // A second window of the program over the main one, with keys of the same names.
    MenuWindow second(QStringLiteral("second"), &main.window);
    second.window.show();
    QTRY_VERIFY(second.window.isActiveWindow());
    QSignalSpy mainMid(main.cst->getMidBtn(), &QPushButton::clicked);
    QSignalSpy secondMid(second.cst->getMidBtn(), &QPushButton::clicked);

    for (int round = 0; round < 3; ++round)
        QVERIFY(playScript(QStringLiteral("click cstMidBtn")));
    QCOMPARE(secondMid.size(), 3);
    QCOMPARE(mainMid.size(), 0);

    // Gone from the screen, it no longer takes the clicks.
    second.window.hide();
    QVERIFY(playScript(QStringLiteral("click cstMidBtn")));
    QCOMPARE(mainMid.size(), 1);
    QCOMPARE(secondMid.size(), 3);
    app->setMainWidget(nullptr);
}

void TestUiScript::clickAnswersTheModalBoxFirst()
{
    MenuWindow main(QStringLiteral("main"));
    main.window.show();
    QTRY_VERIFY(main.window.isActiveWindow());
    ZMessageBox box(&main.window, QPixmap(), QStringLiteral("?"), QStringLiteral("Yes"),
                    QStringLiteral("No"));
    box.findChild<QPushButton *>("msgButton1")->setObjectName(QStringLiteral("cstRightBtn"));
    QSignalSpy windowRight(main.cst->getRightBtn(), &QPushButton::clicked);
    UiScript::start(QStringLiteral("click cstRightBtn"), 100);
    QCOMPARE(box.exec(), 1);
    QCOMPARE(windowRight.size(), 0);
}

void TestUiScript::menuChoosesInSubmenus_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("menuItem");  // activated in the main menu, or -1
    QTest::addColumn<int>("subItem");   // activated in the submenu, or -1
    QTest::newRow("plain_item") << "2" << 2 << -1;
    QTest::newRow("submenu_item") << "3/2" << -1 << 2;
    QTest::newRow("submenu_first_item") << "3/0" << -1 << 0;
    QTest::newRow("no_such_subitem") << "3/7" << -1 << -1;
    QTest::newRow("disabled_submenu") << "4/0" << -1 << -1;
    QTest::newRow("not_a_submenu") << "1/0" << -1 << -1;
    QTest::newRow("not_a_number") << "3/x" << -1 << -1;
}

void TestUiScript::menuChoosesInSubmenus()
{
    QFETCH(QString, path);
    QFETCH(int, menuItem);
    QFETCH(int, subItem);
    MenuWindow w(QStringLiteral("menus"));
    w.window.show();
    QTRY_VERIFY(w.window.isActiveWindow());
    QSignalSpy menuActivated(w.menu, &PopupMenu::activated);
    QSignalSpy subActivated(w.sub, &PopupMenu::activated);
    QSignalSpy lockedActivated(w.locked, &PopupMenu::activated);
    QVERIFY(playScript(QStringLiteral("click cstLeftBtn; menu ") + path));
    QCOMPARE(menuActivated.size(), menuItem < 0 ? 0 : 1);
    if (menuItem >= 0)
        QCOMPARE(menuActivated.at(0).at(0).toInt(), menuItem);
    QCOMPARE(subActivated.size(), subItem < 0 ? 0 : 1);
    if (subItem >= 0)
        QCOMPARE(subActivated.at(0).at(0).toInt(), subItem);
    QCOMPARE(lockedActivated.size(), 0);
    // A choice closes every menu; a failed one leaves the menu open for the next step.
    QCOMPARE(anyPopupOpen(), menuItem < 0 && subItem < 0);
}

void TestUiScript::submenuEntryOpensTheSubmenu()
{
    MenuWindow w(QStringLiteral("menus"));
    w.window.show();
    QTRY_VERIFY(w.window.isActiveWindow());
    QSignalSpy subActivated(w.sub, &PopupMenu::activated);
    QVERIFY(playScript(QStringLiteral("click cstLeftBtn; menu 3")));
    QTRY_VERIFY(w.sub->isVisible());
    QVERIFY(playScript(QStringLiteral("menu 1")));
    QCOMPARE(subActivated.size(), 1);
    QCOMPARE(subActivated.at(0).at(0).toInt(), 1);
    QVERIFY(!w.menu->isVisible() && !w.sub->isVisible());
}

void TestUiScript::keysGoToTheActiveWindow()
{
    MenuWindow main(QStringLiteral("main"));
    main.window.show();
    QTRY_VERIFY(main.window.isActiveWindow());
    MenuWindow second(QStringLiteral("second"), &main.window);
    second.window.show();
    QTRY_VERIFY(second.window.isActiveWindow());
    QSignalSpy mainKeys(main.cst->getMidBtn(), &QPushButton::clicked);
    QSignalSpy secondMid(second.cst->getMidBtn(), &QPushButton::clicked);
    QSignalSpy secondRight(second.cst->getRightBtn(), &QPushButton::clicked);
    QVERIFY(playScript(QStringLiteral("key F2; key Return; key Escape")));
    QCOMPARE(secondMid.size(), 2);
    QCOMPARE(secondRight.size(), 1);
    QCOMPARE(mainKeys.size(), 0);
    // F1 opens the left key's menu; the keys then move in the menu and choose from it.
    QSignalSpy chosen(second.menu, &PopupMenu::activated);
    QVERIFY(playScript(QStringLiteral("key F1; key Down; key Return")));
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(secondMid.size(), 2);
}

void TestUiScript::closeAndIconOfTheActiveWindow()
{
    MenuWindow w(QStringLiteral("close"));
    w.window.show();
    QTRY_VERIFY(w.window.isActiveWindow());
    QSignalSpy right(w.cst->getRightBtn(), &QPushButton::clicked);
    QTemporaryDir dir;
    w.window.setWindowIcon(ZApplication::programIcon(QStringLiteral("glowra")));
    QVERIFY(playScript(QStringLiteral("close; icon ") + dir.filePath("icon.png")));
    QCOMPARE(right.size(), 1);
    QVERIFY(w.window.isVisible());
    QVERIFY(isProgramIcon(dir.filePath("icon.png"), "glowra"));
}

int main(int argc, char **argv)
{
    ZApplication app(argc, argv, 1);
    TestUiScript test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_uiscript.moc"
