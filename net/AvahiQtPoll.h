#pragma once
// AvahiQtPoll: Avahi's main-loop abstraction (AvahiPoll) on Qt's event loop.
// Avahi asks for file descriptors to be watched and for timeouts; here each
// watch is a pair of QSocketNotifiers and each timeout a single-shot QTimer,
// so the Avahi client runs its D-Bus traffic on the user-interface thread
// without ever blocking it.
//
// Every watch and timeout is a child of the poll object: destroy the Avahi
// client (which frees its own watches and timeouts) before the poll.
#include <QObject>
#include <avahi-common/watch.h>

namespace corvane {

class AvahiQtPoll {
public:
    AvahiQtPoll();
    ~AvahiQtPoll();
    AvahiQtPoll(const AvahiQtPoll&) = delete;
    AvahiQtPoll& operator=(const AvahiQtPoll&) = delete;

    // The table to hand to avahi_client_new().
    const AvahiPoll* api() const { return &api_; }

private:
    QObject owner_; // parent of the watches and timeouts
    AvahiPoll api_{};
};

} // namespace corvane
