// SPDX-License-Identifier: GPL-2.0-or-later
#include "appcurrentname.h"
#include "compresswin.h"
#include "myclass_buttongroup.h"
#include "myclass_progressdlg.h"
#include "myclass_radiobutton.h"
#include "myclass_zapp.h"
#include "popupmenu.h"
#include "zmultilineedit.h"
#include "zpushbutton.h"

#include "boxanswers.h"
#include "modal.h"
#include "phonetree.h"

#include <QtTest>

#include <sys/stat.h>

namespace {

const QString ask = QString::fromUtf8("您的操作将创建压缩包，是否继续？");
const QString compressed = QString::fromUtf8("压缩完成！");
const QString compressFailed = QString::fromUtf8("压缩失败！");

}  // namespace

class TestCompressWin : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void newWindowIsReadyButDoesNothing();
    void entriesShowShortNames();
    void packsTheRemainingEntriesAfterARemoval();
    void removingWithNothingSelectedChangesNothing();
    void refusedQuestionMakesNoArchive();
    void noMemoryCardFails();
    void rightKeyClosesAtOnce();
    void escapeOnTheProgressBoxCancelsTheCompression();

private:
    void openWindow();
    void menu(int index, const QStringList &pickerAnswer = {});
    QStringList press(QList<int> answers);
    QStringList entryKeys() const;
    QStringList archiveListing(const QString &phonePath) const;

    std::unique_ptr<PhoneTree> phone;
    std::unique_ptr<CompressWin> window;
};

void TestCompressWin::init()
{
    phone = std::make_unique<PhoneTree>();
    phone->mkdir("/bin");
    phone->mkdir("/mmc/mmca1");
    phone->write("/mmc/mmca1/photo.2009.jpg", "jpeg");
    phone->write("/mmc/mmca1/photo.png", "png");
    phone->write("/mmc/mmca1/music/song.mp3", "mp3");
    phone->mkdir("/mmc/mmca1/out");
    AppCurrentName = phone->path("/bin/kest");
}

void TestCompressWin::cleanup()
{
    window.reset();
    QCOMPARE(modalTimeouts(), 0);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isModal())
            QFAIL("a modal window was left open");
    phone.reset();
    QDir::setCurrent(QDir::tempPath());  // a compression leaves the working folder at "/"
}

void TestCompressWin::openWindow()
{
    window = std::make_unique<CompressWin>(QString::fromUtf8("创建压缩包"), false, nullptr, "win", 1);
    window->show();
}

// Chooses menu entry `index` (0 add file, 1 add folder, 2 remove), answering its picker.
void TestCompressWin::menu(int index, const QStringList &pickerAnswer)
{
    auto *popup = window->findChild<PopupMenu *>("pMainMenu");
    if (index < 2)
        answerPicker(pickerAnswer);
    QVERIFY(popup->activateItem(popup->idAt(index)));
}

QStringList TestCompressWin::press(QList<int> answers)
{
    BoxAnswers boxes(answers);
    window->findChild<ZPushButton *>("pMidBtn")->click();
    QTest::qWait(50);
    QStringList texts = boxes.texts;
    for (const QString &text : boxes.unexpected)
        texts.append(QStringLiteral("unexpected: ") + text);
    return texts;
}

QStringList TestCompressWin::entryKeys() const
{
    auto *list = window->findChild<MyClass_ButtonGroup *>("pFileList");
    QStringList keys;
    for (int id = 1; id <= list->count(); ++id)
        keys.append(qobject_cast<MyClass_RadioButton *>(list->find(id))->itemKey);
    return keys;
}

QStringList TestCompressWin::archiveListing(const QString &phonePath) const
{
    QProcess tar;
    tar.start("tar", {"tzf", phone->path(phonePath)});
    tar.waitForFinished();
    QStringList names = QString::fromUtf8(tar.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    names.sort();
    return names;
}

void TestCompressWin::newWindowIsReadyButDoesNothing()
{
    openWindow();
    QCOMPARE(window->findChild<ZMultiLineEdit *>("pNameEdit")->text(), QStringLiteral("Default.tar.gz"));
    QCOMPARE(window->findChild<ZMultiLineEdit *>("pPathEdit")->text(), QString());
    QCOMPARE(entryKeys(), QStringList());
    QCOMPARE(press({}), QStringList());

    // A folder but no entries, or entries but no name: still nothing.
    answerPicker({phone->path("/mmc/mmca1/out")});
    window->findChild<ZPushButton *>("pPathBtn")->click();
    QCOMPARE(press({}), QStringList());
    menu(0, {phone->path("/mmc/mmca1/photo.png")});
    window->findChild<ZMultiLineEdit *>("pNameEdit")->clear();
    QCOMPARE(press({}), QStringList());
}

void TestCompressWin::entriesShowShortNames()
{
    openWindow();
    menu(0, {phone->path("/mmc/mmca1/photo.2009.jpg"), phone->path("/mmc/mmca1/photo.png")});
    menu(1, {phone->path("/mmc/mmca1/music")});
    menu(0, {});  // cancelled
    auto *list = window->findChild<MyClass_ButtonGroup *>("pFileList");
    QCOMPARE(list->count(), 3);
    QStringList captions, tags;
    for (int id = 1; id <= 3; ++id) {
        auto *entry = qobject_cast<MyClass_RadioButton *>(list->find(id));
        captions.append(entry->text());
        tags.append(entry->itemTag);
    }
    QCOMPARE(captions, QStringList({"photo", "photo", "music"}));
    QCOMPARE(tags, QStringList({"0", "0", "1"}));
    QCOMPARE(entryKeys().at(2), phone->path("/mmc/mmca1/music"));
}

void TestCompressWin::packsTheRemainingEntriesAfterARemoval()
{
    openWindow();
    menu(0, {phone->path("/mmc/mmca1/photo.2009.jpg")});
    menu(0, {phone->path("/mmc/mmca1/photo.png")});
    menu(1, {phone->path("/mmc/mmca1/music")});
    answerPicker({phone->path("/mmc/mmca1/out")});
    window->findChild<ZPushButton *>("pPathBtn")->click();
    window->findChild<ZMultiLineEdit *>("pNameEdit")->setText(QStringLiteral("backup"));

    // The user clicks the middle entry and removes it.
    auto *list = window->findChild<MyClass_ButtonGroup *>("pFileList");
    QAbstractButton *middle = list->find(2);
    QTest::mouseClick(middle, Qt::LeftButton, {}, QPoint(8, middle->height() / 2));
    menu(2);
    QCOMPARE(entryKeys(),
             QStringList({phone->path("/mmc/mmca1/photo.2009.jpg"), phone->path("/mmc/mmca1/music")}));

    QCOMPARE(press({0, 0}), QStringList({ask, compressed}));
    // A name without a known ending gets the one of what is made: a gzip-compressed tar.
    QVERIFY(!QFile::exists(phone->path("/mmc/mmca1/out/backup")));
    const QStringList packed{"music/", "music/song.mp3", "photo.2009.jpg"};
    QCOMPARE(archiveListing("/mmc/mmca1/out/backup.tar.gz"), packed);
    QVERIFY(!QFile::exists(phone->path("/mmc/mmca1/.tartmp")));
    // The list and fields stay for the same archive to be made again.
    QCOMPARE(entryKeys().size(), 2);

    // Made again: the archive is there, and is replaced only with a yes.
    const QString replace = QString::fromUtf8("压缩包已存在，是否替换？\nbackup.tar.gz");
    QAbstractButton *first = list->find(1);
    QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(8, first->height() / 2));
    menu(2);
    QCOMPARE(press({0, 1}), QStringList({ask, replace}));
    QCOMPARE(archiveListing("/mmc/mmca1/out/backup.tar.gz"), packed);
    QCOMPARE(press({0, 0, 0}), QStringList({ask, replace, compressed}));
    QCOMPARE(archiveListing("/mmc/mmca1/out/backup.tar.gz"), QStringList({"music/", "music/song.mp3"}));
    QCOMPARE(
        QDir(phone->path("/mmc/mmca1/out")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({"backup.tar.gz"}));
}

void TestCompressWin::removingWithNothingSelectedChangesNothing()
{
    openWindow();
    menu(0, {phone->path("/mmc/mmca1/photo.png")});
    menu(2);
    QCOMPARE(entryKeys(), QStringList({phone->path("/mmc/mmca1/photo.png")}));
}

void TestCompressWin::refusedQuestionMakesNoArchive()
{
    openWindow();
    menu(0, {phone->path("/mmc/mmca1/photo.png")});
    answerPicker({phone->path("/mmc/mmca1/out")});
    window->findChild<ZPushButton *>("pPathBtn")->click();
    QCOMPARE(press({1}), QStringList({ask}));
    QVERIFY(!QFile::exists(phone->path("/mmc/mmca1/out/Default.tar.gz")));
}

void TestCompressWin::noMemoryCardFails()
{
    openWindow();
    phone->mkdir("/home");
    phone->write("/home/note.txt", "note");
    menu(0, {phone->path("/home/note.txt")});
    answerPicker({phone->path("/home")});
    window->findChild<ZPushButton *>("pPathBtn")->click();
    QDir(phone->path("/mmc")).removeRecursively();
    QCOMPARE(press({0, 0}), QStringList({ask, compressFailed}));
    QVERIFY(!QFile::exists(phone->path("/home/Default.tar.gz")));
}

void TestCompressWin::rightKeyClosesAtOnce()
{
    openWindow();
    BoxAnswers boxes;
    window->findChild<ZPushButton *>("pExitBtn")->click();
    QVERIFY(!window->isVisible());
    QTest::qWait(50);
    QCOMPARE(boxes.unexpected, QStringList());
}

// A tar that writes half an archive and then waits for ever (on a FIFO nobody writes): Escape
// on the progress box stops it, and neither the half archive nor the temporary folder stays.
void TestCompressWin::escapeOnTheProgressBoxCancelsTheCompression()
{
    QTemporaryDir bin;
    const QByteArray fifo = QFile::encodeName(bin.filePath("never"));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    QFile tar(bin.filePath("tar"));
    QVERIFY(tar.open(QIODevice::WriteOnly));
    tar.write("#!/bin/sh\necho half > \"$2\"\nexec cat " + fifo + "\n");
    tar.close();
    tar.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + savedPath);

    openWindow();
    menu(0, {phone->path("/mmc/mmca1/photo.png")});
    answerPicker({phone->path("/mmc/mmca1/out")});
    window->findChild<ZPushButton *>("pPathBtn")->click();
    const QString half = phone->path("/mmc/mmca1/out/Default.tar.gz");
    QTimer escape;
    connect(&escape, &QTimer::timeout, this, [&] {
        auto *box = window->findChild<MyClass_ProgressDlg *>("Dlg");
        if (box && QFile::exists(half) && !box->cancelRequested())
            QTest::keyClick(box, Qt::Key_Escape);
    });
    escape.start(10);
    const QStringList texts = press({0, 0});
    escape.stop();
    qputenv("PATH", savedPath);
    QCOMPARE(texts, QStringList({ask, QString::fromUtf8("已取消")}));
    QVERIFY(!QFile::exists(half));
    QVERIFY(!QFile::exists(phone->path("/mmc/mmca1/.tartmp")));
    QVERIFY(QFile::exists(phone->path("/mmc/mmca1/photo.png")));
}

int main(int argc, char **argv)
{
    MyClass_ZApp app(argc, argv, 1);
    TestCompressWin test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_compresswin.moc"
