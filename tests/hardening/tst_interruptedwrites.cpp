// SPDX-License-Identifier: GPL-2.0-or-later
// The real programs killed with SIGKILL at moments spread over a run that writes a file: the
// file is always the old one or the new one, or one of the whole files written in between,
// never a torn one.
#include "zconfig.h"

#include "phonetree.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

constexpr int kills = 12;

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

bool put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every entry of a caption file, "group/key" -> value.
QMap<QString, QString> entries(const QByteArray &text)
{
    ZConfig config(QString{});
    config.parse(text);
    QMap<QString, QString> all;
    QStringList groups;
    config.getGroupsKeyList(groups);
    for (const QString &group : groups)
        for (const QString &key : config.getKeyList(group))
            all.insert(group + "/" + key, config.readEntry(group, key));
    return all;
}

// Starts program, kills it after killAfterMs (never, when negative) and returns how long the
// run took.
qint64 runAndKill(const QString &program, const QProcessEnvironment &env, int killAfterMs)
{
    QProcess process;
    process.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    if (!process.waitForStarted())
        return -1;
    if (killAfterMs >= 0 && !process.waitForFinished(killAfterMs))
        ::kill(pid_t(process.processId()), SIGKILL);
    process.waitForFinished(20000);
    return clock.elapsed();
}

}  // namespace

class TestInterruptedWrites : public QObject
{
    Q_OBJECT

private slots:
    void languageFile();
    void settingsFile();
};

// Kest fills its caption file on its first start, saving after each caption it adds.
void TestInterruptedWrites::languageFile()
{
    PhoneTree phone;
    phone.mkdir("/apps/kest");
    const QString program = phone.path("/apps/kest/kest");
    QVERIFY(QFile::copy(qEnvironmentVariable("EZX_TEST_BIN_DIR") + "/kest", program));
    const QString lang = phone.path("/apps/kest/ezx_kest_lang.cfg");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("EZX_UI_SCRIPT", "wait 100; quit 0");

    const qint64 whole = runAndKill(program, env, -1);
    const QMap<QString, QString> full = entries(contents(lang));
    QVERIFY(full.size() > 4);
    // The old file: the first half of the captions, as an earlier version left them.
    QMap<QString, QString> old;
    QByteArray oldText;
    for (auto it = full.begin(); it != full.end() && old.size() < full.size() / 2; ++it) {
        old.insert(it.key(), it.value());
        oldText += "[" + it.key().section('/', 0, 0).toUtf8() + "]\n" + it.key().section('/', 1).toUtf8()
                   + " = " + it.value().toUtf8() + "\n";
    }

    for (int n = 1; n <= kills; ++n) {
        QVERIFY(put(lang, oldText));
        runAndKill(program, env, int(whole * n / kills));
        const QByteArray text = contents(lang);
        QVERIFY2(text.endsWith('\n'), text.right(80).constData());
        const QMap<QString, QString> now = entries(text);
        for (auto it = now.begin(); it != now.end(); ++it)
            QCOMPARE(it.value(), full.value(it.key()));
        for (auto it = old.begin(); it != old.end(); ++it)
            QCOMPARE(now.value(it.key()), it.value());
    }
}

// glowra writes its eight bytes of settings on the way out.
void TestInterruptedWrites::settingsFile()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("ezx_user/download/appwrite/setup");
    QVERIFY(put(dir.filePath("ezx_user/download/appwrite/setup/ezx_system.cfg"),
                "[SYS_SYSTEM_SET]\nBrightness = 40\n"));
    const QString program = dir.filePath("glowra");
    QVERIFY(QFile::link(qEnvironmentVariable("EZX_TEST_BIN_DIR") + "/glowra", program));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("EZX_ROOT", dir.path());
    env.insert("EZX_LIGHTS", "sim:" + dir.filePath("lights.log"));
    env.insert("EZX_UI_SCRIPT", "key Right; click cstRightBtn");
    const QString settings = dir.filePath("glowra.conf");
    const QByteArray old = QByteArray::fromHex("0000000007280000");
    const QByteArray fresh = QByteArray::fromHex("0000000008280000");

    QVERIFY(put(settings, old));
    const qint64 whole = runAndKill(program, env, -1);
    QCOMPARE(contents(settings), fresh);
    for (int n = 1; n <= kills; ++n) {
        QVERIFY(put(settings, old));
        runAndKill(program, env, int(whole * n / kills));
        const QByteArray now = contents(settings);
        QVERIFY2(now == old || now == fresh, now.toHex().constData());
    }
}

QTEST_GUILESS_MAIN(TestInterruptedWrites)
#include "tst_interruptedwrites.moc"
