#pragma once
// The end of a start-up benchmark: when a window's first paint event arrives,
// prints the wall clock in nanoseconds since the epoch and how long the
// process had been running (from the kernel's start time, 10 ms granularity);
// once that paint is done and sent to the screen, prints the wall clock again
// ("first-frame"), copies /proc/self/smaps to the file that
// POBLACION_BENCH_SMAPS names, if set, and quits the event loop. A launcher takes the differences
// with its own clock read just before it started the process.
//
// The paint event arrives before anything is drawn: what the first paint
// itself costs (for a window whose text is first measured there, the set-up
// of the fonts) falls between the two clocks.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace bench {

inline double secondsSinceProcessStart()
{
    std::ifstream statFile("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const double start = std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
    double uptime = 0;
    std::ifstream("/proc/uptime") >> uptime;
    return uptime - start;
}

// Installed as an event filter on the window.
class FirstPaint : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            const auto now = std::chrono::system_clock::now().time_since_epoch();
            std::printf("first-paint-epoch-ns %lld\nsince-process-start-s %.3f\n",
                        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                        secondsSinceProcessStart());
            std::fflush(stdout);
            // Runs once the paint, and the flush to the screen that ends it, are over.
            QMetaObject::invokeMethod(
                qApp,
                [] {
                    const auto drawn = std::chrono::system_clock::now().time_since_epoch();
                    std::printf("first-frame-epoch-ns %lld\n",
                                static_cast<long long>(
                                    std::chrono::duration_cast<std::chrono::nanoseconds>(drawn).count()));
                    std::fflush(stdout);
                    // Where the memory is at that moment, for startup.py --memory.
                    if (const char* copy = std::getenv("POBLACION_BENCH_SMAPS")) {
                        std::ifstream smaps("/proc/self/smaps");
                        std::ofstream(copy) << smaps.rdbuf();
                    }
                    QCoreApplication::quit();
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool done_ = false;
};

} // namespace bench
