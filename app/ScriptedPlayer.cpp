#include "app/ScriptedPlayer.h"

#include "app/MainMenu.h"
#include "app/NetworkGame.h"
#include "app/StartUp.h"
#include "app/frmNovo.h"
#include "game/frmMain.h"
#include "net/frmChat.h"
#include "net/frmConectar.h"
#include "rules/GameState.h"
#include "rules/MoveText.h"

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMetaEnum>
#include <cstdio>

namespace corvane {

bool ScriptedPlayer::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    if (lines.isEmpty()) return false;
    const QStringList head = lines[0].split(u' ', Qt::SkipEmptyParts);
    host_ = head.value(0) == QStringLiteral("host");
    if (head.size() != (host_ ? 2 : 3) || (!host_ && head[0] != QStringLiteral("join")))
        return false;
    nick_ = head[1];
    address_ = head.value(2);
    for (const QString& line : lines.mid(1)) moves_ << line.trimmed();
    return true;
}

void ScriptedPlayer::Print(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

void ScriptedPlayer::Attach(CorvaneProgram& program) {
    program_ = &program;
    frmMain& window = *program.Window();
    window.messagePresenter = [] { Print(QStringLiteral("estado ") + GameStatus.c_str()); };
    program.Menu()->dialogShown = [this](QDialog& dialog) {
        auto* novo = qobject_cast<frmNovo*>(&dialog);
        if (novo == nullptr) return;
        QTimer::singleShot(0, novo, [this, novo] {
            novo->ClickTab(3);
            novo->txtNome->setText(nick_);
            novo->ChooseRede(host_ ? 1 : 2);
            novo->Jogar();
        });
    };
    NetworkGameSession& net = *program.Network();
    net.tellUser = [](const QString& text, bool) { Print(QStringLiteral("aviso ") + text); };
    net.openNewGame = [] {};
    connect(&net.Publisher(), &GamePublisher::StateChanged, this, [](GamePublisher::State s) {
        Print(QStringLiteral("anuncio ") +
              QString::fromLatin1(QMetaEnum::fromType<GamePublisher::State>().valueToKey(int(s))));
    });
    net.connectDialogShown = [this](frmConectar& dialog) {
        if (host_) {
            WatchHosting(dialog);
            Print(QStringLiteral("aguardando"));
            return;
        }
        dialog.tellUser = [](const QString& text) { Print(QStringLiteral("aviso ") + text); };
        if (address_ == QStringLiteral("*")) {
            joinDialog_ = &dialog;
            return;
        }
        QTimer::singleShot(0, &dialog, [this, &dialog] {
            dialog.txtServ.setText(address_);
            dialog.Conectar();
        });
    };
    connect(&tick_, &QTimer::timeout, this, &ScriptedPlayer::Tick);
    tick_.start(50);
}

void ScriptedPlayer::WatchHosting(frmConectar& dialog) {
    Print(QStringLiteral("caixa %1 %2")
              .arg(int(dialog.chkRoteador.isChecked()))
              .arg(dialog.chkRoteador.text()));
    const auto router = [&dialog] {
        if (!dialog.lblRoteador.text().isEmpty())
            Print(QStringLiteral("roteador ") + dialog.lblRoteador.text());
    };
    connect(&program_->Network()->Mapper(), &PortMapper::OutcomeChanged, &dialog, router);
    router();
}

void ScriptedPlayer::JoinFromList() {
    if (!joinDialog_ || !joinDialog_->isVisible() || joinDialog_->lstJogos.count() == 0) return;
    QListWidget& list = joinDialog_->lstJogos;
    Print(QStringLiteral("encontrado ") + list.item(0)->text());
    joinDialog_ = nullptr;
    list.setCurrentRow(0);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&list, &enter);
}

void ScriptedPlayer::Tick() {
    frmMain& window = *program_->Window();
    NetworkGameSession& net = *program_->Network();
    if (closing_) return;
    JoinFromList();
    if (swapped_ && peerEnded_) {
        closing_ = true;
        window.close();
        return;
    }
    if (!NetworkGame || !net.HandshakeDone()) return;
    WatchChat();
    if (!started_) {
        started_ = true;
        white_ = window.LocalIsWhite();
        Print(QStringLiteral("brancas %1").arg(int(white_)));
    }
    if (!swapped_ && window.LocalIsWhite() != white_) {
        swapped_ = true;
        Print(QStringLiteral("trocadas brancas %1").arg(int(window.LocalIsWhite())));
        net.Chat()->txtEnviar.setText(QStringLiteral("fim"));
        Q_EMIT net.Chat()->txtEnviar.returnPressed();
    }
    if (!swapped_ && !window.WaitingForPeer() && SideToMove == (white_ ? "W" : "B")) PlayNext();
}

// The peer's "fim" is noted as it arrives: the chat window goes when the peer leaves.
void ScriptedPlayer::WatchChat() {
    frmChat* chat = program_->Network()->Chat();
    if (chat == nullptr || chat == chat_) return;
    chat_ = chat;
    connect(&chat->txtChat, &QPlainTextEdit::textChanged, this, [this] {
        const QString end = PlayerNick[2] + QStringLiteral(" : fim");
        if (peerEnded_ || !chat_ || !chat_->txtChat.toPlainText().contains(end)) return;
        peerEnded_ = true;
        Print(QStringLiteral("chat ") + end);
    });
}

void ScriptedPlayer::PlayNext() {
    if (next_ >= moves_.size()) return;
    if (moves_[next_] == QStringLiteral("sair")) {
        closing_ = true;
        Print(QStringLiteral("sair"));
        program_->Window()->close();
        return;
    }
    MoveText move;
    if (!ParseCoordinateText(moves_[next_].toStdString(), move)) return;
    Print(QStringLiteral("lance ") + moves_[next_++]);
    BoardView& board = *program_->Window()->picBoard();
    board.onPress(ImageIndexOf(move.fromRank, move.fromFile), Qt::LeftButton);
    board.onDropSquare(ImageIndexOf(move.toRank, move.toFile));
}

} // namespace corvane
