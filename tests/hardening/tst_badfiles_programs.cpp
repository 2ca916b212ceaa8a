// SPDX-License-Identifier: GPL-2.0-or-later
// The files only the running daemon and panel read, made bad: glowrad's schemes file and
// glowra's settings file, each beside a link to the real program.
#include "badfile.h"

#include "schemefile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestBadFilesPrograms : public QObject
{
    Q_OBJECT

private slots:
    void schemesFile_data();
    void schemesFile();
    void settingsFile_data();
    void settingsFile();

private:
    // Starts the program through a link in folder, on simulated lights, and waits for it.
    static bool run(QProcess &process, const QString &folder, const QString &program,
                    const QStringList &arguments, const QString &script = QString());
};

namespace {

void addCases()
{
    QTest::addColumn<int>("kind");
    for (const BadFileCase &bad : badFileCases())
        QTest::newRow(bad.name) << int(bad.kind);
}

}  // namespace

bool TestBadFilesPrograms::run(QProcess &process, const QString &folder, const QString &program,
                               const QStringList &arguments, const QString &script)
{
    QDir(folder).mkpath("ezx_user/download/appwrite/setup");
    QFile system(folder + "/ezx_user/download/appwrite/setup/ezx_system.cfg");
    if (!system.open(QIODevice::WriteOnly) || system.write("[SYS_SYSTEM_SET]\nBrightness = 40\n") < 0)
        return false;
    system.close();
    const QString link = folder + "/" + program;
    QFile::link(qEnvironmentVariable("EZX_TEST_BIN_DIR") + "/" + program, link);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("EZX_ROOT", folder);
    env.insert("EZX_LIGHTS", "sim:" + folder + "/lights.log");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    if (!script.isEmpty())
        env.insert("EZX_UI_SCRIPT", script);
    process.setProcessEnvironment(env);
    process.start(link, arguments);
    if (process.waitForFinished(15000))
        return true;
    process.kill();
    process.waitForFinished();
    return false;
}

void TestBadFilesPrograms::schemesFile_data()
{
    addCases();
}

// A demo of scheme 0 either plays what the file holds and says "Done", or says the file
// cannot be opened; either way it ends.
void TestBadFilesPrograms::schemesFile()
{
    QFETCH(int, kind);
    QTemporaryDir folder;
    const std::vector<unsigned char> valid = encodeSchemes({{{10, 1, 1}, {10, 0, 0}}});
    QVERIFY(makeBadFile(folder.filePath("glowrad.sch"), BadFile(kind),
                        QByteArray(reinterpret_cast<const char *>(valid.data()), qsizetype(valid.size()))));
    QProcess daemon;
    QVERIFY2(run(daemon, folder.path(), "glowrad", {"0", "d"}), "did not end");
    QCOMPARE(daemon.exitStatus(), QProcess::NormalExit);
    const QByteArray said = daemon.readAllStandardOutput();
    QVERIFY2(said.endsWith("Done\n") || said.contains("Can't open schemes file"), said.constData());
}

void TestBadFilesPrograms::settingsFile_data()
{
    addCases();
}

// The panel starts on its defaults and ends through its exit key, trying to save.
void TestBadFilesPrograms::settingsFile()
{
    QFETCH(int, kind);
    QTemporaryDir folder;
    QVERIFY(makeBadFile(folder.filePath("glowra.conf"), BadFile(kind), QByteArray("\1\0\0\0\7\50\1\1", 8)));
    QProcess panel;
    QVERIFY2(run(panel, folder.path(), "glowra", {}, "click cstRightBtn"), "did not end");
    QCOMPARE(panel.exitStatus(), QProcess::NormalExit);
    QCOMPARE(panel.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestBadFilesPrograms)
#include "tst_badfiles_programs.moc"
