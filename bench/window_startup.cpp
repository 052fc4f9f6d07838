// Start-up as the program does it (application, icon, main window on the
// embedded catalogue), ending at the window's first paint. Prints the wall
// clock then, in nanoseconds since the epoch, and how long the process had
// been running (from the kernel's start time, 10 ms granularity), so that a
// launcher can take the difference with its own clock before the start.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "application.h"
#include "mainwindow.h"

namespace {

double secondsSinceProcessStart()
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
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool done_ = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    ui::prepareApplication();
    MainWindow window;
    FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.show();
    QApplication::exec();
    return window.catalogueLoaded() ? 0 : 2;
}
