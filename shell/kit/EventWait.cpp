#include "shell/kit/EventWait.h"

#include <QAbstractEventDispatcher>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace corvane {

bool RunEventsUntil(const std::function<bool()>& done, int limitMs) {
    if (done()) return true;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (limitMs >= 0) limit.start(limitMs);
    // The loop is about to sleep: every event that could change the condition
    // has been handled.
    const QMetaObject::Connection look = QObject::connect(
        QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
            if (done()) loop.quit();
        });
    loop.exec();
    QObject::disconnect(look);
    return done();
}

void RunEventsFor(int ms, const std::function<bool()>& stop) {
    RunEventsUntil(
        stop ? stop : [] { return false; }, std::max(ms, 0));
}

int ShowModally(QDialog& dialog) {
    dialog.setResult(0);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    RunEventsUntil([&dialog] { return !dialog.isVisible(); });
    return dialog.result();
}

} // namespace corvane
