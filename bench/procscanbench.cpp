// SPDX-License-Identifier: GPL-2.0-or-later
// Times procwarden's process view: the scan of /proc and the fill of the list, in the real
// window, shown, on the program's application object. Each of ROUNDS rounds is
// MainWindow::showProcesses() plus the event processing that brings the new list on screen.
// Prints "median_ns rows" for the rounds after the window's own first scan.
//
//   bench-procscan ROUNDS
#include "mainwindow.h"
#include "timing.h"
#include "zapplication.h"

#include <QListWidget>

#include <algorithm>
#include <cstdlib>
#include <vector>

int main(int argc, char **argv)
{
    const int rounds = argc == 2 ? std::atoi(argv[1]) : 0;
    if (rounds < 1) {
        std::fputs("usage: bench-procscan ROUNDS\n", stderr);
        return 2;
    }
    ZApplication app(argc, argv, 1);
    MainWindow window;
    app.showMainWidget(&window);
    QCoreApplication::processEvents();

    std::vector<std::int64_t> times;
    for (int i = 0; i < rounds; ++i) {
        const std::int64_t start = Stopwatch::nowNs();
        window.showProcesses();
        QCoreApplication::processEvents();
        times.push_back(Stopwatch::nowNs() - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("%lld %d\n", static_cast<long long>(times[times.size() / 2]), window.listBox->count());
    return 0;
}
