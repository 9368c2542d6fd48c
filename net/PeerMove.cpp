#include "net/PeerMove.h"

#include "net/NetProtocol.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"
#include "rules/MoveText.h"

#include <tuple>

namespace corvane {
namespace {

// Everything the rules core's tests leave behind, so that a probe of the
// peer's move changes nothing the game reads afterwards.
struct RulesProbe {
    std::array<PlyBoard, MaxDepth + 1> board = Board;
    FlagArray whiteCastle = WhiteCastleFlags, blackCastle = BlackCastleFlags;
    FlagArray whitePawn = WhitePawnFlags, blackPawn = BlackPawnFlags, castleMade = CastleMade;
    SavedFlagSet saved = SavedFlags;
    std::string status = GameStatus, promotion = PromotionChoice;
    Side mover = MoverSide, opponent = OpponentSide;
    bool whiteInCheck = WhiteInCheck, blackInCheck = BlackInCheck;
    std::array<std::int32_t, 4> squares{FromRank, FromFile, ToRank, ToFile};
    std::array<std::int32_t, 4> kings{WhiteKingRank, WhiteKingFile, BlackKingRank, BlackKingFile};
    std::array<std::int32_t, 3> attacker{AttackerKind, AttackerRank, AttackerFile};
    bool enPassantAttack = EnPassantAttack;
    PlyBoard mateBoard = MateBoard;
    AttackerList attackers = Attackers;
    std::array<std::int32_t, 13> counts = PieceCount;
    std::array<std::int32_t, 3> totals{WhitePieceTotal, BlackPieceTotal, PieceTotal};

    RulesProbe() = default;
    RulesProbe(const RulesProbe&) = delete;
    RulesProbe& operator=(const RulesProbe&) = delete;
    ~RulesProbe() {
        Board = board;
        WhiteCastleFlags = whiteCastle, BlackCastleFlags = blackCastle;
        WhitePawnFlags = whitePawn, BlackPawnFlags = blackPawn, CastleMade = castleMade;
        SavedFlags = saved;
        GameStatus = status, PromotionChoice = promotion;
        MoverSide = mover, OpponentSide = opponent;
        WhiteInCheck = whiteInCheck, BlackInCheck = blackInCheck;
        std::tie(FromRank, FromFile, ToRank, ToFile) =
            std::tie(squares[0], squares[1], squares[2], squares[3]);
        std::tie(WhiteKingRank, WhiteKingFile, BlackKingRank, BlackKingFile) =
            std::tie(kings[0], kings[1], kings[2], kings[3]);
        std::tie(AttackerKind, AttackerRank, AttackerFile) =
            std::tie(attacker[0], attacker[1], attacker[2]);
        EnPassantAttack = enPassantAttack;
        MateBoard = mateBoard;
        Attackers = attackers;
        PieceCount = counts;
        std::tie(WhitePieceTotal, BlackPieceTotal, PieceTotal) =
            std::tie(totals[0], totals[1], totals[2]);
    }
};

} // namespace

bool PeerMoveIsLegal(const std::string& move, bool peerIsWhite) {
    if (!IsWellFormedMove(QString::fromLatin1(move.data(), qsizetype(move.size())))) return false;
    if (move[0] != (peerIsWhite ? 'W' : 'B')) return false;
    const RulesProbe keep;
    if (!IsMoveLegal(move)) return false;
    return !(peerIsWhite ? WhiteInCheck : BlackInCheck);
}

PeerJudgement JudgePeerMove(const std::string& move, const std::string& status, bool peerIsWhite) {
    MoveText m;
    if (!ParseMoveText(move, m)) return {PeerClaim::Impossible, {}};
    const RulesProbe keep;
    if (!PlayIntoNextPly(m.fromRank, m.fromFile, m.toRank, m.toFile, 0))
        return {PeerClaim::Impossible, {}};
    // The scratch ply promotes to a queen; the peer may have chosen otherwise.
    if (!m.promotion.empty()) Board[1][m.toRank][m.toFile] = PromotedPieceOf(m);
    const char* local = peerIsWhite ? "B" : "W";
    const MoveOutcome found = OutcomeAfterMove(local, 1, true);
    CountPieces(1);
    const bool drawnMaterial = BareKings() || InsufficientMaterial();
    PeerJudgement j{PeerClaim::Agreed, StatusWordOf(found)};
    const bool impossible = ((status == "XEQUE" || status == "XEQUE-MATE") && !found.check) ||
                            (status == "STALEMATE" && found.check) ||
                            (status == "EMPATE" && !drawnMaterial);
    if (impossible) {
        j.claim = PeerClaim::Impossible;
    } else if (StatusEndsGame(status) != StatusEndsGame(j.status)) {
        j.claim = StatusEndsGame(status) ? PeerClaim::Disputed : PeerClaim::Missed;
    }
    return j;
}

} // namespace corvane
