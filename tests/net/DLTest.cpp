// The download control against a local HTTP responder.
#include "net/DL.h"
#include "HttpResponder.h"
#include "NetTestSupport.h"

#include <QDir>
#include <QNetworkProxy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace corvane {
namespace {

using nettest::WaitUntil;

class DownloadControl : public ::testing::Test {
protected:
    void SetUp() override { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }
    nettest::HttpResponder web;
    DL dl;
};

TEST_F(DownloadControl, GetURLReturnsTheReplyOrNothing) {
    web.routes["/ip"] = {"<body>Address: 10.0.0.7</body>"};
    web.routes["/none"] = {"gone", 0, 404};
    const std::pair<QString, QString> rows[] = {
        {web.Url("/ip"), "<body>Address: 10.0.0.7</body>"},
        {web.Url("/ip", false), "<body>Address: 10.0.0.7</body>"}, // "http://" added
        {web.Url("/none"), ""},                                    // a failure is no page
    };
    for (const auto& [url, expected] : rows) {
        EXPECT_EQ(dl.GetURL(url, 5), expected) << url.toStdString();
        EXPECT_FALSE(dl.Busy()); // a failure frees the control too
    }
    EXPECT_EQ(web.requests.count("GET /ip HTTP/1.1"), 2);
    // A scheme already given is kept, secure or in capitals.
    for (const QString url : {"https://a.example/", "HTTP://a.example/"})
        EXPECT_EQ(DL::NormaliseURL(url), url);
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
    EXPECT_EQ(dl.GetURL(web.Url("/ip"), 5), ""); // still busy with it
    ASSERT_TRUE(WaitUntil([&] { return !dl.Busy(); }));
    EXPECT_EQ(dl.LastResult(), "late page");
}

// A download lands under its destination name only when complete; a failed or
// cancelled one leaves the old file alone and no temporary file behind.
TEST_F(DownloadControl, DownloadRenamesOnlyACompleteFile) {
    QByteArray big(300 * 1024, '\0');
    for (qsizetype i = 0; i < big.size(); ++i) big[i] = char(i * 7 % 251);
    web.routes["/big"] = {big};
    web.routes["/missing"] = {"no", 0, 404};
    web.routes["/stalled"] = {"never", 5000};
    std::vector<std::pair<qint64, qint64>> progress;
    std::vector<qint64> completed;
    QObject::connect(&dl, &DL::Progress, [&](qint64 got, qint64 total, const QString& id) {
        if (id == "f") progress.emplace_back(got, total);
    });
    QObject::connect(&dl, &DL::Completed,
                     [&](qint64 bytes, const QString&) { completed.push_back(bytes); });
    for (const QString path : {"/big", "/missing", "/stalled"}) {
        SCOPED_TRACE(path.toStdString());
        const bool stored = path == "/big";
        progress.clear();
        completed.clear();
        QTemporaryDir folder;
        QFile file(folder.filePath("file.bin"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("old") == 3);
        file.close();
        ASSERT_TRUE(dl.Download(web.Url(path, false), file.fileName(), "f"));
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
        if (stored) {
            ASSERT_FALSE(progress.empty());
            EXPECT_EQ(progress.back(), std::make_pair(qint64(big.size()), qint64(big.size())));
        }
    }
}

} // namespace
} // namespace corvane
