// kest [--help | FIRST ARCHIVE]: the archive manager. With an archive as second argument the
// window opens on it, ready to extract.
#include "mainwindows.h"
#include "myclass_zapp.h"

#include <cstdio>
#include <cstring>

namespace {

// The signature line, printed first at every start.
void DisInfo()
{
    std::printf("%s\r\n", "Kest1.04");
}

} // namespace

int main(int argc, char **argv)
{
    DisInfo();
    MyClass_ZApp *app = nullptr;
    MainWindows *window = nullptr;
    if (argc < 2) {
        app = new MyClass_ZApp(argc, argv, 1);
        window = new MainWindows(QStringLiteral("Win_Caption1"), QStringLiteral("Kest"), false,
                                 nullptr, "MainWin", 0);
    } else if (std::strcmp(argv[1], "--help") == 0) {
        DisInfo();
        return 0;
    } else {
        // The application records the program's path here too, so that the language file
        // beside the program is used whichever way Kest was started.
        app = new MyClass_ZApp(argc, argv, 1);
        const QString archive = argc > 2 ? QString::fromLatin1(argv[2]) : QString();
        window = new MainWindows(archive, QStringLiteral("Win_Caption1"), QStringLiteral("Kest"),
                                 false, nullptr, "MainWin", 0);
    }
    app->setMainWidget(window);
    window->show();
    app->exec();
    delete window;
    delete app;
    return 1;
}
