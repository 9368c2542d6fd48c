#include "net/AvahiQtPoll.h"

#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <sys/time.h>

// Avahi declares these two types and leaves them to the main loop. A freed one
// is only disabled and deleted later: Avahi frees watches and timeouts from
// inside their own callbacks, while the notifier or timer is still signalling.
struct AvahiWatch : QObject {
    AvahiWatch(QObject* parent, int fd, AvahiWatchCallback cb, void* data)
        : QObject(parent), read(fd, QSocketNotifier::Read, this),
          write(fd, QSocketNotifier::Write, this), callback(cb), userdata(data) {}

    void Enable(AvahiWatchEvent events) {
        read.setEnabled((events & AVAHI_WATCH_IN) != 0);
        write.setEnabled((events & AVAHI_WATCH_OUT) != 0);
    }
    void Fire(AvahiWatchEvent event) {
        if (freed) return;
        happened = event;
        callback(this, int(read.socket()), event, userdata);
        if (!freed) happened = AvahiWatchEvent(0);
    }

    QSocketNotifier read;
    QSocketNotifier write;
    AvahiWatchCallback callback;
    void* userdata;
    AvahiWatchEvent happened = AvahiWatchEvent(0);
    bool freed = false;
};

struct AvahiTimeout : QObject {
    AvahiTimeout(QObject* parent, AvahiTimeoutCallback cb, void* data)
        : QObject(parent), timer(this), callback(cb), userdata(data) {
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, this, [this] {
            if (!freed) callback(this, userdata);
        });
    }

    // tv is a time of day (Avahi's absolute time); null disarms.
    void Arm(const struct timeval* tv) {
        if (tv == nullptr) {
            timer.stop();
            return;
        }
        struct timeval now {};
        gettimeofday(&now, nullptr);
        const long long ms =
            (tv->tv_sec - now.tv_sec) * 1000LL + (tv->tv_usec - now.tv_usec) / 1000;
        timer.start(std::chrono::milliseconds(ms < 0 ? 0 : ms));
    }

    QTimer timer;
    AvahiTimeoutCallback callback;
    void* userdata;
    bool freed = false;
};

namespace corvane {
namespace {

QObject* OwnerOf(const AvahiPoll* api) {
    return static_cast<QObject*>(api->userdata);
}

AvahiWatch* WatchNew(const AvahiPoll* api, int fd, AvahiWatchEvent events,
                     AvahiWatchCallback callback, void* userdata) {
    auto* w = new AvahiWatch(OwnerOf(api), fd, callback, userdata);
    QObject::connect(&w->read, &QSocketNotifier::activated, w, [w] { w->Fire(AVAHI_WATCH_IN); });
    QObject::connect(&w->write, &QSocketNotifier::activated, w, [w] { w->Fire(AVAHI_WATCH_OUT); });
    w->Enable(events);
    return w;
}

void WatchUpdate(AvahiWatch* w, AvahiWatchEvent events) {
    w->Enable(events);
}

AvahiWatchEvent WatchGetEvents(AvahiWatch* w) {
    return w->happened;
}

void WatchFree(AvahiWatch* w) {
    w->freed = true;
    w->Enable(AvahiWatchEvent(0));
    w->deleteLater();
}

AvahiTimeout* TimeoutNew(const AvahiPoll* api, const struct timeval* tv,
                         AvahiTimeoutCallback callback, void* userdata) {
    auto* t = new AvahiTimeout(OwnerOf(api), callback, userdata);
    t->Arm(tv);
    return t;
}

void TimeoutUpdate(AvahiTimeout* t, const struct timeval* tv) {
    t->Arm(tv);
}

void TimeoutFree(AvahiTimeout* t) {
    t->freed = true;
    t->timer.stop();
    t->deleteLater();
}

} // namespace

AvahiQtPoll::AvahiQtPoll() {
    api_.userdata = &owner_;
    api_.watch_new = WatchNew;
    api_.watch_update = WatchUpdate;
    api_.watch_get_events = WatchGetEvents;
    api_.watch_free = WatchFree;
    api_.timeout_new = TimeoutNew;
    api_.timeout_update = TimeoutUpdate;
    api_.timeout_free = TimeoutFree;
}

AvahiQtPoll::~AvahiQtPoll() = default;

} // namespace corvane
