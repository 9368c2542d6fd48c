#include "game/StatusMessage.h"

#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "rules/GameState.h"

namespace corvane {

double MessageTimeScale = 1.0;

namespace {

int Scaled(int ms) {
    return std::max(1, static_cast<int>(ms * MessageTimeScale));
}

// Sound of a status text; -1 for texts that have none. SideToMove still names
// the side that has just moved.
int StatusSound(const QString& text) {
    const bool white = SideToMove == "W";
    if (text == "XEQUE") return white ? 1 : 3;
    if (text == "XEQUE-MATE") return white ? 2 : 4;
    if (text == "EMPATE") return 7;
    if (text == "STALEMATE") return 6;
    return -1;
}

} // namespace

void ShowStatusMessage(const QString& text, QPoint centre, const std::function<void(int)>& sound) {
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window.setObjectName("frmMensagem");
    window.setWindowModality(Qt::ApplicationModal);
    window.setWindowOpacity(210.0 / 255.0);
    window.setStyleSheet(
        "QWidget#frmMensagem { background: #2f2620; border: 2px solid #c8a46e; }"
        "QLabel { color: #f4e8d0; font: bold 20px 'DejaVu Sans'; padding: 18px; }");
    auto* layout = new QVBoxLayout(&window);
    auto* label = new QLabel(text, &window);
    label->setObjectName("LabMessage");
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    layout->addWidget(label);
    window.adjustSize();
    window.resize(std::max(260, window.width()), std::max(90, window.height()));
    window.move(centre - QPoint(window.width() / 2, window.height() / 2));
    window.show();
    window.repaint();

    QEventLoop loop;
    QTimer tmrSom, tmrClose;
    tmrSom.setSingleShot(true);
    tmrClose.setSingleShot(true);
    QObject::connect(&tmrSom, &QTimer::timeout, [&] {
        tmrClose.start(Scaled(text == "XEQUE" ? 1000 : 3000));
        const int number = StatusSound(text);
        if (number >= 0 && sound) sound(number);
    });
    QObject::connect(&tmrClose, &QTimer::timeout, &loop, &QEventLoop::quit);
    tmrSom.start(Scaled(300));
    loop.exec();
    window.hide();
}

} // namespace corvane
