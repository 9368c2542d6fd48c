// Games on the local network, between machines made of network namespaces:
// each has its own D-Bus system bus and avahi-daemon (tests/net/lab), and a
// probe program drives the publisher or browser in it.
#include "net/lab/NetnsLab.h"

#include <gtest/gtest.h>

using namespace corvane::lab;
using RE = QRegularExpression;

namespace {

// A machine of the test network with its own mDNS service, running the probe.
Probe Machine(const QString& ns, const QString& hostName, const QStringList& env = {}) {
    return Probe(ns,
                 {"unshare", "--mount", "--propagation", "private", LabScript("mdns-host.sh"),
                  hostName, "eth0", ProbeProgram()},
                 env);
}

// Starts the machine's avahi-daemon again, in the probe's own mount namespace
// (where its bus is), once the one killed is gone.
void StartDaemonAgain(NetnsLab& lab, const QString& ns, const Probe& probe) {
    ASSERT_TRUE(lab.WaitUntilGone(ns, "avahi-daemon"));
    lab.Exec(ns, {"nsenter", "--target", QString::number(probe.Pid()), "--mount", "avahi-daemon",
                  "-f", "/run/corvane-lab/avahi.conf", "--no-drop-root", "--no-chroot",
                  "--no-rlimits", "-D"});
}

#define SKIP_WITHOUT_LAB()                                                                         \
    if (const QString why = NetnsLab::Unavailable({"dbus-daemon", "avahi-daemon"});                \
        !why.isEmpty())                                                                            \
    GTEST_SKIP() << qPrintable(why)

} // namespace

TEST(NetnsDiscovery, JoinerListsTheHostWhileItPublishesAndWhileItsDaemonRuns) {
    SKIP_WITHOUT_LAB();
    NetnsLab lab;
    const QString hostNs = lab.Add("host");
    const QString joinNs = lab.Add("join");
    lab.Link(hostNs, "eth0", "10.77.0.1/24", joinNs, "eth0", "10.77.0.2/24");
    Probe host = Machine(hostNs, "ana-laptop");
    Probe join = Machine(joinNs, "bia-desktop");

    join.Send("browse");
    ASSERT_FALSE(join.WaitFor(RE("^browser Browsing")).isEmpty()) << qPrintable(join.Seen());
    host.Send("publish ANA 1243");
    ASSERT_FALSE(host.WaitFor(RE("^publisher Published ANA$")).isEmpty())
        << qPrintable(host.Seen());
    EXPECT_FALSE(join.WaitFor(RE("^games ANA em ana-laptop \\(10\\.77\\.0\\.1\\):1243$")).isEmpty())
        << qPrintable(join.Seen());

    // Hosting ends: the game leaves the list.
    host.Send("unpublish");
    EXPECT_FALSE(join.WaitFor(RE("^games $")).isEmpty()) << qPrintable(join.Seen());

    // Published again, then the joiner's daemon stops: the list empties and
    // says why, instead of showing games nobody keeps current.
    host.Send("publish ANA 1243");
    ASSERT_FALSE(join.WaitFor(RE("^games ANA em")).isEmpty()) << qPrintable(join.Seen());
    lab.Kill(joinNs, "avahi-daemon");
    EXPECT_FALSE(join.WaitFor(RE("^browser NoService Nenhum serviço mDNS")).isEmpty())
        << qPrintable(join.Seen());
    EXPECT_FALSE(join.WaitFor(RE("^games $")).isEmpty()) << qPrintable(join.Seen());

    // The daemon is started again: browsing resumes by itself.
    StartDaemonAgain(lab, joinNs, join);
    EXPECT_FALSE(join.WaitFor(RE("^browser Browsing")).isEmpty()) << qPrintable(join.Seen());
    EXPECT_FALSE(join.WaitFor(RE("^games ANA em ana-laptop")).isEmpty()) << qPrintable(join.Seen());

    // And on the host's side: the game is announced again.
    lab.Kill(hostNs, "avahi-daemon");
    EXPECT_FALSE(host.WaitFor(RE("^publisher NoService$")).isEmpty()) << qPrintable(host.Seen());
    StartDaemonAgain(lab, hostNs, host);
    EXPECT_FALSE(host.WaitFor(RE("^publisher Published ANA$")).isEmpty())
        << qPrintable(host.Seen());
}

TEST(NetnsDiscovery, TwoHostsWithOneNickAreBothListed) {
    SKIP_WITHOUT_LAB();
    // Two hosts and the joiner on one segment: a bridge in the joiner's namespace.
    NetnsLab lab;
    const QString joinNs = lab.Add("join");
    const QString aNs = lab.Add("a");
    const QString bNs = lab.Add("b");
    lab.Exec(joinNs, {"ip", "link", "add", "br0", "type", "bridge"});
    lab.Exec(joinNs, {"ip", "addr", "add", "10.77.0.3/24", "dev", "br0"});
    lab.Exec(joinNs, {"ip", "link", "set", "br0", "up"});
    for (const auto& [ns, port, address] :
         {std::tuple{aNs, "pa", "10.77.0.1/24"}, std::tuple{bNs, "pb", "10.77.0.2/24"}}) {
        lab.Link(joinNs, port, "", ns, "eth0", address);
        lab.Exec(joinNs, {"ip", "link", "set", port, "master", "br0"});
    }
    Probe a = Machine(aNs, "casa-a");
    Probe b = Machine(bNs, "casa-b");
    Probe join = Probe(joinNs, {"unshare", "--mount", "--propagation", "private",
                                LabScript("mdns-host.sh"), "sala", "br0", ProbeProgram()});

    a.Send("publish ANA 1243");
    ASSERT_FALSE(a.WaitFor(RE("^publisher Published ANA$")).isEmpty()) << qPrintable(a.Seen());
    // The second announcement of the name meets the first on the network and
    // takes another one; its record still carries the nick.
    b.Send("publish ANA 1250");
    ASSERT_FALSE(b.WaitFor(RE("^publisher Published ANA #2$")).isEmpty()) << qPrintable(b.Seen());
    join.Send("browse");
    // Both games under the same nick, told apart by their machines.
    const RE both("^games ANA em casa-(a|b) \\(10\\.77\\.0\\.[12]\\):12(43|50);"
                  "ANA em casa-(a|b) \\(10\\.77\\.0\\.[12]\\):12(43|50)$");
    const QString line = join.WaitFor(both);
    ASSERT_FALSE(line.isEmpty()) << qPrintable(join.Seen());
    EXPECT_TRUE(line.contains("casa-a (10.77.0.1):1243")) << qPrintable(line);
    EXPECT_TRUE(line.contains("casa-b (10.77.0.2):1250")) << qPrintable(line);
}

TEST(NetnsDiscovery, WithoutAnMdnsDaemonTheListStaysEmptyWithANote) {
    SKIP_WITHOUT_LAB();
    NetnsLab lab;
    const QString ns = lab.Add("alone");
    Probe alone = Machine(ns, "sozinho", {"CORVANE_LAB_NO_AVAHI=1"});
    alone.Send("browse");
    alone.Send("publish ANA 1243");
    EXPECT_FALSE(alone
                     .WaitFor(RE("^browser NoService Nenhum serviço mDNS neste computador: "
                                 "informe o nome ou IP do servidor\\.$"))
                     .isEmpty())
        << qPrintable(alone.Seen());
    EXPECT_FALSE(alone.WaitFor(RE("^publisher NoService$")).isEmpty()) << qPrintable(alone.Seen());
}
