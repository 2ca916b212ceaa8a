// SPDX-License-Identifier: GPL-2.0-or-later
// Times caption lookups the way Kest's windows make them: one EZXLanguage per lookup, against a
// language file of 100 entries beside APPFILE (filled first by lookups of absent keys, as a
// first start does). Prints "median_ns p90_ns lookups". EZX_ROOT should point at a phone tree
// of its own.
//
//   bench-caption APPFILE LOOKUPS
#include "ezxlanguage.h"
#include "timing.h"

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 3 || std::atoi(argv[2]) < 1) {
        std::fputs("usage: bench-caption APPFILE LOOKUPS\n", stderr);
        return 2;
    }
    const QString appFile = QString::fromLocal8Bit(argv[1]);
    const int lookups = std::atoi(argv[2]);

    constexpr int entries = 100;
    QStringList keys;
    QStringList defaults;
    for (int i = 1; i <= entries; ++i) {
        keys << QStringLiteral("Win_Bench_Item%1").arg(i);
        defaults << QStringLiteral("解压完成！第%1项").arg(i);
    }

    const EZXLanguage probe(appFile, true);
    QFile::remove(probe.getAppLangCfg());
    for (int i = 0; i < entries; ++i)
        EZXLanguage(appFile, true).readLabelCaption(keys.at(i), defaults.at(i));

    std::vector<std::int64_t> times;
    times.reserve(size_t(lookups));
    for (int i = 0; i < lookups; ++i) {
        const int n = (i * 37) % entries;  // all over the file, not only its head
        const std::int64_t start = Stopwatch::nowNs();
        const QString caption = EZXLanguage(appFile, true).readLabelCaption(keys.at(n), QString());
        times.push_back(Stopwatch::nowNs() - start);
        if (caption != defaults.at(n)) {
            std::fprintf(stderr, "bench-caption: wrong caption for %s\n", qPrintable(keys.at(n)));
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("%lld %lld %d\n", static_cast<long long>(times[times.size() / 2]),
                static_cast<long long>(times[times.size() * 9 / 10]), lookups);
    return 0;
}
