#include "mainwindow.h"
#include "zapplication.h"

int main(int argc, char **argv)
{
    ZApplication app(argc, argv, 1);
    auto *window = new MainWindow;
    app.showMainWidget(window);
    const int status = app.exec();
    delete window;
    return status;
}
