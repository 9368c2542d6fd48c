#include "net/frmChat.h"

#include "net/NetProtocol.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QTextCursor>

namespace corvane {

frmChat::frmChat(QWidget* parent)
    : BorderlessDialog(parent), txtChat(this), txtEnviar(this), lblClose(this), Label2(this),
      shpBorda(this) {
    setModal(false);
    setWindowTitle(QStringLiteral("Chat"));
    // A line from the peer must not take the keyboard away from the board.
    setAttribute(Qt::WA_ShowWithoutActivating);

    QFont title = Label2.font();
    title.setPixelSize(18);
    title.setBold(true);
    Label2.setFont(title);
    Label2.setText(QStringLiteral("Chat"));
    lblClose.setText(QStringLiteral("X"));
    lblClose.setFont(title);
    lblClose.setAlignment(Qt::AlignCenter);
    lblClose.setCursor(Qt::PointingHandCursor);
    lblClose.installEventFilter(this);
    for (QLabel* label : {&Label2, &lblClose}) label->setStyleSheet(DialogTextStyle);
    Label2.setAttribute(Qt::WA_TransparentForMouseEvents); // drags reach the window

    const QString box = QStringLiteral("background: rgb(252, 248, 238); color: rgb(34, 26, 20);"
                                       " border: 1px solid rgb(120, 96, 70);");
    txtChat.setReadOnly(true);
    txtChat.setMaximumBlockCount(MaxLines);
    txtChat.setStyleSheet(box);
    txtChat.setFocusPolicy(Qt::ClickFocus);
    txtEnviar.setStyleSheet(box);
    connect(&txtEnviar, &QLineEdit::returnPressed, this, &frmChat::Enviar);

    shpBorda.setFrameShape(QFrame::Box);
    shpBorda.setStyleSheet(QStringLiteral("color: rgb(200, 170, 120); background: transparent;"));
    shpBorda.setAttribute(Qt::WA_TransparentForMouseEvents);
    shpBorda.lower();

    resize(320, 340);
    txtEnviar.setFocus();
}

void frmChat::resizeEvent(QResizeEvent* event) {
    BorderlessDialog::resizeEvent(event);
    const int w = width(), h = height();
    shpBorda.setGeometry(1, 1, w - 2, h - 2);
    Label2.setGeometry(16, 10, w - 64, 26);
    lblClose.setGeometry(w - 38, 10, 24, 24);
    txtChat.setGeometry(14, 42, w - 28, h - 42 - 50);
    txtEnviar.setGeometry(14, h - 42, w - 28, 28);
}

bool frmChat::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == &lblClose &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // The press is kept from the window, which would take it for a drag.
        if (type == QEvent::MouseButtonRelease) hide(); // the transcript stays
        return true;
    }
    return BorderlessDialog::eventFilter(watched, event);
}

void frmChat::Enviar() {
    const QString line = txtEnviar.text();
    if (line.trimmed().isEmpty()) return;
    // Sent whether or not a game is connected; the line is kept here either way.
    if (send) send(ChatMessage(line));
    Append(PlayerNick[1], line);
    txtEnviar.clear();
}

void frmChat::AddPeerLine(const QString& line) {
    if (!isVisible()) show();
    Append(PlayerNick[2], line);
}

void frmChat::Append(const QString& nick, const QString& line) {
    QTextCursor end = txtChat.textCursor();
    end.movePosition(QTextCursor::End);
    end.insertText(nick + QStringLiteral(" : ") + line + u'\n');
    txtChat.setTextCursor(end);
    txtChat.verticalScrollBar()->setValue(txtChat.verticalScrollBar()->maximum());
}

} // namespace corvane
