// corvane-discovery-probe: drives the discovery and router layer from the
// network-namespace tests. Reads commands on standard input, one a line:
//   publish NICK PORT | unpublish | browse | map PORT LEASE_S DISCOVERY_MS | unmap | quit
// and writes what the layer reports on standard output, one event a line:
//   publisher STATE [NAME] | browser STATE NOTE | games LABEL:PORT;...
//   mapper OUTCOME ADDRESS | NOTE
#include "net/Discovery.h"
#include "net/PortMapping.h"

#include <QCoreApplication>
#include <QMetaEnum>
#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

using namespace corvane;

namespace {

template <typename E> QString Name(E value) {
    return QString::fromLatin1(QMetaEnum::fromType<E>().valueToKey(int(value)));
}

void Say(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    GamePublisher publisher;
    GameBrowser browser;
    PortMapper mapper;
    QObject::connect(&publisher, &GamePublisher::StateChanged, [&](GamePublisher::State s) {
        Say("publisher " + Name(s) +
            (s == GamePublisher::State::Published ? " " + publisher.ServiceName() : QString()));
    });
    QObject::connect(&browser, &GameBrowser::StateChanged, [&](GameBrowser::State s) {
        Say("browser " + Name(s) + " " + browser.Note());
    });
    QObject::connect(&browser, &GameBrowser::GamesChanged, [&] {
        QStringList games;
        for (const FoundGame& g : browser.Games())
            games << g.Label() + QLatin1Char(':') + QString::number(g.port);
        Say("games " + games.join(QLatin1Char(';')));
    });
    QObject::connect(&mapper, &PortMapper::OutcomeChanged, [&](PortMapper::Outcome o) {
        Say("mapper " + Name(o) + " " + mapper.PublicAddress() + " | " + mapper.Note());
    });

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    const auto run = [&](const QString& line) {
        const QStringList w = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString command = w.value(0);
        if (command == "quit") {
            QCoreApplication::quit();
        } else if (command == "publish") {
            publisher.Start(w.value(1), quint16(w.value(2).toUInt()));
        } else if (command == "unpublish") {
            publisher.Stop();
        } else if (command == "browse") {
            browser.Start();
        } else if (command == "map") {
            mapper.SetLeaseSeconds(w.value(2).toInt());
            mapper.SetDiscoveryMs(w.value(3).toInt());
            mapper.Start(quint16(w.value(1).toUInt()));
        } else if (command == "unmap") {
            mapper.Stop();
        }
    };
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) { // the test went away
            input.setEnabled(false);
            return QCoreApplication::quit();
        }
        pending.append(buffer, n);
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1))
            run(QString::fromUtf8(pending.left(end)));
    });
    Say("ready");
    const int status = app.exec();
    Say("bye");
    return status;
}
