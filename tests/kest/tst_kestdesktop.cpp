// SPDX-License-Identifier: GPL-2.0-or-later
// Kest on a desktop: its keys, its two windows under a window manager, and the UI script with
// the compression window open over the main window; in each of the phone's languages.
#include "appcurrentname.h"
#include "compresswin.h"
#include "mainwindows.h"
#include "myclass_zapp.h"
#include "popupmenu.h"
#include "zpushbutton.h"

#include "boxanswers.h"
#include "desktop.h"
#include "modal.h"
#include "phonetree.h"

#include <QProcess>
#include <QtTest>

namespace {

struct Language
{
    const char *type, *exitQuestion, *extractQuestion;
};
const Language languages[] = {
    {"zh-cn", "您将退出应用程序，是否继续？", "您的操作将进行解压，是否继续？"},
    {"en-us", "You are leaving the application. Continue?", "This will extract the archive. Continue?"},
    {"ru", "Вы выходите из программы. Продолжить?", "Архив будет распакован. Продолжить?"},
};

const Language &language(const QString &type)
{
    for (const Language &l : languages)
        if (type == QLatin1String(l.type))
            return l;
    qFatal("no language %s", qPrintable(type));
}

}  // namespace

class TestKestDesktop : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void keysOnTheMainWindow_data();
    void keysOnTheMainWindow();
    void scriptActsOnTheCompressionWindowOnTop_data();
    void scriptActsOnTheCompressionWindowOnTop();
    void windowManagerCloseAsksOrHides();
    void program();

private:
    void useLanguage(const QString &type);
    MainWindows *openWindow(bool withArchive);
    QList<CompressWin *> shownCompressionWindows() const;

    std::unique_ptr<PhoneTree> phone;
    std::unique_ptr<MainWindows> window;
};

void TestKestDesktop::init()
{
    phone = std::make_unique<PhoneTree>();
    phone->mkdir("/mmc/mmca1");
    AppCurrentName = phone->path("/bin/kest");
}

void TestKestDesktop::cleanup()
{
    qobject_cast<ZApplication *>(qApp)->setMainWidget(nullptr);
    window.reset();
    closePopups();
    QCOMPARE(modalTimeouts(), 0);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isModal())
            QFAIL("a modal window was left open");
    phone.reset();
}

// The phone's language and Kest's shipped captions beside the program.
void TestKestDesktop::useLanguage(const QString &type)
{
    phone->write("/ezx_user/download/appwrite/setup/ezx_system.cfg",
                 ("[SYS_SYSTEM_SET]\nLanguageType = " + type + "\n").toUtf8());
    QFile shipped(qEnvironmentVariable("EZX_TEST_SOURCE_DIR") + "/data/ezx_kest_lang.cfg");
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    phone->write("/bin/ezx_kest_lang.cfg", shipped.readAll());
}

MainWindows *TestKestDesktop::openWindow(bool withArchive)
{
    if (withArchive) {
        phone->write("/mmc/mmca1/music.tar.gz", "not read before the question");
        window = std::make_unique<MainWindows>(
            QString::fromLatin1(phone->path("/mmc/mmca1/music.tar.gz").toUtf8()),
            QStringLiteral("Win_Caption1"), QStringLiteral("Kest"), false, nullptr, "MainWin", 0);
    } else {
        window = std::make_unique<MainWindows>(QStringLiteral("Win_Caption1"), QStringLiteral("Kest"), false,
                                               nullptr, "MainWin", 0);
    }
    qobject_cast<ZApplication *>(qApp)->showMainWidget(window.get());
    return window.get();
}

QList<CompressWin *> TestKestDesktop::shownCompressionWindows() const
{
    QList<CompressWin *> shown;
    for (CompressWin *win : window->findChildren<CompressWin *>())
        if (win->isVisible())
            shown.append(win);
    return shown;
}

void TestKestDesktop::keysOnTheMainWindow_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("withArchive");
    QTest::addColumn<QString>("expected");  // "menu", "exit", "extract" or "nothing"
    QTest::newRow("zh-cn_F1_menu") << "zh-cn" << int(Qt::Key_F1) << false << "menu";
    QTest::newRow("en-us_Menu_menu") << "en-us" << int(Qt::Key_Menu) << false << "menu";
    QTest::newRow("ru_F3_exit") << "ru" << int(Qt::Key_F3) << false << "exit";
    QTest::newRow("zh-cn_Escape_exit") << "zh-cn" << int(Qt::Key_Escape) << false << "exit";
    QTest::newRow("en-us_Escape_exit") << "en-us" << int(Qt::Key_Escape) << true << "exit";
    QTest::newRow("en-us_F2_extract") << "en-us" << int(Qt::Key_F2) << true << "extract";
    QTest::newRow("ru_Return_extract") << "ru" << int(Qt::Key_Return) << true << "extract";
    QTest::newRow("zh-cn_Enter_extract") << "zh-cn" << int(Qt::Key_Enter) << true << "extract";
    QTest::newRow("ru_Return_empty_fields") << "ru" << int(Qt::Key_Return) << false << "nothing";
}

void TestKestDesktop::keysOnTheMainWindow()
{
    QFETCH(QString, language);
    QFETCH(int, key);
    QFETCH(bool, withArchive);
    QFETCH(QString, expected);
    useLanguage(language);
    MainWindows *w = openWindow(withArchive);
    QTRY_VERIFY(w->isActiveWindow());
    // The first field has the focus: keys take the user's way through it.
    QWidget *focused = QApplication::focusWidget();
    QCOMPARE(focused ? focused->objectName() : QString(), QStringLiteral("pFileEdit"));

    BoxAnswers boxes({1});
    QTest::keyClick(focused, Qt::Key(key));
    QTest::qWait(50);
    QCOMPARE(boxes.unexpected, QStringList());
    auto *menu = w->findChild<PopupMenu *>("pMainMenu");
    QCOMPARE(menu->isVisible(), expected == QLatin1String("menu"));
    menu->hide();
    const Language &texts = ::language(language);
    if (expected == QLatin1String("exit") || expected == QLatin1String("extract")) {
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY2(boxes.texts.first().endsWith(QString::fromUtf8(
                     expected == QLatin1String("exit") ? texts.exitQuestion : texts.extractQuestion)),
                 qPrintable(boxes.texts.first()));
    } else {
        QCOMPARE(boxes.texts, QStringList());
    }
    QVERIFY(w->isVisible());  // "No" keeps the window
}

void TestKestDesktop::scriptActsOnTheCompressionWindowOnTop_data()
{
    QTest::addColumn<QString>("language");
    for (const Language &l : languages)
        QTest::newRow(l.type) << QString::fromLatin1(l.type);
}

void TestKestDesktop::scriptActsOnTheCompressionWindowOnTop()
{
    QFETCH(QString, language);
    useLanguage(language);
    MainWindows *w = openWindow(false);
    QTRY_VERIFY(w->isActiveWindow());
    const QString create =
        QStringLiteral("key F1; menu %1").arg(w->findChild<PopupMenu *>("pMainMenu")->idAt(0));

    BoxAnswers boxes({1});
    QVERIFY(playScript(create));
    QCOMPARE(shownCompressionWindows().size(), 1);
    QTRY_VERIFY(shownCompressionWindows().first()->isActiveWindow());
    // Both windows have a pExitBtn: the one on top takes the click, and hides without a word.
    QVERIFY(playScript(QStringLiteral("click pExitBtn")));
    QCOMPARE(shownCompressionWindows().size(), 0);
    QCOMPARE(boxes.texts, QStringList());

    // Escape in a fresh compression window is its right key too.
    QVERIFY(playScript(create));
    QCOMPARE(shownCompressionWindows().size(), 1);
    QTRY_VERIFY(shownCompressionWindows().first()->isActiveWindow());
    QVERIFY(playScript(QStringLiteral("key Escape")));
    QCOMPARE(shownCompressionWindows().size(), 0);
    QCOMPARE(boxes.texts, QStringList());

    // With it gone, the main window's key asks before leaving.
    QVERIFY(playScript(QStringLiteral("click pExitBtn")));
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY(boxes.texts.first().endsWith(QString::fromUtf8(::language(language).exitQuestion)));
    QVERIFY(w->isVisible());
    QCOMPARE(boxes.unexpected, QStringList());
}

void TestKestDesktop::windowManagerCloseAsksOrHides()
{
    useLanguage(QStringLiteral("en-us"));
    MainWindows *w = openWindow(false);
    auto *compress = new CompressWin(QStringLiteral("Create"), false, w, "win", 1);
    compress->show();
    for (QWidget *top : QList<QWidget *>{w, compress}) {
        QCOMPARE(top->minimumSize(), QSize(240, 320));
        QCOMPARE(top->maximumSize(), QSize(240, 320));
        QVERIFY(!(top->windowFlags() & Qt::WindowMaximizeButtonHint));
    }

    BoxAnswers boxes({1, 0});
    QVERIFY(!closeFromWindowManager(compress));
    QTRY_VERIFY(!compress->isVisible());
    QCOMPARE(boxes.texts, QStringList());

    QVERIFY(!closeFromWindowManager(w));
    QTRY_COMPARE(boxes.texts.size(), 1);
    QVERIFY(boxes.texts.first().endsWith("You are leaving the application. Continue?"));
    QTest::qWait(20);
    QVERIFY(w->isVisible());
    QVERIFY(!closeFromWindowManager(w));
    QTRY_VERIFY(!w->isVisible());
    QCOMPARE(boxes.texts.size(), 2);
    QCOMPARE(boxes.unexpected, QStringList());
}

// The program itself: its window's icon, and the window manager's close through the exit question.
void TestKestDesktop::program()
{
    phone->mkdir("/apps/kest");
    const QString program = phone->path("/apps/kest/kest");
    QVERIFY(QFile::copy(qEnvironmentVariable("EZX_TEST_BIN_DIR") + "/kest", program));
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const QString icon = phone->path("/icon.png");
    env.insert("EZX_UI_SCRIPT",
               "wait 300; icon " + icon
                   + "; close; wait 300; answer 1; wait 200; close; wait 300; answer 0; wait 3000; quit 7");
    run.setProcessEnvironment(env);
    run.start(program);
    QVERIFY(run.waitForFinished(15000));
    // The first answer keeps the program; the second ends it, with kest's status 1.
    QCOMPARE(run.exitCode(), 1);
    QVERIFY(isProgramIcon(icon, "kest"));
}

int main(int argc, char **argv)
{
    MyClass_ZApp app(argc, argv, 1);
    TestKestDesktop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kestdesktop.moc"
