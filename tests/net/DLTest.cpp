// The download control against a local HTTP responder.
#include "net/DL.h"
#include "HttpResponder.h"
#include "NetTestSupport.h"

#include <QDir>
#include <QNetworkProxy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace corvane {
namespace {

using nettest::HttpResponder;
using nettest::WaitUntil;

class DownloadControl : public ::testing::Test {
protected:
    void SetUp() override { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }
    HttpResponder web;
    DL dl;
};

TEST(DLNormalise, SchemeIsAddedOnlyWhenMissing) {
    const std::pair<QString, QString> rows[] = {
        {"checkip.example/", "http://checkip.example/"},
        {"http://checkip.example/", "http://checkip.example/"},
        {"HTTPS://checkip.example/", "HTTPS://checkip.example/"},
        {"", "http://"},
    };
    for (const auto& [given, expected] : rows) EXPECT_EQ(DL::NormaliseURL(given), expected);
}

TEST_F(DownloadControl, GetURLReturnsTheReplyOrNothing) {
    web.routes["/ip"] = {"<body>Address: 10.0.0.7</body>"};
    web.routes["/none"] = {"gone", 0, 404};
    const struct {
        QString url;
        QString expected;
    } rows[] = {
        {web.Url("/ip"), "<body>Address: 10.0.0.7</body>"},
        {web.Url("/ip", false), "<body>Address: 10.0.0.7</body>"}, // "http://" added
        {web.Url("/none"), ""},                                    // failure, not a page
    };
    for (const auto& row : rows) {
        EXPECT_EQ(dl.GetURL(row.url, 5), row.expected) << row.url.toStdString();
        EXPECT_FALSE(dl.Busy()); // a failure frees the control too
    }
    EXPECT_EQ(web.requests.count("GET /ip HTTP/1.1"), 2);
}

TEST_F(DownloadControl, GetURLWaitsOneFetchAtATimeAndKeepsALateReply) {
    web.routes["/slow"] = {"late page", 1500};
    web.routes["/ip"] = {"page", 300};
    // A second call while the first waits returns at once with nothing.
    QString nested = "unset";
    QTimer::singleShot(50, [&] { nested = dl.GetURL(web.Url("/ip"), 5); });
    EXPECT_EQ(dl.GetURL(web.Url("/ip"), 5), "page");
    EXPECT_EQ(nested, "");
    EXPECT_EQ(web.requests.size(), 1);

    // The reply comes after the timeout: nothing returned, but kept once it arrives.
    EXPECT_EQ(dl.GetURL(web.Url("/slow"), 1), "");
    EXPECT_TRUE(dl.Busy());
    EXPECT_EQ(dl.GetURL(web.Url("/ip"), 5), "");
    ASSERT_TRUE(WaitUntil([&] { return !dl.Busy(); }));
    EXPECT_EQ(dl.LastResult(), "late page");
}

// A download lands under its destination name only when complete; anything
// else leaves the old file alone and no temporary file behind.
TEST_F(DownloadControl, DownloadRenamesOnlyACompleteFile) {
    QByteArray big(300 * 1024, '\0');
    for (qsizetype i = 0; i < big.size(); ++i) big[i] = char(i * 7 % 251);
    web.routes["/big"] = {big};
    web.routes["/missing"] = {"no", 0, 404};
    web.routes["/stalled"] = {"never", 5000};
    const struct {
        QString path;
        bool cancel;
        bool stored;
    } rows[] = {{"/big", false, true}, {"/missing", false, false}, {"/stalled", true, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        QTemporaryDir folder;
        const QString destination = folder.filePath("file.bin");
        QFile old(destination);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        std::vector<std::pair<qint64, qint64>> progress;
        std::vector<qint64> completed;
        QObject::connect(&dl, &DL::Progress, &dl, [&](qint64 got, qint64 total, const QString& id) {
            if (id == "f") progress.emplace_back(got, total);
        });
        QObject::connect(&dl, &DL::Completed, &dl, [&](qint64 bytes, const QString& id) {
            if (id == "f") completed.push_back(bytes);
        });
        ASSERT_TRUE(dl.Download(web.Url(row.path, false), destination, "f"));
        EXPECT_FALSE(dl.Download(web.Url(row.path), destination, "f")); // name in use
        if (row.cancel) {
            ASSERT_TRUE(WaitUntil([&] { return web.requests.contains("GET /stalled HTTP/1.1"); }));
            dl.CancelDownload("f");
        }
        ASSERT_TRUE(WaitUntil([&] { return !dl.Downloading("f"); }));
        nettest::Pump(50);
        QFile stored(destination);
        ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
        EXPECT_EQ(stored.readAll(), row.stored ? big : QByteArray("old"));
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"file.bin"});
        EXPECT_EQ(completed, row.stored ? std::vector<qint64>{big.size()} : std::vector<qint64>{});
        if (row.stored) {
            ASSERT_FALSE(progress.empty());
            EXPECT_EQ(progress.back(), std::make_pair(qint64(big.size()), qint64(big.size())));
            for (const auto& [got, total] : progress) EXPECT_EQ(total, big.size());
        }
        dl.disconnect(&dl);
    }
}

} // namespace
} // namespace corvane
