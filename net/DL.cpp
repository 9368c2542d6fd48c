#include "net/DL.h"

#include "files/Windows1252.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

namespace corvane {
namespace {

// A transfer that stays silent this long is dropped, so that a server which
// never answers cannot keep GetURL busy for good.
constexpr int kStalledMs = 60000;

QNetworkRequest Request(const QString& url) {
    QNetworkRequest request(QUrl(DL::NormaliseURL(url)));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(kStalledMs);
    return request;
}

} // namespace

// A download on its way: the reply and the temporary file beside the
// destination, renamed over it only once everything has arrived.
struct DL::Pending {
    QPointer<QNetworkReply> reply;
    std::unique_ptr<QSaveFile> file;
    qint64 bytes = 0;
    qint64 maxBytes = DownloadMaxBytes;
};

DL::DL(QObject* parent) : QObject(parent) {}

DL::~DL() {
    StopWaiting();
    for (QNetworkReply* reply : manager_.findChildren<QNetworkReply*>()) reply->disconnect(this);
}

QString DL::NormaliseURL(const QString& url) {
    // A URL that names its web scheme already (in any case, secure or not) is
    // kept: "http://" in front of "https://..." would make it unusable.
    for (const QLatin1StringView scheme :
         {QLatin1StringView("http://"), QLatin1StringView("https://")})
        if (url.startsWith(scheme, Qt::CaseInsensitive)) return url;
    return QStringLiteral("http://") + url;
}

QString DL::GetURL(const QString& url, qint16 timeoutSeconds) {
    if (busy_) return {};
    busy_ = true;
    fetchFinished_ = false;
    fetchOk_ = false;
    QNetworkReply* reply = manager_.get(Request(url));
    connect(reply, &QNetworkReply::finished, this, [this, reply] { FetchDone(reply); });
    // Past either bound the transfer ends; its finish clears the busy flag.
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
        if (received > GetURLMaxBytes || total > GetURLMaxBytes) reply->abort();
    });
    QTimer::singleShot(GetURLTimeFactor * 1000 * std::max<int>(1, timeoutSeconds), reply,
                       [reply] { reply->abort(); });

    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(std::max<int>(0, timeoutSeconds) * 1000);
    waiting_ = &loop;
    if (!fetchFinished_) loop.exec();
    waiting_ = nullptr;
    return fetchFinished_ && fetchOk_ ? lastResult_ : QString();
}

void DL::StopWaiting() {
    if (waiting_) waiting_->quit();
}

void DL::FetchDone(QNetworkReply* reply) {
    reply->deleteLater();
    if (reply->error() == QNetworkReply::NoError) {
        lastResult_ = DecodeWindows1252(reply->readAll());
        fetchOk_ = true;
    }
    fetchFinished_ = true;
    busy_ = false;
    StopWaiting();
}

bool DL::Download(const QString& sWWWFile, const QString& sDestination, const QString& sID,
                  qint64 maxBytes) {
    if (downloads_.count(sID) != 0) return false;
    auto pending = std::make_unique<Pending>();
    pending->maxBytes = maxBytes;
    pending->file = std::make_unique<QSaveFile>(sDestination);
    if (!pending->file->open(QIODevice::WriteOnly)) return false;
    QNetworkReply* reply = manager_.get(Request(sWWWFile));
    pending->reply = reply;
    downloads_[sID] = std::move(pending);
    connect(reply, &QNetworkReply::readyRead, this, [this, sID] { DownloadData(sID); });
    connect(reply, &QNetworkReply::downloadProgress, this,
            [this, sID](qint64 received, qint64 total) {
                if (total > 0) Q_EMIT Progress(received, total, sID);
                // A size announced beyond the bound ends the download at once.
                const auto it = downloads_.find(sID);
                if (it != downloads_.end() && total > it->second->maxBytes) CancelDownload(sID);
            });
    connect(reply, &QNetworkReply::finished, this, [this, sID] { DownloadDone(sID); });
    return true;
}

void DL::DownloadData(const QString& sID) {
    const auto it = downloads_.find(sID);
    if (it == downloads_.end() || !it->second->reply) return;
    Pending& pending = *it->second;
    const QByteArray data = pending.reply->readAll();
    if (pending.bytes + data.size() > pending.maxBytes) {
        CancelDownload(sID);
        return;
    }
    if (pending.file->write(data) == data.size()) pending.bytes += data.size();
    // A short write leaves the file in error: commit() refuses it at the end.
}

void DL::DownloadDone(const QString& sID) {
    DownloadData(sID); // which cancels a download grown too large
    const auto it = downloads_.find(sID);
    if (it == downloads_.end()) return;
    Pending& pending = *it->second;
    const bool stored =
        pending.reply && pending.reply->error() == QNetworkReply::NoError && pending.file->commit();
    const qint64 bytes = pending.bytes;
    Forget(sID); // an uncommitted temporary file is removed with it
    if (stored) Q_EMIT Completed(bytes, sID);
}

void DL::CancelDownload(const QString& sID) {
    const auto it = downloads_.find(sID);
    if (it == downloads_.end()) return;
    if (QNetworkReply* reply = it->second->reply) {
        reply->disconnect(this);
        reply->abort();
    }
    Forget(sID);
}

void DL::Forget(const QString& sID) {
    const auto it = downloads_.find(sID);
    if (it == downloads_.end()) return;
    if (QNetworkReply* reply = it->second->reply) {
        reply->disconnect(this);
        reply->deleteLater();
    }
    downloads_.erase(it);
}

} // namespace corvane
