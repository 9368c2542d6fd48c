// Address rules, the what-is-my-IP page and its download, reachability on loopback.
#include "HttpResponder.h"
#include "NetTestSupport.h"
#include "net/DL.h"
#include "net/modGetAddress.h"

#include <QDir>
#include <QHostAddress>
#include <QNetworkProxy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace corvane {
namespace {

using nettest::WaitUntil;

TEST(Addresses, TheLastTwoAreListedAndTheRestAreFurther) {
    const QStringList five{"10.0.0.1", "10.0.0.2", "10.0.0.3", "192.168.1.4", "172.17.0.1"};
    EXPECT_EQ(PickAddresses(five),
              (LocalAddresses{"192.168.1.4", "172.17.0.1", "10.0.0.1\n10.0.0.2\n10.0.0.3\n"}));
}

// The public address is asked for without a second local one, listed if it differs.
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
    for (const char* ip : {"127.0.0.1", "255.255.255.255", "0.0.0.0"}) EXPECT_TRUE(IsIP(ip)) << ip;
    for (const char* text : {"256.1.1.1", "1.2.3", "1.2.3.4.5", "1.2..4", "-1.2.3.4", " 1.2.3.4",
                             "1.2.3.4 ", "1e2.1.1.1", "0001.2.3.4", "localhost", ""})
        EXPECT_FALSE(IsIP(text)) << text;
}

// Names go through the test's resolver; loopback answers every echo kind that opens.
TEST(Addresses, FindServerResolvesNamesAndEchoesAddresses) {
    const std::uint32_t loopback = QHostAddress("127.0.0.1").toIPv4Address();
    QStringList asked;
    const NameResolver resolver = [&](const QString& name, QObject*,
                                      std::function<void(IPv4List)> done) {
        asked << name;
        done(name == "casa" ? IPv4List{loopback} : IPv4List{});
    };
    for (const auto& [text, found] : {std::pair{"casa", true},
                                      {"nao.existe", false},
                                      {"127.0.0.1", true},
                                      {"999.0.0.1", false}}) {
        std::optional<bool> answer;
        QObject context;
        FindServer(
            text, &context, [&](bool f) { answer = f; }, resolver);
        WaitUntil([&] { return answer.has_value(); });
        EXPECT_EQ(answer, found) << text;
    }
    EXPECT_EQ(asked, (QStringList{"casa", "nao.existe", "999.0.0.1"}));
    for (const EchoKind kind : {EchoKind::IcmpDatagram, EchoKind::IcmpRaw, EchoKind::TcpProbe}) {
        std::optional<bool> answered;
        QObject context;
        if (!StartEcho(loopback, kind, 2000, &context, [&](bool a) { answered = a; })) {
            EXPECT_NE(kind, EchoKind::TcpProbe); // always allowed
            continue;
        }
        WaitUntil([&] { return answered.has_value(); });
        EXPECT_EQ(answered, true) << int(kind);
    }
}

class DownloadControl : public ::testing::Test {
protected:
    void SetUp() override { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }
    nettest::HttpResponder web;
    DL dl;
};

// One fetch at a time; a failure is no page; a reply after the timeout is kept.
TEST_F(DownloadControl, GetURLWaitsOneFetchAtATime) {
    web.routes["/ip"] = {"page", 300};
    web.routes["/none"] = {"gone", 0, 404};
    web.routes["/slow"] = {"late page", 1500};
    EXPECT_EQ(dl.GetURL(web.Url("/none"), 5), "");
    QString nested = "unset";
    QTimer::singleShot(50, [&] { nested = dl.GetURL(web.Url("/ip"), 5); });
    EXPECT_EQ(dl.GetURL(web.Url("/ip", false), 5), "page"); // "http://" added
    EXPECT_EQ(nested, "");
    EXPECT_EQ(web.requests.count("GET /ip HTTP/1.1"), 1);
    EXPECT_EQ(dl.GetURL(web.Url("/slow"), 1), "");
    EXPECT_EQ(dl.GetURL(web.Url("/ip"), 5), ""); // still busy with it
    ASSERT_TRUE(WaitUntil([&] { return !dl.Busy(); }));
    EXPECT_EQ(dl.LastResult(), "late page");
}

// A page that never ends, or never finishes, is given up by its bounds: the
// transfer ends, the fetch is free again, the last good page stays the last
// result; a download beyond the size allowed stores nothing.
TEST_F(DownloadControl, EndlessPagesAreGivenUp) {
    web.routes["/ip"] = {"Address: 10.1.2.3</"};
    web.routes["/endless"] = {QByteArray(8192, 'x'), 0, 200, 1};
    web.routes["/drip"] = {"x", 0, 200, 300};
    ASSERT_EQ(dl.GetURL(web.Url("/ip"), 5), "Address: 10.1.2.3</");
    const std::pair<const char*, qint16> fetches[] = {{"/endless", 20}, {"/drip", 1}};
    for (const auto& [path, wait] : fetches) {
        SCOPED_TRACE(path);
        const int gone = web.clientsGone;
        EXPECT_EQ(dl.GetURL(web.Url(path), wait), "");
        EXPECT_TRUE(WaitUntil([&] { return !dl.Busy() && web.clientsGone > gone; }, 15000));
        EXPECT_EQ(dl.LastResult(), "Address: 10.1.2.3</");
    }
    QTemporaryDir folder;
    const int gone = web.clientsGone;
    ASSERT_TRUE(dl.Download(web.Url("/endless"), folder.filePath("big.bin"), "big", 200000));
    EXPECT_TRUE(WaitUntil([&] { return !dl.Downloading("big") && web.clientsGone > gone; }, 15000));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{});
}

// Only a complete download replaces the file; no temporary file stays behind.
TEST_F(DownloadControl, DownloadRenamesOnlyACompleteFile) {
    QByteArray big(300 * 1024, '\0');
    for (qsizetype i = 0; i < big.size(); ++i) big[i] = char(i * 7 % 251);
    web.routes["/big"] = {big};
    web.routes["/missing"] = {"no", 0, 404};
    web.routes["/stalled"] = {"never", 5000};
    std::vector<qint64> completed;
    QObject::connect(&dl, &DL::Completed,
                     [&](qint64 bytes, const QString&) { completed.push_back(bytes); });
    for (const QString path : {"/big", "/missing", "/stalled"}) {
        SCOPED_TRACE(path.toStdString());
        const bool stored = path == "/big";
        completed.clear();
        QTemporaryDir folder;
        QFile file(folder.filePath("file.bin"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("old") == 3);
        file.close();
        // The whole file is allowed, and not a byte more.
        ASSERT_TRUE(dl.Download(web.Url(path, false), file.fileName(), "f", big.size()));
        EXPECT_FALSE(dl.Download(web.Url(path), file.fileName(), "f")); // name in use
        if (path == "/stalled") {
            ASSERT_TRUE(WaitUntil([&] { return web.requests.contains("GET /stalled HTTP/1.1"); }));
            dl.CancelDownload("f");
        }
        ASSERT_TRUE(WaitUntil([&] { return !dl.Downloading("f"); }));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), stored ? big : QByteArray("old"));
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"file.bin"});
        EXPECT_EQ(completed, stored ? std::vector<qint64>{big.size()} : std::vector<qint64>{});
    }
}

} // namespace
} // namespace corvane
