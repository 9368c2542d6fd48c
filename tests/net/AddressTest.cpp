// The address rules, the what-is-my-IP page, and the reachability check on
// loopback (names go through a resolver of the test's own).
#include "NetTestSupport.h"
#include "net/modGetAddress.h"

#include <QHostAddress>
#include <gtest/gtest.h>
#include <optional>

namespace corvane {
namespace {

TEST(Addresses, TheLastTwoAreListedAndTheRestAreFurther) {
    const QStringList five{"10.0.0.1", "10.0.0.2", "10.0.0.3", "192.168.1.4", "172.17.0.1"};
    const struct {
        QStringList found;
        LocalAddresses expected;
    } rows[] = {
        {{}, {NoIP, NoIP, NoIP}},
        {{"192.168.1.4"}, {"192.168.1.4", NoIP, NoIP}},
        {{"192.168.1.4", "10.0.0.2"}, {"192.168.1.4", "10.0.0.2", NoIP}},
        {five, {"192.168.1.4", "172.17.0.1", "10.0.0.1\n10.0.0.2\n10.0.0.3\n"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(PickAddresses(row.found), row.expected) << row.found.join(',').toStdString();
}

// The public address is asked for only when there is no second local one, and
// listed only when it is an address other than the first.
TEST(Addresses, HostListsThePublicAddressOnlyWhenItHelps) {
    const struct {
        QStringList found;
        QString page;
        QStringList listed;
        bool asked;
    } rows[] = {
        {{}, "Current IP Address: 203.0.113.9</body>", {NoIP, "203.0.113.9"}, true},
        {{"192.168.1.4"}, "<b>address: 203.0.113.9 </b>", {"192.168.1.4", "203.0.113.9"}, true},
        {{"192.168.1.4"}, "Address: 192.168.1.4</body>", {"192.168.1.4"}, true},
        {{"192.168.1.4"}, "Address: 300.1.1.1</body>", {"192.168.1.4"}, true},
        {{"192.168.1.4"}, "Address: 203.0.113.9", {"192.168.1.4"}, true}, // no "</"
        {{"192.168.1.4"}, "", {"192.168.1.4"}, true},                     // page not fetched
        {{"192.168.1.4", "10.0.0.2"}, "Address: 203.0.113.9</", {"192.168.1.4", "10.0.0.2"}, false},
    };
    for (const auto& row : rows) {
        bool asked = false;
        const QStringList listed = HostAddressList(PickAddresses(row.found), [&] {
            asked = true;
            return PublicAddressFromPage(row.page);
        });
        EXPECT_EQ(listed, row.listed) << row.page.toStdString();
        EXPECT_EQ(asked, row.asked) << row.page.toStdString();
    }
}

TEST(Addresses, IsIPWantsFourNumbersUpTo255) {
    const std::pair<const char*, bool> rows[] = {
        {"127.0.0.1", true},   {"255.255.255.255", true}, {"0.0.0.0", true},   {"256.1.1.1", false},
        {"1.2.3", false},      {"1.2.3.4.5", false},      {"1.2..4", false},   {"a.b.c.d", false},
        {"-1.2.3.4", false},   {" 1.2.3.4", false},       {"1.2.3.4 ", false}, {"1e2.1.1.1", false},
        {"0001.2.3.4", false}, {"localhost", false},      {"", false},
    };
    for (const auto& [text, ip] : rows) EXPECT_EQ(IsIP(text), ip) << text;
}

// Names go through the test's resolver; an address gets an echo of the first
// kind the system allows, and loopback answers every kind that can be opened.
TEST(Addresses, FindServerResolvesNamesAndEchoesAddresses) {
    const std::uint32_t loopback = QHostAddress("127.0.0.1").toIPv4Address();
    QStringList asked;
    const NameResolver resolver = [&](const QString& name, QObject*,
                                      std::function<void(IPv4List)> done) {
        asked << name;
        done(name == "casa" ? IPv4List{loopback} : IPv4List{});
    };
    const auto check = [&](const QString& text) {
        std::optional<bool> found;
        QObject context;
        FindServer(
            text, &context, [&](bool f) { found = f; }, resolver);
        nettest::WaitUntil([&] { return found.has_value(); });
        return found;
    };
    EXPECT_EQ(check("casa"), true);
    EXPECT_EQ(check("nao.existe.invalid"), false);
    EXPECT_EQ(check("127.0.0.1"), true);
    EXPECT_EQ(check("999.0.0.1"), false); // not an address: looked up as a name
    EXPECT_EQ(asked, (QStringList{"casa", "nao.existe.invalid", "999.0.0.1"}));

    for (const EchoKind kind : {EchoKind::IcmpDatagram, EchoKind::IcmpRaw, EchoKind::TcpProbe}) {
        std::optional<bool> answered;
        QObject context;
        if (!StartEcho(loopback, kind, 2000, &context, [&](bool a) { answered = a; })) {
            EXPECT_NE(kind, EchoKind::TcpProbe); // always allowed
            continue;
        }
        nettest::WaitUntil([&] { return answered.has_value(); });
        EXPECT_EQ(answered, true) << int(kind);
    }
}

} // namespace
} // namespace corvane
