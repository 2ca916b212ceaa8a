// SPDX-License-Identifier: GPL-2.0-or-later
// Mouse clicks take the window system's way in, where modal boxes block them as they block a user.
#define QTEST_QPA_MOUSE_HANDLING

#include "appcurrentname.h"
#include "compresswin.h"
#include "mainwindows.h"
#include "myclass_passworddlg.h"
#include "myclass_progressdlg.h"
#include "myclass_zapp.h"
#include "popupmenu.h"
#include "zmultilineedit.h"
#include "zpushbutton.h"

#include "boxanswers.h"
#include "modal.h"
#include "phonetree.h"
#include "rarwriter.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStandardPaths>
#include <QtTest>

namespace {

const QString extracted = QString::fromUtf8("解压完成！");
const QString extractFailed = QString::fromUtf8("解压失败！");
const QString nameLine = QString::fromUtf8("Kest\u3000Ver: 1.0.4\r\n\r\n");

}  // namespace

class TestMainWindows : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void emptyFieldsDoNothing();
    void archiveArgumentFillsBothFields();
    void missingArchiveArgumentLeavesTargetEmpty();
    void extraction_data();
    void extraction();
    void extractsEveryType_data();
    void extractsEveryType();
    void pickedFolderThatWentAwayIsNotReplaced();
    void newArchiveResetsTheTarget();
    void menuOpensANewCompressionWindowEachTime();
    void aboutShowsTheWholeSentence();
    void exitQuestion_data();
    void exitQuestion();
    void longExtractionKeepsTheProgressBoxAlive();
    void failureSaysWhy_data();
    void failureSaysWhy();

private:
    MainWindows *openWindow(const QString &archiveArgument = QString());
    QString makeArchive(const QString &phonePath, const QByteArray &content = "hello\n");
    void pick(const char *button, const QString &path);
    QStringList press(const char *button, QList<int> answers);
    QString field(const char *name) const;

    std::unique_ptr<PhoneTree> phone;
    std::unique_ptr<MainWindows> window;
    QByteArray savedPath;
};

void TestMainWindows::init()
{
    phone = std::make_unique<PhoneTree>();
    phone->mkdir("/bin");
    phone->mkdir("/mmc/mmca1");
    AppCurrentName = phone->path("/bin/kest");
    savedPath = qgetenv("PATH");
}

void TestMainWindows::cleanup()
{
    window.reset();
    qputenv("PATH", savedPath);
    QCOMPARE(modalTimeouts(), 0);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isModal())
            QFAIL("a modal window was left open");
    phone.reset();
}

MainWindows *TestMainWindows::openWindow(const QString &archiveArgument)
{
    if (archiveArgument.isNull())
        window = std::make_unique<MainWindows>(QStringLiteral("Win_Caption1"), QStringLiteral("Kest"), false,
                                               nullptr, "MainWin", 0);
    else
        window = std::make_unique<MainWindows>(QString::fromLatin1(archiveArgument.toUtf8()),
                                               QStringLiteral("Win_Caption1"), QStringLiteral("Kest"), false,
                                               nullptr, "MainWin", 0);
    window->show();
    return window.get();
}

// A .tar.gz holding song.txt, at a phone path; returns its real path.
QString TestMainWindows::makeArchive(const QString &phonePath, const QByteArray &content)
{
    phone->write("/src/song.txt", content);
    const QString archive = phone->path(phonePath);
    QProcess tar;
    tar.start("tar", {"czf", archive, "-C", phone->path("/src"), "song.txt"});
    tar.waitForFinished();
    return archive;
}

void TestMainWindows::pick(const char *button, const QString &path)
{
    answerPicker({path});
    window->findChild<ZPushButton *>(button)->click();
}

// Presses a button and answers the boxes that follow; returns their texts, then those of
// any box beyond the answers given, marked as such.
QStringList TestMainWindows::press(const char *button, QList<int> answers)
{
    BoxAnswers boxes(answers);
    window->findChild<ZPushButton *>(button)->click();
    QTest::qWait(50);
    QStringList texts = boxes.texts;
    for (const QString &text : boxes.unexpected)
        texts.append(QStringLiteral("unexpected: ") + text);
    return texts;
}

QString TestMainWindows::field(const char *name) const
{
    return window->findChild<ZMultiLineEdit *>(name)->text();
}

void TestMainWindows::emptyFieldsDoNothing()
{
    openWindow();
    QCOMPARE(field("pFileEdit"), QString());
    QCOMPARE(field("pPathEdit"), QString());
    QCOMPARE(press("pMidBtn", {}), QStringList());
}

void TestMainWindows::archiveArgumentFillsBothFields()
{
    const QString archive = makeArchive(QString::fromUtf8("/mmc/mmca1/音乐.tar.gz"));
    openWindow(archive);
    QCOMPARE(field("pFileEdit"), archive);
    QCOMPARE(field("pPathEdit"), phone->path(QString::fromUtf8("/mmc/mmca1/音乐")));
    QVERIFY(window->findChild<ZMultiLineEdit *>("pFileEdit")->isReadOnly());
}

void TestMainWindows::missingArchiveArgumentLeavesTargetEmpty()
{
    const QString missing = phone->path("/mmc/mmca1/gone.zip");
    openWindow(missing);
    QCOMPARE(field("pFileEdit"), missing);
    QCOMPARE(field("pPathEdit"), QString());
    QCOMPARE(press("pMidBtn", {}), QStringList());
}

void TestMainWindows::extraction_data()
{
    QTest::addColumn<QByteArray>("archiveBytes");  // empty: a real archive
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("songExtracted");
    const QString ask = QString::fromUtf8("您的操作将进行解压，是否继续？");
    QTest::newRow("accepted") << QByteArray() << QList<int>{0, 0} << QStringList{ask, extracted} << true;
    QTest::newRow("refused") << QByteArray() << QList<int>{1} << QStringList{ask} << false;
    QTest::newRow("question_closed") << QByteArray() << QList<int>{-1} << QStringList{ask} << false;
    // The failure box names the reason on a line of its own: here gzip's own words.
    QTest::newRow("damaged_archive") << QByteArray("\x1f\x8b not really gzip", 18) << QList<int>{0, 0}
                                     << QStringList{ask, extractFailed + "\ngzip: "} << false;
}

void TestMainWindows::extraction()
{
    QFETCH(QByteArray, archiveBytes);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, boxes);
    QFETCH(bool, songExtracted);
    if (archiveBytes.isEmpty())
        makeArchive("/mmc/mmca1/music.tar.gz");
    else
        phone->write("/mmc/mmca1/music.tar.gz", archiveBytes);
    openWindow();
    pick("pFileBtn", phone->path("/mmc/mmca1/music.tar.gz"));
    QCOMPARE(field("pPathEdit"), phone->path("/mmc/mmca1/music"));

    const QStringList texts = press("pMidBtn", answers);
    QCOMPARE(texts.size(), boxes.size());
    for (int i = 0; i < boxes.size(); ++i)
        QVERIFY2(texts.at(i).startsWith(boxes.at(i)), qPrintable(texts.at(i)));
    QCOMPARE(QFile::exists(phone->path("/mmc/mmca1/music/song.txt")), songExtracted);
    QVERIFY(!window->findChild<MyClass_ProgressDlg *>());
}

void TestMainWindows::extractsEveryType_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("packer");  // run in the source folder; empty: RAR
    QTest::newRow("tar.gz") << "a.tar.gz" << QStringList{"tar", "czf", "OUT", "song.txt"};
    QTest::newRow("gz") << "a.gz" << QStringList{"tar", "czf", "OUT", "song.txt"};
    QTest::newRow("tar") << "a.tar" << QStringList{"tar", "cf", "OUT", "song.txt"};
    QTest::newRow("bz2") << "a.bz2" << QStringList{"tar", "cjf", "OUT", "song.txt"};
    QTest::newRow("bz") << "a.bz" << QStringList{"tar", "cjf", "OUT", "song.txt"};
    QTest::newRow("zip") << "a.zip" << QStringList{"zip", "-q", "OUT", "song.txt"};
    QTest::newRow("rar") << "a.rar" << QStringList();
}

// Opened from the command line, as bz2 and bz archives can only be: the picker does not
// offer them.
void TestMainWindows::extractsEveryType()
{
    QFETCH(QString, name);
    QFETCH(QStringList, packer);
    const QString archive = phone->path("/mmc/mmca1/" + name);
    if (packer.isEmpty()) {
        phone->write("/mmc/mmca1/" + name, rar4Archive({{"song.txt", "hello\n"}}));
    } else {
        phone->write("/src/song.txt", "hello\n");
        packer.replaceInStrings("OUT", archive);
        QProcess pack;
        pack.setWorkingDirectory(phone->path("/src"));
        pack.start(packer.takeFirst(), packer);
        QVERIFY(pack.waitForFinished() && pack.exitCode() == 0);
    }
    openWindow(archive);
    QCOMPARE(field("pPathEdit"), phone->path("/mmc/mmca1/a"));
    QCOMPARE(press("pMidBtn", {0, 0}).value(1), extracted);
    QDirIterator found(phone->path("/mmc/mmca1/a"), {"song.txt"}, QDir::Files, QDirIterator::Subdirectories);
    QVERIFY(found.hasNext());
    QFile song(found.next());
    QVERIFY(song.open(QIODevice::ReadOnly));
    QCOMPARE(song.readAll(), QByteArray("hello\n"));
}

void TestMainWindows::pickedFolderThatWentAwayIsNotReplaced()
{
    makeArchive("/mmc/mmca1/music.tar.gz");
    phone->mkdir("/mmc/mmca1/first");
    phone->mkdir("/mmc/mmca1/second");
    openWindow();
    pick("pFileBtn", phone->path("/mmc/mmca1/music.tar.gz"));
    pick("pPathBtn", phone->path("/mmc/mmca1/first"));
    QCOMPARE(press("pMidBtn", {0, 0}).value(1), extracted);
    QVERIFY(QFile::exists(phone->path("/mmc/mmca1/first/song.txt")));

    // The folder shown is gone: nothing may land in the folder used before.
    pick("pPathBtn", phone->path("/mmc/mmca1/second"));
    QDir(phone->path("/mmc/mmca1/second")).removeRecursively();
    QFile::remove(phone->path("/mmc/mmca1/first/song.txt"));
    QCOMPARE(press("pMidBtn", {0, 0}).value(1), extractFailed + QString::fromUtf8("\n目标文件夹不可用"));
    QVERIFY(!QFile::exists(phone->path("/mmc/mmca1/first/song.txt")));
    QVERIFY(!QFile::exists(phone->path("/mmc/mmca1/second")));
}

void TestMainWindows::newArchiveResetsTheTarget()
{
    makeArchive("/mmc/mmca1/a.tar.gz");
    makeArchive("/mmc/mmca1/b.tar.gz");
    openWindow();
    pick("pFileBtn", phone->path("/mmc/mmca1/a.tar.gz"));
    pick("pPathBtn", phone->path("/bin"));
    QCOMPARE(field("pPathEdit"), phone->path("/bin"));
    pick("pFileBtn", phone->path("/mmc/mmca1/b.tar.gz"));
    QCOMPARE(field("pFileEdit"), phone->path("/mmc/mmca1/b.tar.gz"));
    QCOMPARE(field("pPathEdit"), phone->path("/mmc/mmca1/b"));

    // Cancelled pickers change nothing.
    answerPicker({});
    window->findChild<ZPushButton *>("pFileBtn")->click();
    answerPicker({});
    window->findChild<ZPushButton *>("pPathBtn")->click();
    QCOMPARE(field("pFileEdit"), phone->path("/mmc/mmca1/b.tar.gz"));
    QCOMPARE(field("pPathEdit"), phone->path("/mmc/mmca1/b"));
}

void TestMainWindows::menuOpensANewCompressionWindowEachTime()
{
    openWindow();
    auto *menu = window->findChild<PopupMenu *>("pMainMenu");
    QCOMPARE(menu->count(), 3);
    QCOMPARE(menu->text(menu->idAt(0)), QString::fromUtf8("创建压缩包"));
    QCOMPARE(menu->text(menu->idAt(2)), QString::fromUtf8("关于"));
    QVERIFY(menu->activateItem(menu->idAt(0)));
    QVERIFY(menu->activateItem(menu->idAt(0)));
    const QList<CompressWin *> windows = window->findChildren<CompressWin *>("win");
    QCOMPARE(windows.size(), 2);
    for (CompressWin *win : windows) {
        QVERIFY(win->isVisible() && win->isWindow());
        QCOMPARE(win->title(), QString::fromUtf8("创建压缩包"));
    }
}

void TestMainWindows::aboutShowsTheWholeSentence()
{
    openWindow();
    auto *menu = window->findChild<PopupMenu *>("pMainMenu");
    BoxAnswers boxes({0});
    QVERIFY(menu->activateItem(menu->idAt(2)));
    QVERIFY(boxes.allAnswered());
    const QString about = boxes.texts.value(0);
    QVERIFY2(about.startsWith(nameLine + QString::fromUtf8("利用Kest可以创建tar.gz格式的压缩包")),
             qPrintable(about));
    QVERIFY(about.contains(QString::fromUtf8("Kest运行需要/bin/tar、./unrar、./unzip文件支持")));
    QVERIFY(about.endsWith(QString::fromUtf8("就会失去与之对应的功能。")));
}

void TestMainWindows::exitQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("yes") << 0 << true;
    QTest::newRow("no") << 1 << false;
    QTest::newRow("closed") << -1 << false;
}

void TestMainWindows::exitQuestion()
{
    QFETCH(int, answer);
    QFETCH(bool, closes);
    openWindow();
    const QStringList texts = press("pExitBtn", {answer});
    QCOMPARE(texts, QStringList{nameLine + QString::fromUtf8("您将退出应用程序，是否继续？")});
    QCOMPARE(window->isVisible(), !closes);
}

void TestMainWindows::longExtractionKeepsTheProgressBoxAlive()
{
    // A tar that takes its time.
    phone->write("/slowbin/tar", "#!/bin/sh\nsleep 1.5\nexec /usr/bin/tar \"$@\"\n");
    QFile::setPermissions(phone->path("/slowbin/tar"), QFile::ReadOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(phone->path("/slowbin")) + ':' + savedPath);
    makeArchive("/mmc/mmca1/music.tar.gz");
    openWindow();
    pick("pFileBtn", phone->path("/mmc/mmca1/music.tar.gz"));

    bool boxUp = false, busyShown = false;
    QString elapsed;
    int extraBoxes = 0;
    QTimer::singleShot(1200, this, [&] {
        auto *progress = window->findChild<MyClass_ProgressDlg *>("progressDlg");
        boxUp = progress && progress->isVisible() && progress->isModal();
        auto *bar = progress ? progress->findChild<QProgressBar *>() : nullptr;
        busyShown = bar && bar->isVisible();
        auto *time = progress ? progress->findChild<QLabel *>("elapsedLabel") : nullptr;
        elapsed = time ? time->text() : QString();
        // The user tries to start a second job: the box keeps the window from taking it.
        QTest::mouseClick(window->findChild<ZPushButton *>("pMidBtn"), Qt::LeftButton);
        for (QWidget *top : QApplication::topLevelWidgets())
            if (qobject_cast<ZMessageBox *>(top) && top->isVisible())
                ++extraBoxes;
    });
    QElapsedTimer clock;
    clock.start();
    const QStringList texts = press("pMidBtn", {0, 0});
    QVERIFY(clock.elapsed() >= 1500);
    QVERIFY(boxUp);
    QVERIFY(busyShown);
    QVERIFY2(QRegularExpression(QStringLiteral("^0:0[01]$")).match(elapsed).hasMatch(), qPrintable(elapsed));
    QCOMPARE(extraBoxes, 0);
    QCOMPARE(texts.value(1), extracted);
    QVERIFY(QFile::exists(phone->path("/mmc/mmca1/music/song.txt")));

    // Once the job is over the same click reaches the window again.
    BoxAnswers again({1});
    QTest::mouseClick(window->findChild<ZPushButton *>("pMidBtn"), Qt::LeftButton);
    QCOMPARE(again.texts.size(), 1);
}

void TestMainWindows::failureSaysWhy_data()
{
    QTest::addColumn<QString>("typed");  // into the password box; null: Cancel
    QTest::addColumn<bool>("withUnzip");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("extracted");
    const QString ask = QString::fromUtf8("您的操作将进行解压，是否继续？");
    QTest::newRow("right_password") << "s3cret" << true << QStringList{ask, extracted} << true;
    QTest::newRow("wrong_password") << "guess" << true
                                    << QStringList{ask, extractFailed + QString::fromUtf8("\n密码错误")}
                                    << false;
    // Cancel: the user knows; no result box, nothing made.
    QTest::newRow("cancelled") << QString() << true << QStringList{ask} << false;
    QTest::newRow("unzip_missing") << QString() << false
                                   << QStringList{ask, extractFailed + QString::fromUtf8("\nunzip 未安装")}
                                   << false;
}

// An encrypted zip: the password box, and a failure box with its reason line.
void TestMainWindows::failureSaysWhy()
{
    QFETCH(QString, typed);
    QFETCH(bool, withUnzip);
    QFETCH(QStringList, boxes);
    QFETCH(bool, extracted);
    phone->write("/src/song.txt", "hello\n");
    const QString archive = phone->path("/mmc/mmca1/song-1.0.zip");
    QProcess zip;
    zip.setWorkingDirectory(phone->path("/src"));
    zip.start("zip", {"-q", "-P", "s3cret", archive, "song.txt"});
    QVERIFY(zip.waitForFinished() && zip.exitCode() == 0);
    if (!withUnzip) {
        // Only tar, sh and what they need: no unzip on the search path.
        phone->mkdir("/tools");
        for (const char *tool : {"tar", "gzip", "sh"})
            QFile::link(QStandardPaths::findExecutable(tool), phone->path("/tools/") + tool);
        qputenv("PATH", QFile::encodeName(phone->path("/tools")));
    }
    openWindow(archive);
    QCOMPARE(field("pPathEdit"), phone->path("/mmc/mmca1/song-1.0"));

    int asked = 0;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, this, [&] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<MyClass_PasswordDlg *>(top);
            if (!box || !box->isVisible())
                continue;
            ++asked;
            auto *field = box->findChild<QLineEdit *>("passwordField");
            QVERIFY(field && field->echoMode() == QLineEdit::Password);
            if (typed.isNull()) {
                box->findChild<ZPushButton *>("pCancelBtn")->click();
            } else {
                field->setText(typed);
                box->findChild<ZPushButton *>("pOkBtn")->click();
            }
        }
    });
    answerer.start(10);
    QCOMPARE(press("pMidBtn", {0, 0}), boxes);
    QCOMPARE(asked, withUnzip ? 1 : 0);
    QCOMPARE(QFile::exists(phone->path("/mmc/mmca1/song-1.0/song.txt")), extracted);
    if (!extracted)
        QVERIFY(!QFile::exists(phone->path("/mmc/mmca1/song-1.0")));
}

int main(int argc, char **argv)
{
    MyClass_ZApp app(argc, argv, 1);
    TestMainWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindows.moc"
