// SPDX-License-Identifier: GPL-2.0-or-later
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The installed layout: `cmake --install` into a scratch prefix, then every program started
// the way a user or the desktop starts it, from there.
class TestInstall : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void layout_data();
    void layout();
    void programsStartFromTheInstalledLayout_data();
    void programsStartFromTheInstalledLayout();
    void firstStartOfKestOnARussianDesktop();
    void desktopEntriesValidate();
    void unitsVerify();
    void metainfoValidates();

private:
    QProcess *run(const QString &program, const QStringList &args,
                  const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());
    QString prefix() const { return scratch.filePath(QStringLiteral("usr")); }
    QString home() const { return scratch.filePath(QStringLiteral("home")); }
    static QString appId(const char *program) { return QStringLiteral(KEST_APP_ID_PREFIX ".") + program; }
    QTemporaryDir scratch;
    std::vector<std::unique_ptr<QProcess>> processes;
};

QProcess *TestInstall::run(const QString &program, const QStringList &args, const QProcessEnvironment &env)
{
    processes.push_back(std::make_unique<QProcess>());
    QProcess *process = processes.back().get();
    process->setProcessEnvironment(env);
    process->start(program, args);
    if (!process->waitForFinished(30000))
        qWarning() << program << "did not finish";
    return process;
}

void TestInstall::initTestCase()
{
    QVERIFY(scratch.isValid());
    QProcess *install = run(QStringLiteral(KEST_CMAKE_COMMAND),
                            {"--install", QStringLiteral(KEST_BUILD_DIR), "--prefix", prefix()});
    QVERIFY2(install->exitCode() == 0, install->readAllStandardError().constData());
}

void TestInstall::layout_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    for (const char *program : {"kest", "glowra", "glowrad", "procwarden"}) {
        QTest::newRow(program) << QString("lib/kest/") + program << true;
        QTest::newRow(qPrintable(QString("bin/") + program)) << QString("bin/") + program << true;
    }
    QTest::newRow("ambid") << "sbin/ambid" << true;
    // What the programs look for beside themselves.
    for (const char *file : {"ezx_kest_lang.cfg", "glowrad.sch", "applist.txt", "alert.png"})
        QTest::newRow(file) << QString("lib/kest/") + file << false;
    for (const char *name : {"kest", "glowra", "procwarden"}) {
        QTest::newRow(qPrintable(QString(name) + ".desktop"))
            << QString("share/applications/%1.desktop").arg(appId(name)) << false;
        QTest::newRow(qPrintable(QString(name) + ".metainfo.xml"))
            << QString("share/metainfo/%1.metainfo.xml").arg(appId(name)) << false;
        QTest::newRow(qPrintable(QString(name) + ".svg"))
            << QString("share/icons/hicolor/scalable/apps/%1.svg").arg(name) << false;
    }
    QTest::newRow("ambid.service") << "lib/systemd/system/ambid.service" << false;
    QTest::newRow("glowrad@.service") << "lib/systemd/user/glowrad@.service" << false;
    for (const char *document : {"copyright", "changelog.Debian.gz"})
        QTest::newRow(document) << QString("share/doc/kest/") + document << false;
    QTest::newRow("lintian overrides") << "share/lintian/overrides/kest" << false;
    for (const char *page :
         {"man1/kest.1", "man1/glowra.1", "man1/glowrad.1", "man1/procwarden.1", "man8/ambid.8"})
        QTest::newRow(page) << QString("share/man/%1.gz").arg(page) << false;
}

void TestInstall::layout()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo file(prefix() + "/" + path);
    QVERIFY2(file.isFile(), qPrintable(file.filePath()));
    QCOMPARE(file.isExecutable(), executable);
}

void TestInstall::programsStartFromTheInstalledLayout_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");  // expected in standard output, PREFIX and HOME replaced
    QTest::addColumn<QString>("errors");  // expected in standard error
    QTest::newRow("kest") << "bin/kest" << QStringList{"--help"} << 0 << "Kest1.04\r\nKest1.04\r\n"
                          << "PREFIX/lib/kest/ezx_kest_lang.cfg";
    QTest::newRow("glowrad") << "bin/glowrad" << QStringList{"--help"} << 0
                             << "Usage:\n    PREFIX/lib/kest/glowrad [scheme] [d]"
                             << "PREFIX/lib/kest/glowrad.sch";
    // The schemes file is found beside the installed daemon: the demo plays.
    QTest::newRow("glowrad_demo") << "bin/glowrad" << QStringList{"2", "d"} << 0 << "Showing demo\nDone\n"
                                  << "";
    // Each user's glowra keeps its settings in a folder of its own, with the daemon beside it.
    QTest::newRow("glowra") << "bin/glowra" << QStringList{"--help"} << 0
                            << "HOME/.local/share/glowra/glowra.conf"
                            << "";
    QTest::newRow("procwarden") << "bin/procwarden" << QStringList{"-h"} << 0 << "applist.txt"
                                << "";
    QTest::newRow("ambid") << "sbin/ambid" << QStringList{"-h"} << 1 << ""
                           << "ROOT/var/run/ambid.pid";
}

void TestInstall::programsStartFromTheInstalledLayout()
{
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, errors);
    QTemporaryDir phone;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home());
    env.remove("XDG_DATA_HOME");
    env.insert("EZX_ROOT", phone.path());
    env.insert("EZX_LIGHTS", "sim:" + phone.filePath("lights.log"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess *process = run(prefix() + "/" + program, args, env);
    const auto expand = [&](QString text) {
        return text.replace("PREFIX", prefix()).replace("HOME", home()).replace("ROOT", phone.path());
    };
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    const QString out = QString::fromUtf8(process->readAllStandardOutput());
    const QString err = QString::fromUtf8(process->readAllStandardError());
    QVERIFY2(process->exitCode() == status, qPrintable(out + err));
    QVERIFY2(out.contains(expand(output)), qPrintable(out));
    QVERIFY2(err.contains(expand(errors)), qPrintable(err));
    if (program.endsWith("glowra"))
        QCOMPARE(QFileInfo(home() + "/.local/share/glowra/glowrad").symLinkTarget(),
                 prefix() + "/lib/kest/glowrad");
}

void TestInstall::firstStartOfKestOnARussianDesktop()
{
    // No EZX_ROOT and no /ezx_user here: the phone's storage is made in the data folder.
    QVERIFY(!QFileInfo::exists("/ezx_user"));
    const QString data = scratch.filePath(QStringLiteral("data"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *var : {"EZX_ROOT", "LC_ALL", "LC_MESSAGES"})
        env.remove(var);
    env.insert("LANG", "ru_RU.UTF-8");
    env.insert("XDG_DATA_HOME", data);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("EZX_UI_SCRIPT", "wait 300; menu 1; wait 300; quit 5");
    QFile captions(prefix() + "/lib/kest/ezx_kest_lang.cfg");
    QVERIFY(captions.open(QIODevice::ReadOnly));
    const QByteArray shipped = captions.readAll();
    captions.close();

    QProcess *kest = run(prefix() + "/bin/kest", {}, env);
    QCOMPARE(kest->exitCode(), 5);
    QFile config(data + "/ezx-phone/ezx_user/download/appwrite/setup/ezx_system.cfg");
    QVERIFY(config.open(QIODevice::ReadOnly));
    QCOMPARE(config.readAll(), QByteArray("[SYS_SYSTEM_SET]\nLanguageType = ru\n"));
    QVERIFY(QFileInfo(data + "/ezx-phone/mmc/mmca1").isDir());
    // The Russian captions of both windows were all there: the file was not written.
    QVERIFY(captions.open(QIODevice::ReadOnly));
    QCOMPARE(captions.readAll(), shipped);
}

void TestInstall::desktopEntriesValidate()
{
    const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
    if (validate.isEmpty())
        QSKIP("desktop-file-validate is not installed (package desktop-file-utils)");
    for (const char *name : {"kest", "glowra", "procwarden"}) {
        QProcess *process = run(validate, {prefix() + "/share/applications/" + appId(name) + ".desktop"});
        const QByteArray said = process->readAllStandardOutput() + process->readAllStandardError();
        QVERIFY2(process->exitCode() == 0 && said.isEmpty(), said.constData());
    }
    QFile procwarden(prefix() + "/share/applications/" + appId("procwarden") + ".desktop");
    QVERIFY(procwarden.open(QIODevice::ReadOnly));
    QVERIFY(procwarden.readAll().contains("\nPath=" + QFile::encodeName(prefix()) + "/lib/kest\n"));
}

void TestInstall::unitsVerify()
{
    const QString analyze = QStandardPaths::findExecutable("systemd-analyze");
    if (analyze.isEmpty())
        QSKIP("systemd-analyze is not installed (package systemd)");
    // A template is verified as one of its instances.
    const QString units = scratch.filePath(QStringLiteral("units"));
    QVERIFY(QDir().mkpath(units));
    QVERIFY(QFile::copy(prefix() + "/lib/systemd/system/ambid.service", units + "/ambid.service"));
    QVERIFY(QFile::copy(prefix() + "/lib/systemd/user/glowrad@.service", units + "/glowrad@4.service"));
    for (const char *unit : {"ambid.service", "glowrad@4.service"}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SYSTEMD_LOG_LEVEL", "warning");
        QProcess *process = run(analyze, {"verify", "--man=no", units + "/" + unit}, env);
        const QByteArray said = process->readAllStandardOutput() + process->readAllStandardError();
        QVERIFY2(process->exitCode() == 0, said.constData());
        QVERIFY2(!said.contains(unit), said.constData());
    }
}

// One AppStream file per window program, named as its desktop entry, with nothing to complain of.
void TestInstall::metainfoValidates()
{
    const QString appstream = QStandardPaths::findExecutable("appstreamcli");
    if (appstream.isEmpty())
        QSKIP("appstreamcli is not installed (package appstream)");
    QStringList files;
    for (const char *name : {"kest", "glowra", "procwarden"}) {
        files << prefix() + "/share/metainfo/" + appId(name) + ".metainfo.xml";
        QVERIFY(QFileInfo::exists(prefix() + "/share/applications/" + appId(name) + ".desktop"));
    }
    QProcess *process = run(appstream, QStringList{"validate", "--no-net"} + files);
    QVERIFY2(process->exitCode() == 0, process->readAllStandardOutput().constData());
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
