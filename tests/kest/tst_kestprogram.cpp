// SPDX-License-Identifier: GPL-2.0-or-later
// The kest program itself, run as a user would start it.
#include "zconfig.h"

#include "phonetree.h"

#include <QtTest>

namespace {

const QByteArray signature = "Kest1.04\r\n";

}  // namespace

class TestKestProgram : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void helpPrintsTheSignatureTwice();
    void leavingThroughTheExitQuestion();
    void languageFileFilledOnFirstUse_data();
    void languageFileFilledOnFirstUse();

private:
    // A copy of the program in the phone tree, so that its language file starts out missing
    // and the build's own stays untouched.
    QString copyProgram(const PhoneTree &phone) const;

    QString kest;
};

QString TestKestProgram::copyProgram(const PhoneTree &phone) const
{
    phone.mkdir("/apps/kest");
    const QString program = phone.path("/apps/kest/kest");
    return QFile::copy(kest, program) ? program : QString();
}

void TestKestProgram::initTestCase()
{
    kest = qEnvironmentVariable("EZX_TEST_BIN_DIR") + QStringLiteral("/kest");
    QVERIFY(QFileInfo(kest).isExecutable());
}

void TestKestProgram::helpPrintsTheSignatureTwice()
{
    QProcess run;
    run.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    run.start(kest, {"--help"});
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 0);
    QCOMPARE(run.readAllStandardOutput(), signature + signature);
}

void TestKestProgram::leavingThroughTheExitQuestion()
{
    PhoneTree phone;
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("EZX_UI_SCRIPT", "wait 200; click pExitBtn; wait 200; answer 1; wait 200;"
                                "click pExitBtn; wait 200; answer 0; wait 3000; quit 7");
    run.setProcessEnvironment(env);
    run.start(copyProgram(phone));
    QVERIFY(run.waitForFinished(15000));
    // The first answer keeps the program; the second ends the event loop, and kest then
    // exits with status 1 (7 would mean the window outlived the question).
    QCOMPARE(run.exitCode(), 1);
    QCOMPARE(run.readAllStandardOutput(), signature);
}

void TestKestProgram::languageFileFilledOnFirstUse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("throughSearchPath");
    QTest::newRow("no_argument") << QStringList() << false;
    QTest::newRow("archive_argument") << QStringList({"open", "/nowhere/a.zip"}) << false;
    QTest::newRow("started_by_name") << QStringList() << true;
}

void TestKestProgram::languageFileFilledOnFirstUse()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, throughSearchPath);
    PhoneTree phone;
    const QString program = copyProgram(phone);
    QVERIFY(!program.isEmpty());
    phone.mkdir("/work");

    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("EZX_UI_SCRIPT", "wait 300; quit 0");
    if (throughSearchPath)
        env.insert("PATH", phone.path("/apps/kest") + ':' + env.value("PATH"));
    run.setProcessEnvironment(env);
    run.setWorkingDirectory(phone.path("/work"));
    if (throughSearchPath)
        run.start("/bin/sh", {"-c", "exec kest"});
    else
        run.start(program, arguments);
    QVERIFY(run.waitForFinished(15000));
    QCOMPARE(run.exitCode(), 0);

    // Beside the program, never in the working folder.
    QCOMPARE(QDir(phone.path("/work")).entryList(QDir::Files), QStringList());
    ZConfig lang(phone.path("/apps/kest/ezx_kest_lang.cfg"), false);
    const struct
    {
        const char *key, *text;
    } captions[] = {
        {"Win_Caption1", "Kest"},       {"Win_MidBtn1", "解压"},     {"Win_MainMenu_Item1", "创建压缩包"},
        {"Win_MainMenu_About", "关于"}, {"Win_Item1", "文件名称："}, {"Win_Item2", "解压到："},
    };
    for (const auto &c : captions)
        QCOMPARE(lang.readEntry("zh-cn", c.key), QString::fromUtf8(c.text));
}

QTEST_GUILESS_MAIN(TestKestProgram)

#include "tst_kestprogram.moc"
