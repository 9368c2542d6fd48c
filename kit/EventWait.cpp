#include "kit/EventWait.h"

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
    // Looked at on every turn of the loop: before it sleeps (every event that
    // could change the condition has been handled) and as it wakes up.
    const auto look = [&] {
        if (done()) loop.quit();
    };
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    const QMetaObject::Connection beforeSleep =
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, look);
    const QMetaObject::Connection onWaking =
        QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, &loop, look);
    loop.exec();
    QObject::disconnect(beforeSleep);
    QObject::disconnect(onWaking);
    return done();
}

void RunEventsFor(int ms, const std::function<bool()>& stop) {
    const std::function<bool()> never = [] { return false; };
    RunEventsUntil(stop ? stop : never, std::max(ms, 0));
}

int ShowModally(QDialog& dialog) {
    dialog.setResult(0);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    RunEventsUntil([&dialog] { return !dialog.isVisible(); });
    return dialog.result();
}

} // namespace corvane
