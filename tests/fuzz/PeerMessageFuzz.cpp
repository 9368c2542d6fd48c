// Bytes a peer might send, cut into reads as the input says, on a position
// reached by random legal moves: the receiver keeps its bound, every message
// it gives is cleaned, and a move passes the peer-move test only when it is a
// legal move of the named colour, which leaves the board and its flags as they
// were either way.
#include "FuzzCheck.h"
#include "net/NetProtocol.h"
#include "net/PeerMove.h"
#include "rules/Fen.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"
#include "rules/MoveText.h"

#include <algorithm>

using namespace corvane;

namespace {

void PlayRandomLegalMoves(fuzz::Input& input) {
    ResetGameState();
    InitSearchArrays();
    InitGameArrays();
    FenPosition start;
    FUZZ_CHECK(LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0, start));
    const int moves = input.Byte() % 48;
    bool whiteMoves = true;
    for (int i = 0; i < moves; ++i) {
        RulesMoveList legal;
        ListLegalMoves(whiteMoves ? "W" : "B", 0, legal);
        if (legal.count == 0) break;
        const RulesMove m = legal.moves[input.Byte() % legal.count];
        FromRank = m.fromRank, FromFile = m.fromFile, ToRank = m.toRank, ToFile = m.toFile;
        FUZZ_CHECK(!MoveBarred(Board[0][m.fromRank][m.fromFile], 0));
        PlayAcceptedMove(0);
        CastleMade[0] = PlyFlags{};
        CountPieces(0);
        whiteMoves = !whiteMoves;
    }
}

bool Clean(const QString& text, int maxLength) {
    return text.size() <= maxLength &&
           std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 32; });
}

void CheckMove(const NetMessage& m) {
    FUZZ_CHECK(m.status.isEmpty() || m.status == "XEQUE" || m.status == "XEQUE-MATE" ||
               m.status == "STALEMATE" || m.status == "EMPATE");
    const std::string text = m.text.toStdString();
    for (const bool white : {true, false}) {
        RulesMoveList legal;
        ListLegalMoves(white ? "W" : "B", 0, legal);
        const auto board = Board;
        const auto flags = std::tie(WhiteCastleFlags, BlackCastleFlags, WhitePawnFlags,
                                    BlackPawnFlags, CastleMade);
        const auto savedFlags = std::make_tuple(WhiteCastleFlags, BlackCastleFlags, WhitePawnFlags,
                                                BlackPawnFlags, CastleMade);
        const bool accepted = PeerMoveIsLegal(text, white);
        FUZZ_CHECK(Board == board);
        FUZZ_CHECK(flags == savedFlags);
        if (!accepted) continue;
        FUZZ_CHECK(IsWellFormedMove(m.text) && text[0] == (white ? 'W' : 'B'));
        MoveText move;
        FUZZ_CHECK(ParseMoveText(text, move));
        const RulesMove played{std::uint8_t(move.fromRank), std::uint8_t(move.fromFile),
                               std::uint8_t(move.toRank), std::uint8_t(move.toFile)};
        FUZZ_CHECK(std::find(legal.moves.begin(), legal.moves.begin() + legal.count, played) !=
                   legal.moves.begin() + legal.count);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    PlayRandomLegalMoves(input);
    // The rest arrives in reads whose lengths the next byte chooses.
    const std::size_t read = input.Byte() % 32 + 1;
    const std::string_view rest = input.Rest();
    NetReceiver receiver;
    std::vector<NetMessage> messages;
    bool overflow = false;
    for (std::size_t at = 0; at < rest.size() && !overflow; at += read) {
        const std::string_view piece = rest.substr(at, read);
        NetReceiver::Result r = receiver.Feed(QByteArray(piece.data(), qsizetype(piece.size())));
        FUZZ_CHECK(receiver.Held() <= MaxPending);
        overflow = r.overflow;
        messages.insert(messages.end(), r.messages.begin(), r.messages.end());
    }
    if (!overflow) {
        NetReceiver::Result r = receiver.Flush();
        messages.insert(messages.end(), r.messages.begin(), r.messages.end());
    }
    for (const NetMessage& m : messages) {
        switch (m.command) {
        case NetCommand::StartServidor:
        case NetCommand::StartCliente:
            FUZZ_CHECK(Clean(m.text, MaxNickLength));
            break;
        case NetCommand::Chat:
            FUZZ_CHECK(Clean(m.text, MaxChatLength));
            break;
        case NetCommand::EntregarJogo:
            FUZZ_CHECK(m.text.isEmpty());
            break;
        case NetCommand::Jogar:
            CheckMove(m);
            break;
        }
    }
    return 0;
}
