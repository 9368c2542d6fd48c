#include "app/ScriptedPlayer.h"

#include "app/MainMenu.h"
#include "app/NetworkGame.h"
#include "app/StartUp.h"
#include "app/frmNovo.h"
#include "game/frmMain.h"
#include "net/Resume.h"
#include "net/frmChat.h"
#include "net/frmConectar.h"
#include "rules/GameState.h"
#include "rules/MoveText.h"

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMetaEnum>
#include <QRandomGenerator>
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
    for (const QString& line : lines.mid(1)) {
        if (!Option(line.split(u' ', Qt::SkipEmptyParts))) moves_ << line.trimmed();
    }
    return true;
}

bool ScriptedPlayer::Option(const QStringList& words) {
    const auto number = [&words](int i) { return words.value(i).toInt(); };
    if (words.value(0) == QStringLiteral("tempos") && words.size() == 4) {
        keepAliveMs_ = number(1);
        silenceMs_ = number(2);
        limitMs_ = number(3);
    } else if (words.value(0) == QStringLiteral("piscar") && words.size() == 2) {
        blinkMs_ = number(1);
    } else if (words.value(0) == QStringLiteral("pensar") && words.size() == 3) {
        thinkMin_ = number(1);
        thinkMax_ = std::max(thinkMin_, number(2));
    } else {
        return false;
    }
    return true;
}

void ScriptedPlayer::Print(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

void ScriptedPlayer::Attach(CorvaneProgram& program) {
    program_ = &program;
    frmMain& window = *program.Window();
    // The position a game ended in is shown before the next game replaces it
    // (a check is shown before the turn passes).
    window.messagePresenter = [this] {
        if (GameStatus != "XEQUE") PrintPosition();
        Print(QStringLiteral("estado ") + GameStatus.c_str());
    };
    if (blinkMs_ >= 0) window.blinkMilliseconds = blinkMs_;
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
    if (keepAliveMs_ > 0) {
        net.times.keepAliveMs = keepAliveMs_;
        net.times.silenceMs = silenceMs_;
        net.times.resumeLimitMs = limitMs_;
    }
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
    clock_.start();
    tick_.start(thinkMax_ > 0 ? 10 : 50);
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
    if (net.Resuming() != wasResuming_) {
        wasResuming_ = net.Resuming();
        if (wasResuming_)
            Print(QStringLiteral("perdida"));
        else if (!NetworkGame)
            Print(QStringLiteral("encerrada"));
        else
            Print(QStringLiteral("retomada %1 %2").arg(window.WhiteTime()).arg(window.BlackTime()));
    }
    if (!NetworkGame || !net.HandshakeDone()) return;
    WatchChat();
    PrintPosition();
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
    if (!swapped_ && !moving_ && !window.WaitingForPeer() && window.picBoard()->isEnabled() &&
        SideToMove == (white_ ? "W" : "B"))
        PlayNext();
}

// The listed moves, each once: the board (64 piece codes from a8, "--" for an
// empty square), the side to move, the digest of the list and the clocks.
void ScriptedPlayer::PrintPosition() {
    const frmMain& window = *program_->Window();
    std::vector<std::string> moves;
    for (const auto& entry : window.History().Moves()) moves.push_back(entry.moveText);
    const int plies = int(moves.size());
    if (plies < printedPlies_) printedPlies_ = 0; // the next game
    if (plies == printedPlies_) return;
    printedPlies_ = plies;
    QString board;
    for (int i = 0; i < 64; ++i) {
        const std::string tag = window.Tag(i).substr(0, 2);
        board += tag.empty() ? QStringLiteral("--") : QString::fromStdString(tag);
    }
    Print(QStringLiteral("posicao %1 %2 %3 %4 %5 %6")
              .arg(plies)
              .arg(board, QString::fromStdString(SideToMove), MoveListDigest(0, moves, plies))
              .arg(window.WhiteTime())
              .arg(window.BlackTime()));
}

// Each line of the transcript is printed as it comes, and the peer's "fim"
// noted: the chat window goes when the peer leaves.
void ScriptedPlayer::WatchChat() {
    frmChat* chat = program_->Network()->Chat();
    if (chat == nullptr || chat == chat_) return;
    chat_ = chat;
    printedChat_ = 0;
    connect(&chat->txtChat, &QPlainTextEdit::textChanged, this, [this] {
        if (!chat_) return;
        const QStringList lines = chat_->txtChat.toPlainText().split(u'\n', Qt::SkipEmptyParts);
        for (; printedChat_ < lines.size(); ++printedChat_) {
            const QString& line = lines[printedChat_];
            Print(QStringLiteral("chat ") + line);
            if (line == PlayerNick[2] + QStringLiteral(" : fim")) peerEnded_ = true;
        }
    });
}

void ScriptedPlayer::PlayNext() {
    if (thinkMax_ > 0 && moveAt_ < 0)
        moveAt_ = clock_.elapsed() + QRandomGenerator::global()->bounded(thinkMin_, thinkMax_ + 1);
    if (clock_.elapsed() < moveAt_) return;
    moveAt_ = -1;
    for (; chat_ && next_ < moves_.size() && moves_[next_].startsWith(QStringLiteral("chat "));
         ++next_) {
        chat_->txtEnviar.setText(moves_[next_].mid(5));
        Q_EMIT chat_->txtEnviar.returnPressed();
    }
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
    // Made outside the tick, which goes on meanwhile: a move's pause and
    // message windows let the connection break and resume.
    moving_ = true;
    QTimer::singleShot(0, this, [this, move] {
        BoardView& board = *program_->Window()->picBoard();
        board.onPress(ImageIndexOf(move.fromRank, move.fromFile), Qt::LeftButton);
        board.onDropSquare(ImageIndexOf(move.toRank, move.toFile));
        moving_ = false;
    });
}

} // namespace corvane
