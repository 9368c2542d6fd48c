#include "net/PeerMove.h"

#include "net/NetProtocol.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"
#include "rules/MoveText.h"
#include "rules/RulesState.h"

namespace corvane {

bool PeerMoveIsLegal(const std::string& move, bool peerIsWhite) {
    if (!IsWellFormedMove(QString::fromLatin1(move.data(), qsizetype(move.size())))) return false;
    if (move[0] != (peerIsWhite ? 'W' : 'B')) return false;
    // The probe changes nothing the game reads afterwards.
    const RulesStateKeeper keep;
    if (!IsMoveLegal(move)) return false;
    return !(peerIsWhite ? WhiteInCheck : BlackInCheck);
}

PeerJudgement JudgePeerMove(const std::string& move, const std::string& status, bool peerIsWhite) {
    MoveText m;
    if (!ParseMoveText(move, m)) return {PeerClaim::Impossible, {}};
    // The probe changes nothing the game reads afterwards.
    const RulesStateKeeper keep;
    // The move is played on the scratch ply 1, with the piece the peer chose.
    if (!PlayMoveIntoNextPly(m, 0)) return {PeerClaim::Impossible, {}};
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
