#pragma once
// The main window's game controller: new games and the turn, the input and
// commit of a person's move, the step every move ends with, the computer's
// turn, the move list, the clocks, set-up mode, the promotion chooser and the
// board view's procedures. Its controls are those of MainLayout.
//
// The window's flags the other windows read (ComputerBusy, SetUpMode,
// OptionGuard, NetworkGame) are declared below; the game-level variables that
// the computer player, the files and the sounds also read (GameMode,
// SideToMove, Level, ...) live in rules/GameState.h; the board model in
// rules/ModChecker.h. The window's own
// flags are members below; other subsystems read them through the accessors and
// change them through the named procedures.
#include <QElapsedTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/GameRecord.h"
#include "game/GameHistory.h"
#include "game/MainLayout.h"
#include "rules/ModChecker.h"
#include "rules/Pgn.h"
#include "rules/SquareImages.h"

namespace corvane {

struct MoveText;
class BoardKeys;
class ReviewOverlay;
class StandardList;

// --- Owned by the game controller --------------------------------------------

// True while the computer searches (and while the window closes).
extern bool ComputerBusy;
// True while the board set-up mode is active.
extern bool SetUpMode;
// True while the controller itself selects a set-up option.
extern bool OptionGuard;
// True while a game against a network peer runs.
extern bool NetworkGame;

// Longest time the computer took for one move in the current game, in whole seconds.
extern std::int32_t LongestThinkTime;
// PieceIndex of the piece a human promotion chose; -1 when none took place.
extern std::int32_t PromotedPiece;
// PieceIndex placed by a set-up drop that does not come from the board.
extern std::int16_t SetUpPiece;

class frmMain : public MainLayout, public SquareImages {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // --- Game lifecycle and turn flow ------------------------------------------
    void NovoJogo(int mode);
    void WhoMoves(int side);
    void EndGame();
    // After a network game: a fresh game with the colours swapped.
    void StartNextNetworkGame();
    // After a saved game was opened: its position string, LoadedSide and
    // PlayerOption, and the whole game when the file kept it (its moves are
    // replayed; orientation and clocks come back as they were).
    void ResumeLoadedGame(const std::string& positionString, const GameRecord* record = nullptr);
    void ShowGameMessage();

    // --- State other subsystems read and write -----------------------------------
    bool LocalIsWhite() const { return localIsWhite_; }
    bool WaitingForPeer() const { return waitingForPeer_; }
    // The local player's colour in a network game: only its pieces may be picked.
    void SetLocalIsWhite(bool white);
    // Set while the local player waits for the peer; outside network games it
    // is what allows pausing and saving (a game is running).
    void SetWaitingForPeer(bool waiting);
    // The nicknames shown beside the board in a network game.
    void SetPlayerNicks(const std::string& own, const std::string& opponent);

    // --- Moves of the network peer ---------------------------------------------------
    // Applies a move text of the network peer to the view; false, with nothing
    // changed, for a text that is not a move of the piece on its from-square.
    bool ShowMoveRecord(const std::string& text);
    // How a peer's move is announced, as the network session judged the status
    // the peer sent with it.
    struct PeerAnnouncement {
        // This side's own finding: "", "XEQUE", "XEQUE-MATE", "STALEMATE", "EMPATE".
        std::string status;
        // When not empty the game ends on the peer's word alone, and the message
        // window shows this note instead of the status.
        std::string note;
        // The peer did not see the end this side found: after the message this
        // side resigns on the wire, so that the peer starts the next game too.
        bool resign = false;
    };
    // The peer's move "Jogar:": applied, listed, sounded, announced, then the
    // next game or the local player's turn.
    bool PlayPeerMove(const std::string& text, const PeerAnnouncement& announcement);
    // A move is being made: from the drop (or the click) of a person's move, or
    // the start of the computer's or the peer's, to the end of its last pause
    // and message window.
    bool MoveBeingMade() const { return movesUnderway_ > 0; }

    // --- Move list, computer, clocks ---------------------------------------------
    // The move just played, as its text ("WP e7-e8=WQ"), into the list and the history.
    void ListTheMove(const std::string& move);
    void ComputerTurn(int ply);
    void ResetClocks();
    // The clocks count from now.
    void StartClocks();
    // The pause: the clocks stop, then go on as if the pause had not been.
    void PauseClocks();
    void ResumeClocks();
    // The clocks read these times (milliseconds), running or paused.
    void SetClocks(qint64 white, qint64 black);
    void ClockTick();
    static QString ClockText(qint64 milliseconds);
    qint64 ClockStart() const { return clockStart_; }
    qint64 WhiteTime() const { return whiteTime_; }
    qint64 BlackTime() const { return blackTime_; }

    // --- Marks, take-back and the game taken out --------------------------------------
    // The squares the piece on an image may move to now; empty when it may not move.
    std::vector<int> TargetsOf(int index) const;
    // Marks the last move, a king in check and the held piece with its targets.
    void RefreshMarks();
    // The selected piece of a move by clicks; -1 when none.
    int SelectedSquare() const { return selected_; }
    // "Desfazer jogada": the person's last move, with the computer's reply after it.
    bool CanTakeBack() const;
    void TakeBackMove();
    // Network game, by agreement with the peer: the last n half-moves taken
    // back (each kept what it needs); false, with nothing changed, when they
    // cannot be.
    bool TakeBackPlies(int n);
    // "Refazer": the moves last taken back, until a new move is made.
    bool CanRedo() const;
    void RedoMove();
    const GameHistory& History() const { return history_; }
    // The game as it stands: what a take-back puts back.
    GameSnapshot Snapshot() const;
    // The game since play started as PGN, and the position now as FEN.
    std::string GamePgn() const;
    std::string PositionFen() const;
    // A local game is being played: at least one move, not ended, not set-up.
    bool GameInProgress() const;
    // The game as its listed moves have left it (a move still under way is not
    // counted): the position string and the side to move, "W" or "B". False
    // when the moves cannot be replayed.
    bool PositionInProgress(std::string& position, std::string& sideToMove) const;
    // "Copiar posição": the FEN goes to the clipboard.
    void CopyPosition();
    // "Exportar PGN": the PGN goes to a file the user chooses; false when nothing was written.
    bool ExportPgn();
    // Asks for the file an export writes ("" cancels); the default is a file chooser.
    std::function<QString(const QString& proposed)> chooseExportFile;
    // Tells the user an export failed; the default is a message box.
    std::function<void(const QString& message)> tellExportFailure;

    // --- The whole game (GameReplay.cpp) ------------------------------------------------
    // What a saved game keeps of the game: its start, moves, orientation, clocks
    // and captured pieces; none in set-up mode or when the moves do not end with
    // the side to move.
    std::optional<GameRecord> KeptRecord() const;
    // Replays moves from a start (a FEN) into the window as the game being
    // played: board, move list, captured pieces and take-back history; the
    // moves of computerSide ("W", "B" or "") are taken back with the move
    // before them. False, with the game as it was, when a move does not apply.
    bool ReplayMoves(const std::string& startFen, const std::vector<MoveText>& moves,
                     const std::string& computerSide);

    // --- Looking at an earlier position (Review.cpp) -------------------------------------
    // Shows the position after `played` moves of the game (0: its start) over
    // the board; all of them is the live position and ends the review.
    void ReviewAfter(int played);
    // A double click on a list entry; Alt+Left (-1) and Alt+Right (+1).
    void ReviewEntry(int row);
    void ReviewStep(int step);
    void EndReview();
    // The moves the shown position follows; -1 while the live position shows.
    int Reviewing() const { return reviewing_; }
    const ReviewOverlay* ReviewPicture() const { return review_.get(); }

    // --- The move list in standard notation (StandardList.cpp) ---------------------------
    // "Notação padrão" of the list's menu; the choice is kept in the settings.
    void SetStandardNotation(bool standard);
    bool StandardNotation() const { return standardNotation_; }
    // The list shown in standard notation; null until it was first asked for.
    const QListWidget* StandardMoveList() const;

    // --- Set-up ------------------------------------------------------------------------
    void OptionClicked(int index);
    bool ValidateSetUp();

    // --- Keyboard and screen readers (game/BoardKeys, game/TypedMoveLine) --------------
    // Plays a typed move (rules/TypedMove.h) through the path of a click-to-move:
    // "" when it was played, otherwise the reason in Portuguese, nothing changed.
    QString PlayTypedMove(const QString& text);
    // Set-up: puts a PieceIndex (1..12) on an image, or empties it (0).
    void PlaceSetUpPiece(int index, int piece);
    BoardKeys& Keys() const { return *keys_; }
    // Shows and says an announcement (see game/Announcer.h).
    void Announce(const QString& text);

    // SquareImages (the rules core reads and writes the board through these).
    std::string Tag(int index) const override;
    void SetSquare(int index, std::string_view code) override;
    void ClearMoveTextAndList() override;
    void Flip() override;

    // --- Seams ------------------------------------------------------------------------
    // Sends a message to the network peer; unset, nothing is sent.
    std::function<void(const std::string& message)> sendToPeer;
    // Network game: "Propor empate" and "Pedir para voltar a jogada" (menu and
    // keys), and the end of a game by a move (whether White made it, and the
    // status that ended it), for the match score. Unset, nothing happens.
    std::function<void()> offerDraw;
    std::function<void()> askTakeBack;
    std::function<void(bool whiteMoved, const std::string& ending)> networkGameOver;
    // Shows the status message; the default is the message window over the board.
    std::function<void()> messagePresenter;
    // Milliseconds per blink state of a moved piece's square (100 by default).
    int blinkMilliseconds = 100;
    // Clock milliseconds now (monotonic; a test may replace it).
    std::function<qint64()> clockNow;
    // True once the window began to close; waits and the search end.
    bool Closing() const { return closing_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    // A press on the window beside the board lets a selected piece go.
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Who made the move that AfterMove finishes.
    enum class Mover { Person, Computer, Peer };
    // What a move leaves to announce: a check, and the status that ends the
    // game ("XEQUE-MATE", "STALEMATE", "EMPATE"; "" when it goes on).
    struct Announcement {
        bool check = false;
        std::string ending;
        bool resign = false; // PeerAnnouncement::resign
    };

    void Reset_ALL_BOOLS();
    void PeerPause();
    // A person's move: pick-up, drops, the legality test and the commit.
    void PickUp(int index, Qt::MouseButton button);
    void DropOnSquare(int target);
    void DropOnBoard(double x, double y);
    void DropOutsideBoard();
    bool CommitMove(int target, MoveText move);
    void ReturnPiece();
    void SelectOption(int index, bool guarded);
    void SetUpDrop(int target);
    // Asks for the piece a pawn reaching the last rank becomes; it goes into the
    // move and its text. False when the move is taken back.
    bool ChoosePromotion(MoveText& move, std::string& played);
    void ChoosePromotionPiece(int index, Qt::MouseButton button);

    void WireControls();
    void WireGameActions();
    void ShowMoveListMenu(const QPoint& pos);
    // Clicks: a press while a piece is selected; true when it was used up.
    bool PressWithSelection(int index, Qt::MouseButton button);
    void PlayClickedMove(int target);
    void CancelSelection();
    // After a drop: the selection is what stays held.
    void AfterDrop();
    // Take-back: the game put back.
    void Restore(const GameSnapshot& snapshot);
    // The game before the move about to be made, kept for its take-back.
    void KeepBefore(bool byComputer);
    void StartHistory();
    // A saved game's record replayed over its loaded position (GameReplay.cpp).
    void ResumeRecord(const GameRecord& record);
    bool BetweenMoves() const;
    QWidget* ExportParent();
    // The start of play and the moves since, for the PGN and the FEN.
    PgnGame PlayedGame() const;
    QString AskExportFile(const QString& proposed);
    void SetPlayerCaptions();
    void Sound(int number);
    void IndicatorPressed(int i, Qt::MouseButton button);
    void PaletteDrag(int piece, QPoint globalPos, bool finished);
    void DropOnPalette();
    void ShowOptionInForce();
    void ShowFirstMover();
    void ShowSetUpControls();
    void EnterSetUp(int index);
    void Play();
    void BlinkSquare(int index);
    bool PeerMoveFits(const std::string& text, MoveText& move) const;

    // Steps of the commit and of the computer's turn.
    void FinishHumanDrop(int target);
    bool MovePickedPiece(int target);
    void DrawChangedSquares();
    Announcement PersonOutcome(bool whiteMoved);
    void ThinkTimed(int ply);
    void ShowComputerPosition();
    void EndWithoutMove();
    bool AnnounceFinishedPosition();
    void CountComputerCapture(const PlyBoard& before, const MoveText& move);
    Announcement ComputerOutcome();

    // The step every move ends with (the move stands on the board and in the
    // list): the peer is told, check and the end of the game are announced,
    // then the game ends or the turn passes on.
    void AfterMove(Mover mover, bool whiteMoved, const std::string& move,
                   const Announcement& outcome);
    void SendMoveToPeer(const std::string& move, const std::string& status);
    void PlayMoveSound(const std::string& moveText, bool capture, bool quiet = false);

    class WindowHooks;
    std::unique_ptr<WindowHooks> hooks_;
    BoardKeys* keys_ = nullptr; // owned by the board
    // The piece a typed move names for its promotion ("WN"); "" asks the chooser.
    std::string typedPromotion_;
    // Whose turn a typed move would need; "" when the person may move now.
    QString TypedMoveRefusal();
    // The list in standard notation, laid over the game's own list.
    void WireStandardList();
    void RefreshStandardList();
    bool standardNotation_ = false;
    std::unique_ptr<StandardList> standard_;
    // Looking at an earlier position.
    int reviewing_ = -1;
    std::unique_ptr<ReviewOverlay> review_;

    // Picking up and dropping a piece.
    std::int16_t pickedSquare_ = -1;
    std::int32_t pickedLeft_ = 0, pickedTop_ = 0;
    bool dragging_ = false;
    bool dropOutside_ = false;
    // Network game.
    bool localIsWhite_ = true;
    bool waitingForPeer_ = false;
    std::array<std::string, 2> nicks_{}; // own, opponent
    // Clocks on a monotonic clock, in milliseconds since clockStart_.
    QElapsedTimer clockBase_;
    qint64 clockStart_ = 0;
    qint64 whiteTime_ = 0;
    qint64 blackTime_ = 0;
    qint64 pausedAt_ = 0;
    // Position string of the position play started from.
    std::string startPosition_;
    // Start tick of the computer's current move, then its elapsed seconds.
    qint64 computerMoveTicks_ = 0;
    bool closing_ = false;
    int setUpFailure_ = 0;          // the set-up test that refused the last Play
    bool promotionWaiting_ = false; // the chooser waits: nothing may change the position
    int optionInForce_ = 2;         // the set-up option shown as selected
    bool gameEnded_ = false;        // EndGame ran and no game was started since
    std::string captionMode_ = "H"; // the mode the player captions show
    // Marks and clicks.
    int selected_ = -1;            // the piece selected by a click
    bool pressOnSelected_ = false; // the last press was on the selected piece
    int held_ = -1;                // the piece held (dragged or selected)
    std::vector<int> heldTargets_; // its targets
    // The game's moves since play started, and where it started (FEN).
    GameHistory history_;
    std::optional<GameSnapshot> pendingBefore_;
    bool pendingByComputer_ = false;
    std::string startFen_;
    // Moves being made (a person's, the computer's, the peer's, one inside the
    // other): the waits inside them let keys run, and no take-back may cut in.
    int movesUnderway_ = 0;
    struct MoveUnderway {
        explicit MoveUnderway(int& count) : count_(count) { ++count_; }
        ~MoveUnderway() { --count_; }
        MoveUnderway(const MoveUnderway&) = delete;
        MoveUnderway& operator=(const MoveUnderway&) = delete;
        int& count_;
    };
};

} // namespace corvane
