// SPDX-License-Identifier: GPL-2.0-or-later
#include "appcurrentname.h"
#include "compresswin.h"
#include "mainwindows.h"
#include "myclass_passworddlg.h"
#include "myclass_progressdlg.h"
#include "myclass_zapp.h"
#include "popupmenu.h"
#include "zconfig.h"
#include "zpushbutton.h"

#include "modal.h"
#include "phonetree.h"

#include <QLabel>
#include <QtTest>

// Kest in each language of its shipped caption file: the windows and boxes speak it, and no
// caption is missing (a missing one would be written back to the file in Chinese).
class TestCaptions : public QObject
{
    Q_OBJECT
private slots:
    void groupsHaveTheSameKeys();
    void windowsSpeakTheLanguage_data();
    void windowsSpeakTheLanguage();

private:
    static QString shippedFile();
};

QString TestCaptions::shippedFile()
{
    return qEnvironmentVariable("EZX_TEST_SOURCE_DIR") + QStringLiteral("/data/ezx_kest_lang.cfg");
}

void TestCaptions::groupsHaveTheSameKeys()
{
    const ZConfig captions(shippedFile());
    QStringList groups;
    QVERIFY(captions.getGroupsKeyList(groups));
    QCOMPARE(groups, (QStringList{"zh-cn", "en-us", "ru"}));
    QStringList keys = captions.getKeyList("zh-cn");
    keys.sort();
    QVERIFY(keys.size() >= 27);
    for (const QString &group : groups) {
        QStringList own = captions.getKeyList(group);
        own.sort();
        QCOMPARE(own, keys);
        for (const QString &key : own)
            QVERIFY2(!captions.readEntry(group, key).isEmpty(), qPrintable(group + "/" + key));
    }
}

void TestCaptions::windowsSpeakTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("main");      // file label, middle key, menu entries
    QTest::addColumn<QStringList>("question");  // start of the exit question, its two buttons
    QTest::addColumn<QStringList>("compress");  // title, middle key
    QTest::addColumn<QStringList>("password");  // the password box's soft keys
    QTest::newRow("english") << "en-us" << QStringList{"Archive:", "Extract", "Create archive", "About"}
                             << QStringList{"Kest Ver: 1.0.4\r\n\r\nYou are leaving", "Yes", "No"}
                             << QStringList{"Create archive", "Compress"} << QStringList{"OK", "Cancel"};
    QTest::newRow("russian") << "ru" << QStringList{"Архив:", "Извлечь", "Создать архив", "О программе"}
                             << QStringList{"Kest Ver: 1.0.4\r\n\r\nВы выходите", "Да", "Нет"}
                             << QStringList{"Создать архив", "Сжать"} << QStringList{"OK", "Отмена"};
    // The Chinese group holds the program's own defaults, name line and all.
    QTest::newRow("chinese") << "zh-cn" << QStringList{"文件名称：", "解压", "创建压缩包", "关于"}
                             << QStringList{"Kest\u3000Ver: 1.0.4\r\n\r\n您将退出", "是", "否"}
                             << QStringList{"创建压缩包", "压缩"} << QStringList{"确定", "取消"};
}

void TestCaptions::windowsSpeakTheLanguage()
{
    QFETCH(QString, language);
    QFETCH(QStringList, main);
    QFETCH(QStringList, question);
    QFETCH(QStringList, compress);
    QFETCH(QStringList, password);

    PhoneTree phone;
    phone.write("/ezx_user/download/appwrite/setup/ezx_system.cfg",
                "[SYS_SYSTEM_SET]\nLanguageType = " + language.toUtf8() + "\n");
    QFile shipped(shippedFile());
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QByteArray captions = shipped.readAll();
    phone.write("/programs/ezx_kest_lang.cfg", captions);
    AppCurrentName = phone.path("/programs/kest");

    {
        MainWindows window(QStringLiteral("Win_Caption1"), QStringLiteral("Kest"), false, nullptr, "MainWin",
                           0);
        window.show();
        QCOMPARE(window.findChild<QLabel *>("qLabel1")->text(), main[0]);
        QCOMPARE(window.findChild<ZPushButton *>("pMidBtn")->text(), main[1]);
        auto *menu = window.findChild<PopupMenu *>("pMainMenu");
        QCOMPARE(menu->text(menu->idAt(0)), main[2]);
        QCOMPARE(menu->text(menu->idAt(2)), main[3]);

        QString text;
        QStringList buttons;
        answerMessageBox(1, &text, &buttons);
        QVERIFY(QMetaObject::invokeMethod(window.findChild<ZPushButton *>("pExitBtn"), "click"));
        QTRY_VERIFY(!buttons.isEmpty());
        QVERIFY2(text.startsWith(question[0]), qPrintable(text));
        QCOMPARE(buttons.mid(0, 2), question.mid(1));

        QVERIFY(menu->activateItem(menu->idAt(0)));
        auto *win = window.findChild<CompressWin *>("win");
        QVERIFY(win);
        QCOMPARE(win->title(), compress[0]);
        QCOMPARE(win->findChild<ZPushButton *>("pMidBtn")->text(), compress[1]);

        MyClass_PasswordDlg box("a.zip", &window, "passwordDlg");
        QCOMPARE(box.findChild<ZPushButton *>("pOkBtn")->text(), password[0]);
        QCOMPARE(box.findChild<ZPushButton *>("pCancelBtn")->text(), password[1]);

        // The progress box's Cancel key says what the password box's does.
        MyClass_ProgressDlg progress(QStringLiteral("Dlg_Progress_Info1"), QString(), &window, "progressDlg",
                                     1, 0x41, MyClass_Dlg::Dlg_Small);
        progress.showProgressDlg();
        QCOMPARE(progress.findChild<ZPushButton *>("progressCancel")->text(), password[1]);
        progress.hide();
    }
    QCOMPARE(modalTimeouts(), 0);
    // Every caption was found: nothing was added to the file.
    QCOMPARE(phone.read("/programs/ezx_kest_lang.cfg"), captions);
}

int main(int argc, char **argv)
{
    MyClass_ZApp app(argc, argv, 1);
    TestCaptions test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_captions.moc"
