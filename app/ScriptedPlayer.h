#pragma once
// Test-only: a player that drives one copy of the program through a network
// game from a script, so that a test can prove two real copies play each
// other. Used only when the environment variable CORVANE_TEST_SCRIPT names a
// script file:
//     host NICK                 or   join NICK ADDRESS
//     e2-e4                     the script's own moves, in order
//     chat TEXT                 a chat line, sent before the next move
//     tempos KEEP SILENCE LIMIT the keep-alive's times and the limit of a
//                               break, in milliseconds (anywhere)
//     piscar MS                 each blink state of a peer's move (anywhere)
//     pensar MIN MAX            a wait of MIN..MAX ms before each move (anywhere)
//     ...
//     sair                      (instead of a move) closes the window
// It answers the dialogs, plays its moves when its turn comes and prints what
// happens on standard output ("brancas 1", "lance e2-e4", "estado XEQUE-MATE",
// "trocadas brancas 0", "chat NICK : fim", "perdida" at a break of the
// connection, then "retomada WHITE_MS BLACK_MS" or "encerrada", and after each move listed
// "posicao PLIES BOARD SIDE DIGEST WHITE_MS BLACK_MS"). When the game has
// ended and the colours have swapped it sends the chat line "fim"; once the
// peer's "fim" came too, it closes the window.
//
// A joiner whose ADDRESS is "*" types nothing: it takes the first game the
// connection dialog lists from the local network, with Enter ("encontrado
// LABEL"). A host prints the router's answer as its dialog shows it
// ("roteador TEXT"), the check box ("caixa 1 TEXT") and the announcement's
// state ("anuncio Published").
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

namespace corvane {

class CorvaneProgram;
class frmChat;
class frmConectar;

class ScriptedPlayer : public QObject {
public:
    // False when the script cannot be read or does not begin as above.
    bool Load(const QString& path);
    // Attaches to the program (StartUpOptions::ready).
    void Attach(CorvaneProgram& program);

private:
    void Tick();
    void WatchChat();
    void PlayNext();
    void WatchHosting(frmConectar& dialog);
    void JoinFromList();
    bool Option(const QStringList& words);
    void PrintPosition();
    static void Print(const QString& line);

    CorvaneProgram* program_ = nullptr;
    bool host_ = true;
    QString nick_, address_;
    QStringList moves_;
    int next_ = 0;
    // Script options (see above); negative: the program's own.
    int keepAliveMs_ = -1, silenceMs_ = -1, limitMs_ = -1, blinkMs_ = -1;
    int thinkMin_ = 0, thinkMax_ = 0;
    qint64 moveAt_ = -1; // when the next move is due (its wait started)
    QElapsedTimer clock_;
    int printedPlies_ = 0, printedChat_ = 0;
    bool wasResuming_ = false;
    bool moving_ = false; // a move is being made
    bool started_ = false, white_ = true, swapped_ = false, closing_ = false, peerEnded_ = false;
    QPointer<frmChat> chat_;
    QPointer<frmConectar> joinDialog_; // joining from the list
    QTimer tick_;
};

} // namespace corvane
