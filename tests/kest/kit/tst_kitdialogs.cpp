// SPDX-License-Identifier: GPL-2.0-or-later
#include "appcurrentname.h"
#include "ezxshowmsgdlg.h"
#include "myclass_dlg.h"
#include "myclass_progressdlg.h"
#include "myclass_zapp.h"
#include "myclass_zwidget.h"
#include "zconfig.h"
#include "zscrollview.h"

#include "modal.h"
#include "phonetree.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

namespace {

QString startedAs;  // AppCurrentName as the application object left it

// GB2312 bytes one per character, as the kit's callers carry their defaults.
// 解压 / 确定 / 是 / 否
const QString extractGb = QString::fromLatin1("\xBD\xE2\xD1\xB9");
const QString extract = QString::fromUtf8("解压");
const QString ok = QString::fromUtf8("确定");
const QString yes = QString::fromUtf8("是");
const QString no = QString::fromUtf8("否");

}  // namespace

class TestKitDialogs : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void applicationRecordsItsExecutable();
    void pathAndNameOfTheProgram();
    void withoutProgramPathCaptionsAreDefaults();
    void titleComesFromTheLanguageFile();
    void messageBoxes_data();
    void messageBoxes();
    void buttonCaptionsAreTranslatable();
    void dialogSizes_data();
    void dialogSizes();
    void progressBoxRule();
    void progressBoxOnScreen();
    void progressBoxStaysUpAndAliveWhileBusy();
    void timeLeft_data();
    void timeLeft();
    void progressBoxShowsTheShareAndCancels();

private:
    std::unique_ptr<PhoneTree> phone;
    QString langFile() const { return phone->path("/bin/ezx_kest_lang.cfg"); }
};

void TestKitDialogs::init()
{
    phone = std::make_unique<PhoneTree>();
    phone->mkdir("/bin");
    AppCurrentName = phone->path("/bin/kest.bin");
}

void TestKitDialogs::cleanup()
{
    QCOMPARE(modalTimeouts(), 0);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isModal())
            QFAIL("a modal window was left open");
    phone.reset();
}

void TestKitDialogs::applicationRecordsItsExecutable()
{
    QCOMPARE(startedAs, QCoreApplication::applicationFilePath());
    // Started as ./kest from the program's folder.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(phone->path("/bin"));
    const QString recorded = MyClass_ZApp::executablePath(QStringLiteral("./kest"));
    QDir::setCurrent(previous);
    QCOMPARE(recorded, QDir(phone->path("/bin")).canonicalPath() + QStringLiteral("/kest"));
}

void TestKitDialogs::pathAndNameOfTheProgram()
{
    AppCurrentName = QStringLiteral("/mmc/mmca1/bin/kest.bin");
    QCOMPARE(MyClass_ZWidget::getAppPath(), QStringLiteral("/mmc/mmca1/bin/"));
    QCOMPARE(MyClass_ZWidget::getAppName(true), QStringLiteral("/mmc/mmca1/bin/kest.bin"));
    QCOMPARE(MyClass_ZWidget::getAppName(false), QStringLiteral("kest"));
}

void TestKitDialogs::withoutProgramPathCaptionsAreDefaults()
{
    AppCurrentName = QString();
    QVERIFY(MyClass_ZWidget::getAppPath().isNull());
    QVERIFY(MyClass_ZWidget::getAppName(true).isNull());
    QVERIFY(MyClass_ZWidget::getAppName(false).isNull());
    // The lookup then works on a file in the working folder; keep it in the phone tree.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(phone->root());
    const QString caption = MyClass_ZWidget::readLabCap(QStringLiteral("Win_MidBtn1"), extractGb);
    QDir::setCurrent(previous);
    QCOMPARE(caption, extract);
}

void TestKitDialogs::titleComesFromTheLanguageFile()
{
    {
        MyClass_ZWidget first(QStringLiteral("Win_Caption1"), QStringLiteral("Kest"), false, nullptr, "first",
                              0);
        QCOMPARE(first.title(), QStringLiteral("Kest"));
    }
    ZConfig written(langFile(), false);
    QCOMPARE(written.readEntry("zh-cn", "Win_Caption1"), QStringLiteral("Kest"));
    written.writeEntry("zh-cn", "Win_Caption1", "Archiver");
    written.flush();
    MyClass_ZWidget second(QStringLiteral("Win_Caption1"), QStringLiteral("Kest"), false, nullptr, "second",
                           0);
    QCOMPARE(second.title(), QStringLiteral("Archiver"));
}

void TestKitDialogs::messageBoxes_data()
{
    QTest::addColumn<bool>("ask");
    QTest::addColumn<QString>("third");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("buttons");
    QTest::newRow("hint_ok") << false << QString() << 0 << QStringList{ok};
    QTest::newRow("hint_closed") << false << QString() << -1 << QStringList{ok};
    QTest::newRow("ask_yes") << true << QString() << 0 << QStringList{yes, no};
    QTest::newRow("ask_no") << true << QString() << 1 << QStringList{yes, no};
    QTest::newRow("ask_closed") << true << QString() << -1 << QStringList{yes, no};
    QTest::newRow("ask_third") << true << QStringLiteral("later") << 2
                               << QStringList{yes, no, QStringLiteral("later")};
}

void TestKitDialogs::messageBoxes()
{
    QFETCH(bool, ask);
    QFETCH(QString, third);
    QFETCH(int, answer);
    QFETCH(QStringList, buttons);
    MyClass_ZWidget window(QStringLiteral("Kest"), false, nullptr, "window", 0);
    window.show();
    QString text;
    QStringList shown;
    answerMessageBox(answer, &text, &shown);
    const int result = ask ? window.showMsgAskDlg(QStringLiteral("go on?"), QString(), QString(), third)
                           : window.showMsgHintDlg(QStringLiteral("done"));
    QCOMPARE(result, answer);
    QCOMPARE(text, ask ? QStringLiteral("go on?") : QStringLiteral("done"));
    QCOMPARE(shown, buttons);
    // The default captions went into the language file on first use.
    ZConfig written(langFile(), false);
    if (ask) {
        QCOMPARE(written.readEntry("zh-cn", "Msg_Ask_Button1"), yes);
        QCOMPARE(written.readEntry("zh-cn", "Msg_Ask_Button2"), no);
    } else {
        QCOMPARE(written.readEntry("zh-cn", "Msg_Hint_Button1"), ok);
    }
}

void TestKitDialogs::buttonCaptionsAreTranslatable()
{
    phone->write("/ezx_user/download/appwrite/setup/ezx_system.cfg",
                 "[SYS_SYSTEM_SET]\nLanguageType = en-us\n");
    phone->write("/bin/ezx_kest_lang.cfg", "[en-us]\nMsg_Ask_Button1 = Yes\n");
    EZXShowMsgDlg boxes(nullptr);
    QStringList shown;
    answerMessageBox(0, nullptr, &shown);
    QCOMPARE(boxes.showMsgAskDlg(QStringLiteral("?")), 0);
    // Given captions are used as they are; absent ones come from the file or the defaults.
    QCOMPARE(shown, QStringList({"Yes", no}));
    answerMessageBox(0, nullptr, &shown);
    boxes.showMsgAskDlg(QStringLiteral("?"), QStringLiteral("A"), QStringLiteral("B"));
    QCOMPARE(shown, QStringList({"A", "B"}));
}

void TestKitDialogs::dialogSizes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("titled");
    QTest::addColumn<QRect>("dialog");
    QTest::addColumn<QRect>("content");
    QTest::addColumn<QRect>("cst");
    QTest::addColumn<QRect>("title");
    QTest::newRow("small") << 0 << true << ZGlobal::getDlgSmallR() << ZGlobal::getDlgSmallConR()
                           << ZGlobal::getDlgCstSR() << ZGlobal::getDlgTitleSR();
    QTest::newRow("middle_untitled") << 1 << false << ZGlobal::getDlgMiddleR() << ZGlobal::getDlgMiddleConR()
                                     << ZGlobal::getDlgCstMR() << QRect();
    QTest::newRow("large") << 2 << true << ZGlobal::getDlgLargeR() << ZGlobal::getDlgLargeConR()
                           << ZGlobal::getDlgCstLR() << ZGlobal::getDlgTitleLR();
}

void TestKitDialogs::dialogSizes()
{
    QFETCH(int, size);
    QFETCH(bool, titled);
    QFETCH(QRect, dialog);
    QFETCH(QRect, content);
    QFETCH(QRect, cst);
    QFETCH(QRect, title);
    const auto dlgSize = static_cast<MyClass_Dlg::Dlg_Size>(size);
    std::unique_ptr<MyClass_Dlg> dlg(titled ? new MyClass_Dlg(QStringLiteral("Dlg_Title"),
                                                              QStringLiteral("Title"), nullptr, "dlg", 0, 0,
                                                              dlgSize)
                                            : new MyClass_Dlg(nullptr, "dlg", 0, 0, dlgSize));
    QCOMPARE(dlg->geometry(), dialog);
    QCOMPARE(dlg->findChild<ZScrollView *>("dlgContent")->geometry(), ZGlobal::diffRect(dialog, content));
    QCOMPARE(dlg->findChild<MyClass_ZWidget *>("dlgCst")->geometry(), ZGlobal::diffRect(dialog, cst));
    auto *titleBar = dlg->findChild<MyClass_ZWidget *>("dlgTitleBar");
    QCOMPARE(titleBar != nullptr, titled);
    if (titled) {
        QCOMPARE(titleBar->geometry(), ZGlobal::diffRect(dialog, title));
        QCOMPARE(titleBar->title(), QStringLiteral("Title"));
    }

    // Outside the three sizes the platform's own geometry stays.
    ZBaseDialog plain(nullptr, "plain");
    MyClass_Dlg odd(nullptr, "odd", 0, 0, static_cast<MyClass_Dlg::Dlg_Size>(3));
    QCOMPARE(odd.geometry(), plain.geometry());
}

void TestKitDialogs::progressBoxRule()
{
    // 224 wide, 8 from the left, at least 50 high, centred on y = 160.
    QCOMPARE(MyClass_ProgressDlg::boxGeometry(16), QRect(8, 135, 224, 50));
    QCOMPARE(MyClass_ProgressDlg::boxGeometry(40), QRect(8, 135, 224, 50));
    QCOMPARE(MyClass_ProgressDlg::boxGeometry(41), QRect(8, 135, 224, 51));
    QCOMPARE(MyClass_ProgressDlg::boxGeometry(80), QRect(8, 115, 224, 90));
}

void TestKitDialogs::progressBoxOnScreen()
{
    MyClass_ProgressDlg shortOne(QStringLiteral("Dlg_Progress_Info1"), extractGb, nullptr, "progressDlg", 1,
                                 0x41, MyClass_Dlg::Dlg_Small);
    shortOne.showProgressDlg();
    // Up with its bar, times and Cancel key under the message, centred on its line.
    const QRect shortBox = shortOne.phoneGeometry();
    QCOMPARE(shortBox.width(), 224);
    QVERIFY(shortBox.height() > 50);
    QVERIFY(qAbs(shortBox.center().y() - 160) <= 1);
    QVERIFY(shortOne.findChild<QWidget *>("progressCancel")->isVisible());
    auto *label = shortOne.findChild<QLabel *>("pLabel1");
    QCOMPARE(label->text(), extract);
    QVERIFY(label->wordWrap());
    QCOMPARE(label->alignment(), Qt::AlignCenter);
    QVERIFY(label->width() >= 218);

    // A message of several lines wraps and the box grows around it, still centred.
    MyClass_ProgressDlg longOne(QString(), QString::fromLatin1(QByteArray("waiting ").repeated(30)), nullptr,
                                "progressDlg", 1, 0x41, MyClass_Dlg::Dlg_Small);
    longOne.showProgressDlg();
    auto *longLabel = longOne.findChild<QLabel *>("pLabel1");
    QVERIFY(longLabel->height() > 50);
    QVERIFY(longOne.phoneGeometry().height() > longLabel->height() + 40);
    QVERIFY(qAbs(longOne.phoneGeometry().center().y() - 160) <= 1);

    // A new message keeps the box as it is.
    shortOne.setDisplayInfo(QString::fromLatin1("\xC8\xB7\xB6\xA8"));
    QCOMPARE(label->text(), ok);
    QCOMPARE(shortOne.phoneGeometry(), shortBox);
}

void TestKitDialogs::progressBoxStaysUpAndAliveWhileBusy()
{
    MyClass_ProgressDlg box(QStringLiteral("Dlg_Progress_Info1"), extractGb, nullptr, "progressDlg", 1, 0x41,
                            MyClass_Dlg::Dlg_Small);
    box.showProgressDlg();
    bool timerRan = false;
    QTimer::singleShot(20, [&] { timerRan = true; });
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1100) {
        box.keepAlive();
        QThread::msleep(30);
    }
    QVERIFY(timerRan);
    auto *bar = box.findChild<QProgressBar *>("busyBar");
    auto *elapsed = box.findChild<QLabel *>("elapsedLabel");
    QVERIFY(bar && bar->isVisible());
    QCOMPARE(elapsed->text(), QStringLiteral("0:01"));
    // The busy line fits in the box, which keeps its width and its centre line.
    QVERIFY(QRect(QPoint(0, 0), box.size()).contains(bar->geometry()));
    QVERIFY(QRect(QPoint(0, 0), box.size()).contains(elapsed->geometry()));
    QCOMPARE(box.phoneGeometry().width(), 224);
    QVERIFY(qAbs(box.phoneGeometry().center().y() - 160) <= 1);

    // Neither Escape nor a close request takes the box away while the work goes on; Escape
    // asks its owner to cancel.
    QTest::keyClick(&box, Qt::Key_Escape);
    box.close();
    QVERIFY(box.isVisible());
    QVERIFY(box.cancelRequested());
    box.hide();
}

void TestKitDialogs::timeLeft_data()
{
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<double>("fraction");
    QTest::addColumn<qint64>("left");
    QTest::newRow("first_second_says_nothing") << qint64(900) << 0.5 << qint64(-1);
    QTest::newRow("first_percent_says_nothing") << qint64(20000) << 0.005 << qint64(-1);
    QTest::newRow("unknown_share") << qint64(20000) << -1.0 << qint64(-1);
    QTest::newRow("quarter_in_10_s") << qint64(10000) << 0.25 << qint64(30);
    QTest::newRow("rounded") << qint64(3000) << 0.7 << qint64(1);
    QTest::newRow("done") << qint64(4000) << 1.0 << qint64(0);
}

void TestKitDialogs::timeLeft()
{
    QFETCH(qint64, elapsedMs);
    QFETCH(double, fraction);
    QFETCH(qint64, left);
    QCOMPARE(MyClass_ProgressDlg::secondsLeft(elapsedMs, fraction), left);
    QCOMPARE(MyClass_ProgressDlg::clockText(754), QStringLiteral("12:34"));
}

void TestKitDialogs::progressBoxShowsTheShareAndCancels()
{
    MyClass_ProgressDlg box(QStringLiteral("Dlg_Progress_Info1"), extractGb, nullptr, "progressDlg", 1, 0x41,
                            MyClass_Dlg::Dlg_Small);
    box.showProgressDlg();
    box.keepAlive();
    auto *bar = box.findChild<QProgressBar *>("busyBar");
    auto *percent = box.findChild<QLabel *>("percentLabel");
    auto *cancel = box.findChild<QPushButton *>("progressCancel");
    QVERIFY(cancel && cancel->isVisible());
    QCOMPARE(cancel->text(), QString::fromUtf8("取消"));
    QVERIFY(QRect(QPoint(0, 0), box.size()).contains(cancel->geometry()));
    QCOMPARE(bar->maximum(), 0);  // busy until a share is known

    // The share at once; the bar eases towards it, moving on every look, and on at the pace
    // measured so far (how far depends on the time the looks take: only at least the share).
    box.setProgress(0.423);
    QCOMPARE(bar->maximum(), 1000);
    QCOMPARE(percent->text(), QStringLiteral("42%"));
    QList<int> values;
    for (int look = 0; look < 30; ++look) {
        box.setProgress(0.423);
        values << bar->value();
    }
    QVERIFY(std::is_sorted(values.cbegin(), values.cend()));
    QCOMPARE(values.constFirst() < values.at(1), true);
    QVERIFY2(values.constLast() >= 423, qPrintable(QString::number(values.constLast())));
    // Between measurements the estimate moves on at their pace, at most one step further.
    QTest::qWait(50);
    box.setProgress(0.5);
    QTest::qWait(200);
    for (int look = 0; look < 30; ++look)
        box.setProgress(0.5);
    QVERIFY2(bar->value() >= 500 && bar->value() <= 577, qPrintable(QString::number(bar->value())));
    // A new job starts from its own beginning; an unknown share is a busy bar again.
    box.setProgress(0.1);
    QCOMPARE(bar->value(), 100);
    box.setProgress(-1);
    QCOMPARE(bar->maximum(), 0);
    QVERIFY(percent->text().isEmpty());

    // F3 is the right soft key: Cancel. The box stays for its owner to take down.
    QVERIFY(!box.cancelRequested());
    QTest::keyClick(&box, Qt::Key_F3);
    QVERIFY(box.cancelRequested());
    QVERIFY(!cancel->isEnabled());
    QVERIFY(box.isVisible());
    QCOMPARE(box.findChild<QLabel *>("pLabel1")->text(), QString::fromUtf8("正在取消..."));
    box.hide();
}

int main(int argc, char **argv)
{
    MyClass_ZApp app(argc, argv, 1);
    startedAs = AppCurrentName;
    TestKitDialogs test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kitdialogs.moc"
