#pragma once
// DL: fetches web resources without a window of its own. GetURL reads a short
// text (the what-is-my-IP page) and waits for it while events keep running;
// Download stores a file under a temporary name and renames it when complete,
// raising Progress on the way and Completed at the end.
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <map>
#include <memory>

class QEventLoop;
class QNetworkReply;
class QSaveFile;

namespace corvane {

// The most GetURL keeps of a page: a what-is-my-IP page is a few hundred bytes.
inline constexpr qint64 GetURLMaxBytes = 16 * 1024;
// A GetURL transfer still running after this many times the caller's wait is aborted.
inline constexpr int GetURLTimeFactor = 3;
// The largest file Download stores unless the caller allows another size.
inline constexpr qint64 DownloadMaxBytes = 64 * 1024 * 1024;

class DL : public QObject {
    Q_OBJECT
public:
    explicit DL(QObject* parent = nullptr);
    ~DL() override;

    // Puts "http://" in front of a URL that does not begin with "http://" or
    // "https://" (in any case).
    static QString NormaliseURL(const QString& url);

    // The resource as text, one character per byte (Windows-1252). Empty on
    // timeout, on failure, or at once when a fetch is already running. A reply
    // that arrives after the timeout is kept as LastResult() only. The transfer
    // is aborted (and the fetch no longer busy) once the page grows past
    // GetURLMaxBytes or GetURLTimeFactor times the wait has passed.
    QString GetURL(const QString& url, qint16 timeoutSeconds = 10);
    // Ends the wait of a running GetURL at once, as a timeout would.
    void StopWaiting();
    // A GetURL fetch is running (it may outlive its call after a timeout).
    bool Busy() const { return busy_; }
    // The text of the last completed fetch.
    QString LastResult() const { return lastResult_; }

    // Starts storing the resource sWWWFile at sDestination under the name sID.
    // False when a download of that name is running or the destination's
    // folder cannot take the temporary file. A failed or cancelled download, or
    // one larger than maxBytes (cancelled as soon as that shows), leaves
    // sDestination as it was.
    bool Download(const QString& sWWWFile, const QString& sDestination, const QString& sID,
                  qint64 maxBytes = DownloadMaxBytes);
    void CancelDownload(const QString& sID);
    bool Downloading(const QString& sID) const { return downloads_.count(sID) != 0; }

Q_SIGNALS:
    // A download whose total size is known has made progress.
    void Progress(qint64 DownLoadedBytes, qint64 TotalBytes, const QString& sID);
    // A download has been stored at its destination.
    void Completed(qint64 Bytes, const QString& sID);

private:
    struct Pending;
    void FetchDone(QNetworkReply* reply);
    void DownloadData(const QString& sID);
    void DownloadDone(const QString& sID);
    void Forget(const QString& sID);

    QNetworkAccessManager manager_;
    bool busy_ = false;
    QString lastResult_;
    QPointer<QEventLoop> waiting_; // the loop of a GetURL call in progress
    bool fetchFinished_ = false;   // the current call's fetch completed
    bool fetchOk_ = false;
    std::map<QString, std::unique_ptr<Pending>> downloads_;
};

} // namespace corvane
