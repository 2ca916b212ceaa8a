// SPDX-License-Identifier: GPL-2.0-or-later
#include "buttongroupbox.h"
#include "popupmenu.h"
#include "resources.h"
#include "utilcst.h"
#include "zapplication.h"
#include "zbasedialog.h"
#include "zglobal.h"
#include "zkeyobject.h"
#include "zmainwidget.h"
#include "zmessagebox.h"
#include "zpickers.h"
#include "zpushbutton.h"
#include "zscrollview.h"

#include "modal.h"
#include "phonetree.h"

#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestPhoneUi : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void screenGeometryIsConsistent();
    void mainWidgetAreas();
    void menuIds();
    void menuItemsCallSlotsAndSubmenus();
    void softKeyOpensPopup();
    void messageBoxAnswers_data();
    void messageBoxAnswers();
    void messageBoxInstanceTexts();
    void keyObjectMapsPhoneCodes();
    void pickersReturnChosenPaths();
    void buttonGroupIdsAndClicks();
    void scrollViewGrowsWithChildren();
    void softKeyCaptionsFollowLanguage();
    void programLanguageWinsOverThePhones();
};

void TestPhoneUi::cleanup()
{
    QCOMPARE(modalTimeouts(), 0);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isModal())
            QFAIL("a modal window was left open");
}

void TestPhoneUi::screenGeometryIsConsistent()
{
    const QRect screen = ZGlobal::getScreenR();
    QCOMPARE(screen.size(), QSize(240, 320));
    QCOMPARE(ZGlobal::getTitleR().bottom() + 1, ZGlobal::getContentR().top());
    QCOMPARE(ZGlobal::getContentR().bottom() + 1, ZGlobal::getCstR().top());
    QCOMPARE(ZGlobal::getCstR().bottom(), screen.bottom());
    // The three soft keys tile the soft-key bar.
    QCOMPARE(ZGlobal::getCst3_1R().united(ZGlobal::getCst3_2R()).united(ZGlobal::getCst3_3R()),
             ZGlobal::getCstR());
    QVERIFY(!ZGlobal::getCst3_1R().intersects(ZGlobal::getCst3_2R()));
    const QRect parts[3][4] = {
        {ZGlobal::getDlgSmallR(), ZGlobal::getDlgTitleSR(), ZGlobal::getDlgSmallConR(),
         ZGlobal::getDlgCstSR()},
        {ZGlobal::getDlgMiddleR(), ZGlobal::getDlgTitleMR(), ZGlobal::getDlgMiddleConR(),
         ZGlobal::getDlgCstMR()},
        {ZGlobal::getDlgLargeR(), ZGlobal::getDlgTitleLR(), ZGlobal::getDlgLargeConR(),
         ZGlobal::getDlgCstLR()},
    };
    int previousHeight = 0;
    for (const auto &p : parts) {
        QVERIFY(screen.contains(p[0]));
        QVERIFY(p[0].height() > previousHeight);
        previousHeight = p[0].height();
        // title, content and soft keys stack up to exactly the dialog.
        QCOMPARE(p[1].united(p[2]).united(p[3]), p[0]);
        QCOMPARE(p[1].bottom() + 1, p[2].top());
        QCOMPARE(p[2].bottom() + 1, p[3].top());
    }
    QCOMPARE(ZGlobal::diffRect(QRect(0, 160, 240, 160), QRect(0, 184, 240, 50)), QRect(0, 24, 240, 50));
}

void TestPhoneUi::mainWidgetAreas()
{
    ZMainWidget window(QString::fromUtf8("标题 Title"), false, nullptr, "win");
    window.getContentWidget(true);
    QWidget *cst = window.getCSTWidget(true);
    window.show();
    QCOMPARE(window.size(), QSize(240, 320));
    QCOMPARE(window.objectName(), QStringLiteral("win"));
    QCOMPARE(window.getTitleBarWidget()->geometry(), ZGlobal::getTitleR());
    QCOMPARE(window.contentWidget()->geometry(), ZGlobal::getContentR());
    QCOMPARE(cst->geometry(), ZGlobal::getCstR());
    QCOMPARE(qobject_cast<QLabel *>(window.getTitleBarWidget())->text(), QString::fromUtf8("标题 Title"));
    // Asking again gives the same areas.
    QCOMPARE(window.getContentWidget(true), window.contentWidget());
    QCOMPARE(window.getCSTWidget(false), cst);

    // Embedded as a bare soft-key bar, a main widget is all soft keys.
    QWidget holder;
    holder.resize(240, 320);
    ZMainWidget bar(false, &holder, "bar");
    QWidget *keys = bar.getCSTWidget(true);
    bar.setGeometry(0, 290, 240, 30);
    holder.show();
    QCOMPARE(keys->geometry(), QRect(0, 0, 240, 30));
    QVERIFY(bar.getContentWidget(false) == nullptr);
}

void TestPhoneUi::menuIds()
{
    PopupMenu menu(nullptr, "m");
    const int a = menu.insertItem("a");
    menu.insertSeparator();
    const int b = menu.insertItem("b");
    const int three = menu.insertItem("three", 3);
    QVERIFY(a < -1 && b < -1 && a != b);
    QCOMPARE(three, 3);
    // Automatic ids are unique across menus.
    PopupMenu other;
    const int c = other.insertItem("c");
    QVERIFY(c != a && c != b);
    QCOMPARE(menu.count(), 4);
    QCOMPARE(menu.idAt(0), a);
    QCOMPARE(menu.indexOf(three), 3);
    QCOMPARE(menu.idAt(9), -1);

    QSignalSpy activated(&menu, &PopupMenu::activated);
    QVERIFY(menu.activateItem(b));
    QCOMPARE(activated.size(), 1);
    QCOMPARE(activated.at(0).at(0).toInt(), b);

    menu.setItemEnabled(b, false);
    QVERIFY(!menu.isItemEnabled(b));
    QVERIFY(!menu.activateItem(b));
    QCOMPARE(activated.size(), 1);
    menu.setItemEnabled(b, true);
    menu.changeItem(three, "drei");
    QCOMPARE(menu.text(three), QStringLiteral("drei"));
    QVERIFY(menu.activateItem(three));
    QCOMPARE(activated.last().at(0).toInt(), 3);
    QVERIFY(!menu.activateItem(12345));
    menu.removeItem(a);
    QCOMPARE(menu.indexOf(a), -1);
}

void TestPhoneUi::menuItemsCallSlotsAndSubmenus()
{
    PopupMenu menu;
    QLabel target;
    const int call = menu.insertItem("clear", &target, SLOT(clear()));
    target.setText("full");
    QVERIFY(menu.activateItem(call));
    QVERIFY(target.text().isEmpty());

    auto *sub = new PopupMenu(nullptr, "sub");
    sub->insertItem("zero", 0);
    sub->insertItem("one", 1);
    const int subId = menu.insertItem("schemes", sub, 3);
    QCOMPARE(subId, 3);
    QCOMPARE(menu.submenu(3), sub);
    QVERIFY(!menu.activateItem(3));  // a submenu entry only opens the submenu
    QSignalSpy subActivated(sub, &PopupMenu::activated);
    QVERIFY(sub->activateItem(1));
    QCOMPARE(subActivated.at(0).at(0).toInt(), 1);
    menu.setItemEnabled(3, false);
    QVERIFY(!menu.findItem(3)->isEnabled());

    auto *radio = new QRadioButton("English");
    const int embedded = menu.insertItem(radio);
    QCOMPARE(radio->parent() != nullptr, true);
    QVERIFY(!menu.activateItem(embedded));
}

void TestPhoneUi::softKeyOpensPopup()
{
    ZMainWidget window(QStringLiteral("keys"), false);
    auto *cst = new UTIL_CST(&window, QStringLiteral("Mid"));
    window.setCSTWidget(cst);
    auto *menu = new PopupMenu(&window);
    menu->insertItem("only");
    cst->getLeftBtn()->setPopup(menu);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(cst->getMidBtn()->text(), QStringLiteral("Mid"));
    QCOMPARE(cst->getLeftBtn()->style(), 6);
    QCOMPARE(cst->getRightBtn()->style(), 5);
    QCOMPARE(cst->getLeftBtn()->geometry(), ZGlobal::diffRect(ZGlobal::getCstR(), ZGlobal::getCst3_1R()));
    QSignalSpy clicked(cst->getLeftBtn(), &QPushButton::clicked);
    QTest::mouseClick(cst->getLeftBtn(), Qt::LeftButton);
    QCOMPARE(clicked.size(), 1);
    QTRY_VERIFY(menu->isVisible());
    // It opens above the key, on the phone screen.
    const QRect shown = menu->geometry().translated(-window.geometry().topLeft());
    QVERIFY(shown.bottom() <= ZGlobal::getCstR().top());
    QVERIFY(QRect(0, 0, 240, 320).contains(shown));
    menu->hide();
}

void TestPhoneUi::messageBoxAnswers_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("expected");
    QTest::newRow("first") << 0 << 0;
    QTest::newRow("second") << 1 << 1;
    QTest::newRow("third") << 2 << 2;
    QTest::newRow("closed_without_choice") << -1 << -1;
}

void TestPhoneUi::messageBoxAnswers()
{
    QFETCH(int, choice);
    QFETCH(int, expected);
    ZMainWidget window(QStringLiteral("w"), false);
    window.show();
    QString text;
    QStringList buttons;
    answerMessageBox(choice, &text, &buttons);
    const int result =
        ZMessageBox::information(&window, QPixmap(), QString::fromUtf8("继续？"), QString::fromUtf8("是"),
                                 QString::fromUtf8("否"), QStringLiteral("Later"), 2);
    QCOMPARE(result, expected);
    QCOMPARE(text, QString::fromUtf8("继续？"));
    QCOMPARE(buttons, QStringList({QString::fromUtf8("是"), QString::fromUtf8("否"), "Later"}));
}

void TestPhoneUi::messageBoxInstanceTexts()
{
    ZMessageBox box(nullptr, QPixmap(), "ask", "Yes", "No", QString(), 1);
    QVERIFY(box.button(2) == nullptr);  // a null caption: no third button
    box.setText("Start daemon with this scheme?");
    box.setButtonText(1, "Da");
    box.setButtonText(2, "Net");
    QStringList buttons;
    answerMessageBox(1, nullptr, &buttons);
    QCOMPARE(box.exec(), 1);
    QCOMPARE(buttons, QStringList({"Da", "Net"}));
    // Shown again, it answers again; and it fits the phone screen.
    answerMessageBox(0);
    QCOMPARE(box.exec(), 0);
    QVERIFY(QRect(0, 0, 240, 320).contains(box.phoneGeometry()));
    // An empty caption is still a button.
    ZMessageBox one(nullptr, QPixmap(), "hint", "", QString(), QString(), 2);
    QVERIFY(one.button(0) != nullptr);
    QVERIFY(one.button(1) == nullptr);
}

void TestPhoneUi::keyObjectMapsPhoneCodes()
{
    QCOMPARE(ZKeyObjectBase::toQtKey(4100), int(Qt::Key_Return));
    QCOMPARE(ZKeyObjectBase::toQtKey(4114), int(Qt::Key_Left));
    QCOMPARE(ZKeyObjectBase::toQtKey(4116), int(Qt::Key_Right));
    QCOMPARE(ZKeyObjectBase::toPhoneCode(Qt::Key_Right), 4116);
    QCOMPARE(ZKeyObjectBase::toQtKey('a'), int('a'));

    ZMainWidget window(QStringLiteral("keys"), false);
    ZScrollView *content = window.getContentWidget(true);
    auto *focusTarget = new QLabel(content->viewport());
    focusTarget->setFocusPolicy(Qt::StrongFocus);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    focusTarget->setFocus();
    ZKeyObject select(&window, nullptr, nullptr);
    select.addKey(4100, false);
    ZKeyObject right(&window);
    right.addKey(4116, false);
    QSignalSpy selectSpy(&select, &ZKeyObjectBase::keyPressed);
    QSignalSpy rightSpy(&right, &ZKeyObjectBase::keyPressed);
    QTest::keyClick(focusTarget, Qt::Key_Return);
    QTest::keyClick(focusTarget, Qt::Key_Enter);
    QTest::keyClick(focusTarget, Qt::Key_Right);
    QTest::keyClick(focusTarget, Qt::Key_Left);  // not watched
    QCOMPARE(selectSpy.size(), 2);
    QCOMPARE(selectSpy.at(0).at(0).toInt(), 4100);
    QCOMPARE(selectSpy.at(1).at(0).toInt(), 4100);
    QCOMPARE(rightSpy.size(), 1);
    QCOMPARE(rightSpy.at(0).at(0).toInt(), 4116);
    // Keys of another window are not ours.
    ZMainWidget other(QStringLiteral("other"), false);
    other.show();
    QTest::keyClick(&other, Qt::Key_Return);
    QCOMPARE(selectSpy.size(), 2);
}

void TestPhoneUi::pickersReturnChosenPaths()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("sub");
    for (const char *name : {"a.tar.gz", "b.zip", "c.txt"}) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    // Browsing: folders first, then files that pass the filters.
    ZOpenDlg open({"*.tar.gz", "*.zip"}, dir.path(), false);
    QStringList shown;
    for (int i = 0; i < open.list()->count(); ++i)
        shown << open.list()->item(i)->text();
    QCOMPARE(shown, QStringList({"..", "sub", "a.tar.gz", "b.zip"}));
    // Choosing through the list, as a user does.
    whenModal([](QWidget *w) {
        auto *dlg = qobject_cast<ZOpenDlg *>(w);
        dlg->list()->setCurrentRow(3);
        dlg->findChild<QPushButton *>("pickerOk")->click();
    });
    QCOMPARE(open.exec(), int(QDialog::Accepted));
    QCOMPARE(open.getFile(), dir.filePath("b.zip"));

    ZOpenDlg many({"*.*"}, dir.path(), true);
    answerPicker({dir.filePath("a.tar.gz"), dir.filePath("c.txt")});
    many.exec();
    QCOMPARE(many.getFileList(), QStringList({dir.filePath("a.tar.gz"), dir.filePath("c.txt")}));

    ZOpenDlg cancelled({"*.*"}, dir.path(), false);
    answerPicker({});
    cancelled.exec();
    QVERIFY(cancelled.getFile().isEmpty());

    ZSelectFolderDlg folder(dir.path());
    whenModal([](QWidget *w) {
        auto *dlg = qobject_cast<ZSelectFolderDlg *>(w);
        dlg->list()->setCurrentRow(1);  // "sub"
        dlg->findChild<QPushButton *>("pickerOk")->click();
    });
    folder.exec();
    QCOMPARE(folder.getSelected(), dir.filePath("sub"));
    ZSelectFolderDlg none(dir.path());
    answerPicker({});
    none.exec();
    QCOMPARE(none.getSelected(), QString(""));
}

void TestPhoneUi::buttonGroupIdsAndClicks()
{
    ButtonGroupBox group(1, Qt::Horizontal, "list", nullptr, "group");
    QCOMPARE(group.title(), QStringLiteral("list"));
    auto *a = new QRadioButton("a");
    auto *b = new QRadioButton("b");
    QCOMPARE(group.insert(a, 1), 1);
    QCOMPARE(group.insert(b, 2), 2);
    QCOMPARE(group.count(), 2);
    QCOMPARE(group.find(2), b);
    QSignalSpy clicked(&group, &ButtonGroupBox::clicked);
    group.show();
    b->click();
    QCOMPARE(clicked.at(0).at(0).toInt(), 2);
    group.remove(a);
    delete a;
    group.setId(b, 1);
    QCOMPARE(group.find(1), b);
    QCOMPARE(group.count(), 1);
    QCOMPARE(group.buttons(), QList<QAbstractButton *>({b}));
    QCOMPARE(group.insert(new QRadioButton("c")), 0);
}

void TestPhoneUi::scrollViewGrowsWithChildren()
{
    ZMainWidget window(QStringLiteral("scroll"), false);
    ZScrollView *view = window.getContentWidget(true);
    window.show();
    auto *tall = new QLabel("tall", view->viewport());
    tall->setGeometry(0, 100, 240, 1000);
    tall->show();
    QTRY_COMPARE(view->viewport()->height(), 1100);
    QCOMPARE(view->viewport()->width(), view->QAbstractScrollArea::viewport()->width());
}

void TestPhoneUi::softKeyCaptionsFollowLanguage()
{
    PhoneTree phone;
    QCOMPARE(ZResource::text("CST_Exit"), QString::fromUtf8("退出"));
    phone.write("/ezx_user/download/appwrite/setup/ezx_system.cfg",
                "[SYS_SYSTEM_SET]\nLanguageType = en-us\n");
    QCOMPARE(ZResource::text("CST_Menu"), QStringLiteral("Menu"));
    phone.write("/ezx_user/download/appwrite/setup/ezx_system.cfg", "[SYS_SYSTEM_SET]\nLanguageType = ru\n");
    QCOMPARE(ZResource::text("CST_Exit"), QString::fromUtf8("Выход"));
    QVERIFY(ZResource::text("Nothing").isNull());
    QVERIFY(!ZResource::icon("InSet_Picker_Folder").isNull());
}

void TestPhoneUi::programLanguageWinsOverThePhones()
{
    PhoneTree phone;
    phone.write("/ezx_user/download/appwrite/setup/ezx_system.cfg",
                "[SYS_SYSTEM_SET]\nLanguageType = zh-cn\n");
    ZMainWidget window(false);
    auto *cst = new UTIL_CST(&window, QStringLiteral("Mid"));
    window.setCSTWidget(cst);
    window.show();
    QCOMPARE(cst->getLeftBtn()->text(), QString::fromUtf8("菜单"));

    // A bar already on screen follows the program's language at once, the middle key untouched.
    ZResource::setLanguage(QStringLiteral("ru"));
    QCOMPARE(cst->getLeftBtn()->text(), QString::fromUtf8("Меню"));
    QCOMPARE(cst->getRightBtn()->text(), QString::fromUtf8("Выход"));
    QCOMPARE(cst->getMidBtn()->text(), QStringLiteral("Mid"));
    ZResource::setLanguage(QStringLiteral("en-us"));
    QCOMPARE(cst->getRightBtn()->text(), QStringLiteral("Exit"));
    QCOMPARE(ZResource::text("CST_Cancel"), QStringLiteral("Cancel"));

    // Back to the phone's language, which is still read at every lookup.
    ZResource::setLanguage(QString());
    QCOMPARE(cst->getRightBtn()->text(), QString::fromUtf8("退出"));
    phone.write("/ezx_user/download/appwrite/setup/ezx_system.cfg", "[SYS_SYSTEM_SET]\nLanguageType = ru\n");
    QCOMPARE(ZResource::text("CST_Menu"), QString::fromUtf8("Меню"));
}

int main(int argc, char **argv)
{
    ZApplication app(argc, argv, 1);
    TestPhoneUi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_phoneui.moc"
