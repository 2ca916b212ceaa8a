// SPDX-License-Identifier: GPL-2.0-or-later
// kest [--help | --version | FIRST ARCHIVE]: the archive manager. With an archive as second
// argument the window opens on it, ready to extract.
#include "decompressiontool.h"
#include "ezxversion.h"
#include "mainwindows.h"
#include "myclass_zapp.h"
#include "phonepath.h"
#include "phonestorage.h"
#include "programstart.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

namespace {

// The signature line, printed first at every start.
void DisInfo()
{
    std::printf("%s\r\n", "Kest1.04");
}

// Where the files are, after --help's signature lines; on standard error, so that standard
// output keeps only the signature lines.
void printFiles(const char *invocation)
{
    QString program = QFile::decodeName(invocation);
    if (!program.contains(QLatin1Char('/')))
        program = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    const QFileInfo info(program);
    const QByteArray captions = QFile::encodeName(info.absolutePath() + QLatin1String("/ezx_")
                                                  + info.baseName() + QLatin1String("_lang.cfg"));
    std::fprintf(stderr,
                 "Usage: kest [--help | FIRST ARCHIVE]  (the archive to open comes second)\n"
                 "Files:\n  %s\n      captions, one group per language\n"
                 "  %s\n      the language (%s in %s)\n"
                 "  %s\n      temporary folder of a compression\n",
                 captions.constData(), phonePath(std::string(PHONE_SYSTEM_CONFIG)).c_str(),
                 SYSTEM_CONFIG_LANGUAGE, SYSTEM_CONFIG_GROUP,
                 QFile::encodeName(kestTempFolderPath()).constData());
}

}  // namespace

int main(int argc, char **argv)
{
    DisInfo();
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("kest %s\n", EZX_VERSION);
        return 0;
    }
    if (argc < 2 || std::strcmp(argv[1], "--help") != 0) {
        if (refuseWithoutDisplay(argc, argv))
            return 1;
        preparePhoneStorage();
    }
    MyClass_ZApp *app = nullptr;
    MainWindows *window = nullptr;
    if (argc < 2) {
        app = new MyClass_ZApp(argc, argv, 1);
        window = new MainWindows(QStringLiteral("Win_Caption1"), QStringLiteral("Kest"), false, nullptr,
                                 "MainWin", 0);
    } else if (std::strcmp(argv[1], "--help") == 0) {
        DisInfo();
        printFiles(argv[0]);
        return 0;
    } else {
        // The application records the program's path here too, so that the language file
        // beside the program is used whichever way Kest was started.
        app = new MyClass_ZApp(argc, argv, 1);
        const QString archive = argc > 2 ? QString::fromLatin1(argv[2]) : QString();
        window = new MainWindows(archive, QStringLiteral("Win_Caption1"), QStringLiteral("Kest"), false,
                                 nullptr, "MainWin", 0);
    }
    app->setMainWidget(window);
    window->show();
    app->exec();
    delete window;
    delete app;
    return 1;
}
