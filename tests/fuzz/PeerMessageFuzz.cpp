// Bytes a peer might send, cut into reads as the input says, on a position
// reached by random legal moves: the receiver keeps its bound, every message
// it gives is cleaned, and a move passes the peer-move test only when it is a
// legal move of the named colour, the board and its flags left as they were,
// and judging the status sent with it changes nothing either.
#include "FuzzPosition.h"
#include "net/NetProtocol.h"
#include "net/PeerMove.h"
#include "rules/MoveText.h"

#include <algorithm>
#include <tuple>

using namespace corvane;

namespace {

void CheckMove(const NetMessage& m) {
    FUZZ_CHECK(m.status == StatusWord(m.status));
    const std::string text = m.text.toStdString();
    for (const bool white : {true, false}) {
        RulesMoveList legal;
        ListLegalMoves(white ? "W" : "B", 0, legal);
        const auto board = std::make_tuple(Board, WhiteCastleFlags, BlackCastleFlags,
                                           WhitePawnFlags, BlackPawnFlags, CastleMade);
        const bool accepted = PeerMoveIsLegal(text, white);
        FUZZ_CHECK(board == std::tie(Board, WhiteCastleFlags, BlackCastleFlags, WhitePawnFlags,
                                     BlackPawnFlags, CastleMade));
        if (!accepted) continue;
        MoveText move;
        FUZZ_CHECK(IsWellFormedMove(m.text) && text[0] == (white ? 'W' : 'B'));
        FUZZ_CHECK(ParseMoveText(text, move));
        const RulesMove played{std::uint8_t(move.fromRank), std::uint8_t(move.fromFile),
                               std::uint8_t(move.toRank), std::uint8_t(move.toFile)};
        FUZZ_CHECK(std::count(legal.moves.begin(), legal.moves.begin() + legal.count, played));
        // Judging the claim leaves everything as it was; this side's own
        // finding, sent back as the claim, is always agreed with.
        const PeerJudgement judged = JudgePeerMove(text, m.status.toStdString(), white);
        FUZZ_CHECK(board == std::tie(Board, WhiteCastleFlags, BlackCastleFlags, WhitePawnFlags,
                                     BlackPawnFlags, CastleMade));
        FUZZ_CHECK(JudgePeerMove(text, judged.status, white).claim == PeerClaim::Agreed);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    fuzz::PlayRandomLegalMoves(input, 48);
    const std::size_t read = input.Byte() % 32 + 1;
    const std::string_view rest = input.Rest();
    NetReceiver receiver;
    NetReceiver::Result all;
    for (std::size_t at = 0; at < rest.size() && !all.overflow; at += read) {
        const std::string_view piece = rest.substr(at, read);
        NetReceiver::Result r = receiver.Feed(QByteArray(piece.data(), qsizetype(piece.size())));
        FUZZ_CHECK(receiver.Held() <= MaxPending);
        all.overflow = r.overflow;
        all.messages.insert(all.messages.end(), r.messages.begin(), r.messages.end());
    }
    for (const NetMessage& m : receiver.Flush().messages) all.messages.push_back(m);
    for (const NetMessage& m : all.messages) {
        const int longest = m.command == NetCommand::Chat ? MaxChatLength : MaxNickLength;
        if (m.command == NetCommand::Jogar) {
            CheckMove(m);
        } else {
            FUZZ_CHECK(m.text == CleanText(m.text, longest));
        }
    }
    return 0;
}
