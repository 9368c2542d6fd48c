#include "net/PeerMove.h"

#include "net/NetProtocol.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"

#include <tuple>

namespace corvane {
namespace {

// What the legality test leaves behind, so that a refused (or only examined)
// move changes nothing the game reads afterwards.
struct LegalityResults {
    PlyFlags whiteCastle = WhiteCastleFlags[0], blackCastle = BlackCastleFlags[0];
    PlyFlags whitePawn = WhitePawnFlags[0], blackPawn = BlackPawnFlags[0];
    PlyFlags castleMade = CastleMade[0];
    std::string status = GameStatus, promotion = PromotionChoice;
    Side mover = MoverSide, opponent = OpponentSide;
    bool whiteInCheck = WhiteInCheck, blackInCheck = BlackInCheck;
    std::int32_t squares[4] = {FromRank, FromFile, ToRank, ToFile};

    ~LegalityResults() {
        WhiteCastleFlags[0] = whiteCastle, BlackCastleFlags[0] = blackCastle;
        WhitePawnFlags[0] = whitePawn, BlackPawnFlags[0] = blackPawn;
        CastleMade[0] = castleMade;
        GameStatus = status, PromotionChoice = promotion;
        MoverSide = mover, OpponentSide = opponent;
        WhiteInCheck = whiteInCheck, BlackInCheck = blackInCheck;
        std::tie(FromRank, FromFile, ToRank, ToFile) =
            std::tie(squares[0], squares[1], squares[2], squares[3]);
    }
};

} // namespace

bool PeerMoveIsLegal(const std::string& move, bool peerIsWhite) {
    if (!IsWellFormedMove(QString::fromLatin1(move.data(), qsizetype(move.size())))) return false;
    if (move[0] != (peerIsWhite ? 'W' : 'B')) return false;
    const LegalityResults keep;
    if (!IsMoveLegal(move)) return false;
    return !(peerIsWhite ? WhiteInCheck : BlackInCheck);
}

} // namespace corvane
