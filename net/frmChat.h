#pragma once
// The chat window of a network game ("Chat"): the transcript txtChat, the
// input box txtEnviar, the close label lblClose, the title Label2 and the
// border shpBorda. Borderless, topmost, dragged by its background and never
// modal: the players chat while they play. Everything in it is plain text.
#include "kit/WindowConventions.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>

namespace corvane {

class frmChat : public BorderlessDialog {
public:
    // Oldest lines beyond this many leave the transcript, so that a peer that
    // chats without end cannot make it grow without end.
    static constexpr int MaxLines = 10000;

    explicit frmChat(QWidget* parent = nullptr);

    // Sends one whole message to the peer ("Chat:#" + the line as typed);
    // the game fills it with its sending procedure. Unset: nothing is sent.
    std::function<bool(const QString& message)> send;

    // A line from the peer: shows the window (without taking the focus from the
    // board) and appends PlayerNick(2) + " : " + line to the transcript.
    void AddPeerLine(const QString& line);

    QPlainTextEdit txtChat;
    QLineEdit txtEnviar;
    QLabel lblClose;
    QLabel Label2;
    QFrame shpBorda;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Enter in txtEnviar.
    void Enviar();
    void Append(const QString& nick, const QString& line);
};

} // namespace corvane
