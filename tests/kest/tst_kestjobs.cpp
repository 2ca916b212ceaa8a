// SPDX-License-Identifier: GPL-2.0-or-later
// Long jobs as the user meets them: Cancel (what goes and what stays), the question before
// anything is replaced, the name a compression writes, and where the pickers start.
#include "appcurrentname.h"
#include "archivetypes.h"
#include "decompressiontool.h"
#include "jobprogress.h"
#include "mainwindows.h"
#include "myclass_progressdlg.h"
#include "shellcommand.h"
#include "zpickers.h"
#include "zpushbutton.h"

#include "boxanswers.h"
#include "modal.h"
#include "phonetree.h"
#include "workingdir.h"

#include <QStandardPaths>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString ask = QString::fromUtf8("您的操作将进行解压，是否继续？");
const QString cancelledHint = QString::fromUtf8("已取消");

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QStringList entriesOf(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(folder).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

// A .tar.gz (or .tar) of the files given, made by the real tar.
void makeTar(const QString &archive, const QMap<QString, QByteArray> &files, bool gzip = true)
{
    QTemporaryDir src;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        writeFile(src.filePath(it.key()), it.value());
    QStringList names = files.keys();
    QDir().mkpath(QFileInfo(archive).path());
    QCOMPARE(QProcess::execute("tar", QStringList{gzip ? "czf" : "cf", archive, "-C", src.path()} + names),
             0);
}

}  // namespace

class TestKestJobs : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cancelledExtractionRemovesOnlyWhatItMade_data();
    void cancelledExtractionRemovesOnlyWhatItMade();
    void cancelledCompressionLeavesNoArchiveAndNoTempFolder_data();
    void cancelledCompressionLeavesNoArchiveAndNoTempFolder();
    void extractionReplacesOnlyWithAYes_data();
    void extractionReplacesOnlyWithAYes();
    void oneFileIsReplacedOnlyWithAYes();
    void eachJobIsMeasuredAgainstItsShare();
    void compressionNameGetsItsEnding_data();
    void compressionNameGetsItsEnding();
    void escapeOnTheProgressBoxCancels();
    void windowAsksBeforeReplacing();
    void pickersStartWhereTheArchiveIs();

private:
    // A tar that writes a file where it was sent and then waits for ever (on a FIFO nobody
    // opens for writing), until it is stopped.
    void installHangingTar(const QString &script);
    QString started() const { return bin.filePath("started"); }
    // Cancels the job once the hanging tar has started (or after many looks: then the test
    // fails).
    void cancelWhenStarted();

    std::unique_ptr<PhoneTree> phone;
    QTemporaryDir bin;
    QByteArray savedPath;
};

void TestKestJobs::init()
{
    phone = std::make_unique<PhoneTree>();
    phone->mkdir("/bin");
    phone->mkdir("/mmc/mmca1");
    AppCurrentName = phone->path("/bin/kest");
    savedPath = qgetenv("PATH");
}

void TestKestJobs::cleanup()
{
    setShellWatch(nullptr);
    qputenv("PATH", savedPath);
    for (const char *name : {"tar", "cp", "go", "started"})
        QFile::remove(bin.filePath(name));
    QCOMPARE(modalTimeouts(), 0);
    phone.reset();
    QDir::setCurrent(QDir::tempPath());
}

void TestKestJobs::installHangingTar(const QString &script)
{
    const QString fifo = bin.filePath("never");
    if (!QFileInfo::exists(fifo))
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    writeFile(bin.filePath("tar"), "#!/bin/sh\n" + script.toUtf8() + "\ntouch " + QFile::encodeName(started())
                                       + "\nexec cat " + QFile::encodeName(fifo) + "\n");
    QFile::setPermissions(bin.filePath("tar"), QFile::ReadOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + savedPath);
}

void TestKestJobs::cancelWhenStarted()
{
    auto looks = std::make_shared<int>(0);
    setShellWatch([path = started(), looks](int) { return QFileInfo::exists(path) || ++*looks > 1000; });
}

void TestKestJobs::cancelledExtractionRemovesOnlyWhatItMade_data()
{
    QTest::addColumn<bool>("folderThere");
    QTest::newRow("default_folder_made_for_the_job") << false;
    QTest::newRow("folder_that_was_there") << true;
}

void TestKestJobs::cancelledExtractionRemovesOnlyWhatItMade()
{
    QFETCH(bool, folderThere);
    const QString archive = phone->path("/mmc/mmca1/music.tar.gz");
    makeTar(archive, {{"song.txt", "la"}});
    const QString target = phone->path("/mmc/mmca1/music");
    if (folderThere) {
        writeFile(target + "/keep.txt", "mine");
        writeFile(target + "/sub/deep.txt", "mine too");
    }
    const QStringList before = entriesOf(target);
    // tar zxf ARCHIVE -C FOLDER: the folder is the last word.
    installHangingTar("for last; do :; done; echo half > \"$last/song.txt\"");
    cancelWhenStarted();

    DecompressionTool tool(archive, target);
    QCOMPARE(tool.decompressionFile(), DecompressionTool::Cancelled);
    QCOMPARE(tool.failure().reason, DecompressionTool::Failure::Cancelled);
    if (folderThere) {
        // Every entry that was there stays; what the job wrote inside is not told apart.
        const QStringList after = entriesOf(target);
        for (const QString &entry : before)
            QVERIFY2(after.contains(entry), qPrintable(entry));
        QCOMPARE(readFile(target + "/keep.txt"), QByteArray("mine"));
    } else {
        QVERIFY(!QFileInfo::exists(target));
    }
    QVERIFY(QFileInfo::exists(archive));
}

void TestKestJobs::cancelledCompressionLeavesNoArchiveAndNoTempFolder_data()
{
    QTest::addColumn<bool>("archiveThere");
    QTest::newRow("new_archive") << false;
    QTest::newRow("archive_being_replaced") << true;
}

void TestKestJobs::cancelledCompressionLeavesNoArchiveAndNoTempFolder()
{
    QFETCH(bool, archiveThere);
    const QString out = phone->path("/mmc/mmca1/out");
    const QString archive = out + "/backup.tar.gz";
    writeFile(phone->path("/mmc/mmca1/photo.jpg"), "jpeg");
    writeFile(phone->path("/mmc/mmca1/music/song.mp3"), "mp3");
    QDir().mkpath(out);
    if (archiveThere)
        writeFile(archive, "the old archive");
    // tar zcf ARCHIVE NAMES...: a partial archive, then nothing more.
    installHangingTar("echo partial > \"$2\"");
    cancelWhenStarted();
    QStringList asked;
    DecompressionTool tool("backup.tar.gz", out);
    tool.setReplaceHook([&asked](const QStringList &existing) {
        asked += existing;
        return true;
    });
    const QStringList items{phone->path("/mmc/mmca1/photo.jpg"), phone->path("/mmc/mmca1/music")};
    QCOMPARE(tool.compressFile(items, "backup.tar.gz", out, 1), DecompressionTool::Cancelled);

    QCOMPARE(asked, archiveThere ? QStringList{"backup.tar.gz"} : QStringList());
    QCOMPARE(entriesOf(out), archiveThere ? QStringList{"backup.tar.gz"} : QStringList());
    if (archiveThere)
        QCOMPARE(readFile(archive), QByteArray("the old archive"));
    QVERIFY(!QFileInfo::exists(kestTempFolderPath()));
    QCOMPARE(readFile(phone->path("/mmc/mmca1/music/song.mp3")), QByteArray("mp3"));
    QCOMPARE(QDir::currentPath(), QStringLiteral("/"));
}

void TestKestJobs::extractionReplacesOnlyWithAYes_data()
{
    QTest::addColumn<bool>("gzip");
    QTest::addColumn<bool>("yes");
    // A compressed tar is otherwise extracted without a listing: the question needs one.
    QTest::newRow("tar_gz_no") << true << false;
    QTest::newRow("tar_gz_yes") << true << true;
    QTest::newRow("tar_no") << false << false;
    QTest::newRow("tar_yes") << false << true;
}

void TestKestJobs::extractionReplacesOnlyWithAYes()
{
    QFETCH(bool, gzip);
    QFETCH(bool, yes);
    const QString archive = phone->path(gzip ? "/mmc/mmca1/a.tar.gz" : "/mmc/mmca1/a.tar");
    makeTar(archive, {{"a.txt", "new"}, {"dir/b.txt", "new b"}, {"fresh.txt", "fresh"}}, gzip);
    const QString target = phone->path("/mmc/mmca1/there");
    writeFile(target + "/a.txt", "old");
    writeFile(target + "/dir/c.txt", "mine");

    QList<QStringList> asked;
    DecompressionTool tool(archive, target);
    tool.setReplaceHook([&](const QStringList &existing) {
        asked << existing;
        return yes;
    });
    // Asked once, about the one file that would be replaced (dir only gains an entry).
    QCOMPARE(tool.decompressionFile(), yes ? DecompressionTool::Done : DecompressionTool::NotReplaced);
    QCOMPARE(asked, QList<QStringList>{{"a.txt"}});
    QCOMPARE(readFile(target + "/a.txt"), QByteArray(yes ? "new" : "old"));
    QCOMPARE(QFileInfo::exists(target + "/fresh.txt"), yes);
    QCOMPARE(readFile(target + "/dir/c.txt"), QByteArray("mine"));

    // Nothing to replace in an empty folder: no question.
    asked.clear();
    QVERIFY(QDir().mkpath(phone->path("/mmc/mmca1/empty")));
    QVERIFY(tool.setDecomPath(phone->path("/mmc/mmca1/empty")));
    QCOMPARE(tool.decompressionFile(), DecompressionTool::Done);
    QVERIFY(asked.isEmpty());
}

void TestKestJobs::oneFileIsReplacedOnlyWithAYes()
{
    const QString archive = phone->path("/mmc/mmca1/readme.gz");
    writeFile(phone->path("/mmc/mmca1/readme"), "old");
    writeFile(phone->path("/src/readme"), "new");
    QCOMPARE(QProcess::execute("sh", {"-c", "gzip -c " + phone->path("/src/readme") + " > " + archive}), 0);
    for (bool yes : {false, true}) {
        QStringList asked;
        DecompressionTool tool(archive, phone->path("/mmc/mmca1"));
        tool.setReplaceHook([&](const QStringList &existing) {
            asked += existing;
            return yes;
        });
        QCOMPARE(tool.decompressionFile(), yes ? DecompressionTool::Done : DecompressionTool::NotReplaced);
        QCOMPARE(asked, QStringList{"readme"});
        QCOMPARE(readFile(phone->path("/mmc/mmca1/readme")), QByteArray(yes ? "new" : "old"));
    }
    QCOMPARE(entriesOf(phone->path("/mmc/mmca1")), QStringList({"readme", "readme.gz"}));
}

// What the progress box measures each job against: the archive for an extraction; for a
// compression each item's bytes as it is copied, then all of them again as they are packed.
// cp and tar wait for the watch to let them go, so that it sees every job.
void TestKestJobs::eachJobIsMeasuredAgainstItsShare()
{
    const QString fifo = bin.filePath("go");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const char *name : {"cp", "tar"}) {
        const QString real = QStandardPaths::findExecutable(name);
        writeFile(bin.filePath(name), "#!/bin/sh\nhead -c 1 " + QFile::encodeName(fifo)
                                          + " > /dev/null\nexec " + QFile::encodeName(real) + " \"$@\"\n");
        QFile::setPermissions(bin.filePath(name), QFile::ReadOwner | QFile::ExeOwner);
    }
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + savedPath);
    QList<JobGauge> gauges;
    setShellWatch([&gauges, fifo](int) {
        gauges << jobGauge();
        const int go = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (go >= 0) {
            [[maybe_unused]] const ssize_t written = ::write(go, "x", 1);
            ::close(go);
        }
        return false;
    });
    writeFile(phone->path("/mmc/mmca1/a.bin"), QByteArray(3000, 'a'));
    writeFile(phone->path("/mmc/mmca1/b/c.bin"), QByteArray(1000, 'c'));
    writeFile(phone->path("/mmc/mmca1/b/d.bin"), QByteArray(500, 'd'));
    const QString out = phone->path("/mmc/mmca1/out");
    QDir().mkpath(out);
    DecompressionTool tool("x.tar.gz", out);
    QCOMPARE(
        tool.compressFile({phone->path("/mmc/mmca1/a.bin"), phone->path("/mmc/mmca1/b")}, "x.tar.gz", out, 1),
        DecompressionTool::Done);
    using Share = std::array<qint64, 3>;  // before, up to, total
    QList<Share> shares;
    for (const JobGauge &gauge : gauges)
        if (gauge.kind == JobGauge::BytesRead
            && !shares.contains(Share{gauge.before, gauge.upTo, gauge.total}))
            shares << Share{gauge.before, gauge.upTo, gauge.total};
    QCOMPARE(shares, QList<Share>({{0, 3000, 9000}, {3000, 4500, 9000}, {4500, 9000, 9000}}));
    QCOMPARE(jobGauge().kind, JobGauge::Nothing);

    gauges.clear();
    const QString archive = out + "/x.tar.gz";
    DecompressionTool extraction(archive, out + "/x");
    QCOMPARE(extraction.decompressionFile(), DecompressionTool::Done);
    QVERIFY(!gauges.isEmpty());
    for (const JobGauge &gauge : gauges) {
        QCOMPARE(gauge.kind, JobGauge::FileRead);
        QCOMPARE(gauge.file, archive);
    }
    QCOMPARE(jobGauge().kind, JobGauge::Nothing);
}

void TestKestJobs::compressionNameGetsItsEnding_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("bare") << "my backup"
                          << "my backup.tar.gz";
    QTest::newRow("tar_gz") << "Default.tar.gz"
                            << "Default.tar.gz";
    QTest::newRow("upper_case") << "PHOTOS.TGZ"
                                << "PHOTOS.TGZ";
    QTest::newRow("other_archive_ending") << "photos.zip"
                                          << "photos.zip.tar.gz";
    QTest::newRow("only_gz") << "notes.gz"
                             << "notes.gz.tar.gz";
    QTest::newRow("ending_alone") << ".tar.gz"
                                  << ".tar.gz.tar.gz";
}

void TestKestJobs::compressionNameGetsItsEnding()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QCOMPARE(compressionFileName(typed), written);
}

// Escape on the progress box is its Cancel key: the job stops, the folder made for it goes,
// and the window says so.
void TestKestJobs::escapeOnTheProgressBoxCancels()
{
    const QString archive = phone->path("/mmc/mmca1/music.tar.gz");
    makeTar(archive, {{"song.txt", "la"}});
    installHangingTar("for last; do :; done; echo half > \"$last/song.txt\"");
    MainWindows window(QString::fromLatin1(archive.toUtf8()), "Win_Caption1", "Kest", false, nullptr,
                       "MainWin", 0);
    window.show();
    const QString target = phone->path("/mmc/mmca1/music");

    QString percent;
    bool hadCancelKey = false;
    QTimer escape;
    connect(&escape, &QTimer::timeout, this, [&] {
        auto *box = window.findChild<MyClass_ProgressDlg *>("progressDlg");
        auto *key = box ? box->findChild<ZPushButton *>("progressCancel") : nullptr;
        if (!key || !QFileInfo::exists(started()) || box->cancelRequested())
            return;
        hadCancelKey = key->isVisible() && key->text() == QString::fromUtf8("取消");
        QTest::keyClick(box, Qt::Key_Escape);
    });
    escape.start(10);
    BoxAnswers boxes({0, 0});
    window.findChild<ZPushButton *>("pMidBtn")->click();
    escape.stop();
    QVERIFY(hadCancelKey);
    QCOMPARE(boxes.texts, QStringList({ask, cancelledHint}));
    QVERIFY(boxes.unexpected.isEmpty());
    QVERIFY(!QFileInfo::exists(target));
    QVERIFY(!window.findChild<MyClass_ProgressDlg *>());
}

// The question as the user meets it: the first entry named, Replace or Cancel.
void TestKestJobs::windowAsksBeforeReplacing()
{
    const QString archive = phone->path("/mmc/mmca1/music.tar.gz");
    makeTar(archive, {{"song.txt", "new"}, {"cover.jpg", "new"}, {"extra.txt", "new"}});
    const QString target = phone->path("/mmc/mmca1/music");
    writeFile(target + "/song.txt", "old");
    writeFile(target + "/cover.jpg", "old");
    MainWindows window(QString::fromLatin1(archive.toUtf8()), "Win_Caption1", "Kest", false, nullptr,
                       "MainWin", 0);
    window.show();
    const QString replace = QString::fromUtf8("目标文件夹中已有压缩包里的文件，是否替换？\ncover.jpg (+1)");

    {
        BoxAnswers no({0, 1});
        window.findChild<ZPushButton *>("pMidBtn")->click();
        QCOMPARE(no.texts, QStringList({ask, replace}));
        QVERIFY(no.unexpected.isEmpty());
        QCOMPARE(entriesOf(target), QStringList({"cover.jpg", "song.txt"}));
        QCOMPARE(readFile(target + "/song.txt"), QByteArray("old"));
    }

    BoxAnswers yes({0, 0, 0});
    window.findChild<ZPushButton *>("pMidBtn")->click();
    QCOMPARE(yes.texts, QStringList({ask, replace, QString::fromUtf8("解压完成！")}));
    QCOMPARE(entriesOf(target), QStringList({"cover.jpg", "extra.txt", "song.txt"}));
    QCOMPARE(readFile(target + "/song.txt"), QByteArray("new"));
}

void TestKestJobs::pickersStartWhereTheArchiveIs()
{
    QString started;
    const auto look = [&started] {
        whenModal([&started](QWidget *w) {
            auto *picker = qobject_cast<ZPickerBase *>(w);
            started = picker ? picker->directory() : QString();
            if (picker)
                picker->reject();
        });
    };
    // Nothing chosen yet: the memory card.
    {
        MainWindows window("Win_Caption1", "Kest", false, nullptr, "MainWin", 0);
        look();
        window.findChild<ZPushButton *>("pFileBtn")->click();
        QCOMPARE(started, phone->path("/mmc/mmca1"));
    }
    const QString archive = phone->path("/mmc/mmca1/music/2009/best.tar.gz");
    makeTar(archive, {{"song.txt", "la"}});
    MainWindows window(QString::fromLatin1(archive.toUtf8()), "Win_Caption1", "Kest", false, nullptr,
                       "MainWin", 0);
    for (const char *button : {"pFileBtn", "pPathBtn"}) {
        look();
        window.findChild<ZPushButton *>(button)->click();
        QCOMPARE(started, phone->path("/mmc/mmca1/music/2009"));
    }
}

QTEST_MAIN(TestKestJobs)
#include "tst_kestjobs.moc"
