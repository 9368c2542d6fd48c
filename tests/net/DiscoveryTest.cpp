// The discovery layer inside one process: what it makes of announced texts,
// the switch that turns it off, and a machine without the mDNS service. The
// real publishing, browsing and router mapping are in the Netns tests.
#include "net/Discovery.h"
#include "net/PortMapping.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace corvane;

TEST(Discovery, AnnouncedTextsAreCleanedAndCut) {
    const struct {
        QString in;
        int max;
        QString out;
    } rows[] = {
        {"ANA", 20, "ANA"},
        {"  ANA  ", 20, "ANA"},
        {"A\tN\nA\x1b[31m", 20, "ANA[31m"},
        {QString("ANA") + QChar(0x202E) + "ATOR", 20, "ANAATOR"}, // right-to-left override
        {QString("J") + QChar(0x200B) + "O", 20, "JO"},           // zero-width space
        {"abcdefghijklmnopqrstuvwxyz", 20, "abcdefghijklmnopqrst"},
        {"abcdefghijklmnopqrs tuvwxyz", 20, "abcdefghijklmnopqrs"}, // no trailing blank
        {"José Conceição", 20, "José Conceição"},
        {"<b>ANA</b>", 20, "<b>ANA</b>"}, // markup stays text: windows show it as plain text
        {"", 20, ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(CleanAnnouncedText(r.in, r.max), r.out) << qPrintable(r.in);
}

TEST(Discovery, LabelNamesNickHostAndAddress) {
    EXPECT_EQ((FoundGame{"ANA", "ana-laptop", "192.168.0.10", 1243}).Label(),
              "ANA em ana-laptop (192.168.0.10)");
    EXPECT_EQ((FoundGame{"", "ana-laptop", "192.168.0.10", 1243}).Label(),
              "ana-laptop (192.168.0.10)");
}

// The switch the tests run under: nothing is published, browsed or mapped,
// and the dialog's note says that the search is off.
TEST(Discovery, SwitchTurnsPublishingBrowsingAndMappingOff) {
    ASSERT_TRUE(DiscoveryOff()) << "the tests run with CORVANE_NO_DISCOVERY set";
    const QByteArray saved = qgetenv("CORVANE_NO_DISCOVERY");
    for (const char* value : {"0", ""}) {
        qputenv("CORVANE_NO_DISCOVERY", value);
        EXPECT_FALSE(DiscoveryOff()) << value;
    }
    qputenv("CORVANE_NO_DISCOVERY", saved);

    GamePublisher publisher;
    publisher.Start("ANA", 1243);
    EXPECT_EQ(publisher.state(), GamePublisher::State::Disabled);
    GameBrowser browser;
    browser.Start();
    EXPECT_EQ(browser.state(), GameBrowser::State::Disabled);
    EXPECT_EQ(browser.Note(), "A busca de jogos na rede local está desligada.");
    PortMapper mapper;
    mapper.Start(1243);
    EXPECT_EQ(mapper.outcome(), PortMapper::Outcome::Disabled);
    EXPECT_EQ(mapper.Note(), "");
}

// No system bus at all (no daemon could answer): the states a dialog shows as
// "no mDNS service", reached without waiting and without blocking.
TEST(Discovery, WithoutTheSystemBusBothSayThereIsNoService) {
    const QByteArray savedSwitch = qgetenv("CORVANE_NO_DISCOVERY");
    const QByteArray savedBus = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    qunsetenv("CORVANE_NO_DISCOVERY");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/corvane-test-bus");
    {
        GameBrowser browser;
        QSignalSpy changes(&browser, &GameBrowser::StateChanged);
        browser.Start();
        EXPECT_EQ(browser.state(), GameBrowser::State::NoService);
        EXPECT_EQ(changes.count(), 1);
        EXPECT_EQ(browser.Note(),
                  "Nenhum serviço mDNS neste computador: informe o nome ou IP do servidor.");
        EXPECT_TRUE(browser.Games().empty());
        GamePublisher publisher;
        publisher.Start("ANA", 1243);
        EXPECT_EQ(publisher.state(), GamePublisher::State::NoService);
        publisher.Stop();
        EXPECT_EQ(publisher.state(), GamePublisher::State::Stopped);
        EXPECT_EQ(publisher.ServiceName(), "");
    }
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", savedBus);
    if (savedBus.isNull()) qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    qputenv("CORVANE_NO_DISCOVERY", savedSwitch);
}
