// Reading PGN files: the index of a file's games and the replay of one game
// through the rules core's own legal moves.
#include "rules/PgnFile.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "rules/Fen.h"
#include "rules/Notation.h"
#include "rules/Pgn.h"
#include "rules/PgnLexer.h"
#include "rules/RulesInternal.h"

namespace corvane {

using detail::PgnLexeme;
using detail::PgnLexer;
using detail::PgnToken;

namespace {

// The replay uses this ply and the one above it (the search never reaches
// them while a file is read, and everything is put back anyway).
constexpr int kWorkPly = MaxDepth - 1;
// Tag values are looked at up to this many bytes (each character takes at most four).
constexpr std::size_t kTagBytes = 4 * MaxPgnTagChars + 64;

// The file's text past a leading byte-order mark, cut to the size limit.
std::size_t TextStart(std::string_view text) {
    return text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}
std::string_view Bounded(std::string_view text) {
    return text.substr(0, std::min(text.size(), MaxPgnFileBytes));
}

std::string TagText(const PgnLexeme& tag, bool latin1) {
    std::string_view raw = tag.value.substr(0, kTagBytes);
    return detail::CleanText(detail::UnescapeTagValue(raw), latin1, MaxPgnTagChars);
}

// Collects the games of a text, one token at a time.
class IndexBuilder {
public:
    IndexBuilder(std::string_view text, PgnIndex& index) : text_(text), index_(index) {}

    // False once the index is full and the file holds one game more.
    bool Take(const PgnLexeme& token) {
        switch (token.kind) {
        case PgnToken::Tag:
        case PgnToken::BadTag:
            // Tags after moves begin the next game.
            if (open_ && moves_ && !Close(token.begin)) return false;
            Open(token.begin);
            real_ = true;
            if (token.kind == PgnToken::Tag) Note(token);
            return true;
        case PgnToken::Comment:
            return true;
        case PgnToken::Result:
            Open(token.begin);
            moves_ = real_ = true;
            if (depth_ > 0) return true;
            if (result_.empty())
                result_ = std::string(text_.substr(token.begin, token.end - token.begin));
            return Close(token.end);
        case PgnToken::OpenVariation:
            ++depth_;
            break;
        case PgnToken::CloseVariation:
            depth_ -= depth_ > 0;
            break;
        case PgnToken::Symbol:
            real_ = true;
            break;
        default:
            break;
        }
        Open(token.begin);
        moves_ = true;
        return true;
    }
    bool Finish(std::size_t end) { return !open_ || Close(end); }

private:
    void Open(std::size_t at) {
        if (open_) return;
        open_ = true;
        moves_ = real_ = false;
        depth_ = 0;
        entry_ = PgnGameEntry{};
        entry_.offset = at;
        result_.clear();
    }
    // Ends the open game at the byte; false when it does not fit in the index.
    bool Close(std::size_t at) {
        open_ = false;
        if (!real_) return true; // stray characters or comments alone are no game
        if (index_.games.size() >= static_cast<std::size_t>(MaxPgnIndexGames)) {
            index_.moreGames = true;
            return false;
        }
        entry_.length = at - entry_.offset;
        if (entry_.result.empty())
            entry_.result = detail::CleanText(result_, false, MaxPgnTagChars);
        index_.games.push_back(std::move(entry_));
        return true;
    }
    void Note(const PgnLexeme& tag) {
        std::string PgnGameEntry::*const field = tag.name == "Event"    ? &PgnGameEntry::event
                                                 : tag.name == "White"  ? &PgnGameEntry::white
                                                 : tag.name == "Black"  ? &PgnGameEntry::black
                                                 : tag.name == "Date"   ? &PgnGameEntry::date
                                                 : tag.name == "Result" ? &PgnGameEntry::result
                                                                        : nullptr;
        if (field != nullptr && (entry_.*field).empty())
            entry_.*field = TagText(tag, index_.latin1);
    }

    std::string_view text_;
    PgnIndex& index_;
    PgnGameEntry entry_;
    std::string result_; // the result marker at the end of the moves
    bool open_ = false, moves_ = false, real_ = false;
    std::size_t depth_ = 0;
};

// The Portuguese reason a start position cannot come from a game, "" when it can.
std::string ImpossibleReason(int ply, bool whiteToMove) {
    const PlyBoard& b = Board[ply];
    int kings[2] = {0, 0}, kingRank[2] = {0, 0}, kingFile[2] = {0, 0};
    bool edgePawn = false;
    for (int rank = 1; rank <= 8; ++rank) {
        for (int file = 1; file <= 8; ++file) {
            const PieceIndex piece = b[rank][file];
            if (piece == WhiteKing || piece == BlackKing) {
                const int side = piece == BlackKing;
                ++kings[side];
                kingRank[side] = rank;
                kingFile[side] = file;
            }
            edgePawn |= (piece == WhitePawn || piece == BlackPawn) && (rank == 1 || rank == 8);
        }
    }
    if (kings[0] != 1) return kings[0] == 0 ? "falta o rei branco" : "mais de um rei branco";
    if (kings[1] != 1) return kings[1] == 0 ? "falta o rei preto" : "mais de um rei preto";
    if (std::abs(kingRank[0] - kingRank[1]) <= 1 && std::abs(kingFile[0] - kingFile[1]) <= 1)
        return "os reis estão lado a lado";
    if (edgePawn) return "peão na primeira ou na última fileira";
    if (KingInCheck(whiteToMove ? "B" : "W", ply)) return "o lado que não joga está em xeque";
    // The pawn that has just made its double step stands in front of the
    // en-passant square, which is empty with the square behind it.
    const int epFile = (whiteToMove ? BlackPawnFlags : WhitePawnFlags)[ply][1];
    if (epFile != 0) {
        const int pawnRank = whiteToMove ? 5 : 4, step = whiteToMove ? 1 : -1;
        if (b[pawnRank][epFile] != (whiteToMove ? BlackPawn : WhitePawn) ||
            b[pawnRank + step][epFile] != Empty || b[pawnRank + 2 * step][epFile] != Empty)
            return "casa de en passant impossível";
    }
    return "";
}

// Reads the tokens of one game and replays its moves on kWorkPly.
class GameReader {
public:
    GameReader(std::string_view text, bool latin1, PgnGameRead& out, PgnFailure& failure)
        : text_(text), latin1_(latin1), out_(out), failure_(failure) {}

    // False at the first token that cannot be read.
    bool Take(const PgnLexeme& token) {
        switch (token.kind) {
        case PgnToken::Tag:
            if (started_) return Fail(PgnFault::BadText, token);
            Note(token);
            return true;
        case PgnToken::BadTag:
            return Fail(PgnFault::BadTag, token);
        case PgnToken::OpenComment:
        case PgnToken::Junk:
            return Fail(PgnFault::BadText, token);
        case PgnToken::OpenVariation:
            ++depth_;
            return Start();
        case PgnToken::CloseVariation:
            if (depth_ == 0) return Fail(PgnFault::BadText, token);
            --depth_;
            return true;
        case PgnToken::Result:
            if (depth_ == 0) out_.result = std::string(Text(token));
            return true;
        case PgnToken::Symbol:
            return depth_ > 0 || (Start() && Play(token));
        default:
            return true; // numbers, comments and annotations
        }
    }

    // The game read to its end: false when a variation is left open.
    bool Finish(std::size_t end) {
        if (!Start()) return false;
        if (depth_ > 0) {
            PgnLexeme open;
            open.begin = end;
            return Fail(PgnFault::BadText, open, "(");
        }
        if (out_.result.empty()) out_.result = "*";
        out_.finalFen = FenOf(kWorkPly, whiteToMove_ ? "W" : "B", halfmoves_, fullmove_);
        return true;
    }

private:
    std::string_view Text(const PgnLexeme& token) const {
        return text_.substr(token.begin, token.end - token.begin);
    }

    bool Fail(PgnFault fault, const PgnLexeme& token, std::string_view shown = {}) {
        failure_.fault = fault;
        if (started_) {
            failure_.moveNumber = fullmove_;
            failure_.blackToMove = !whiteToMove_;
        }
        const std::string_view raw = shown.empty() ? Text(token) : shown;
        // A move's text is short; a start position is shown as long as a tag.
        const std::size_t limit = shown.empty() ? MaxPgnFailureChars : MaxPgnTagChars;
        failure_.text = detail::CleanText(raw.substr(0, 4 * limit), latin1_, limit);
        return false;
    }

    void Note(const PgnLexeme& tag) {
        if (tag.name == "FEN") fen_ = detail::UnescapeTagValue(tag.value.substr(0, kTagBytes));
        if (tag.name == "SetUp") setUp_ = tag.value == "1";
        if (out_.tags.size() < MaxPgnTags)
            out_.tags.emplace_back(
                detail::CleanText(tag.name.substr(0, kTagBytes), false, MaxPgnTagChars),
                TagText(tag, latin1_));
    }

    // The start position, once, before the first move.
    bool Start() {
        if (started_) return true;
        if (setUp_ && fen_.empty()) return Fail(PgnFault::BadStartPosition, {}, "SetUp");
        const std::string fen = fen_.empty() ? std::string(StandardStartFen) : fen_;
        FenPosition start;
        if (!LoadFen(fen, kWorkPly, start)) return Fail(PgnFault::BadStartPosition, {}, fen);
        whiteToMove_ = start.sideToMove == "W";
        const std::string reason = ImpossibleReason(kWorkPly, whiteToMove_);
        if (!reason.empty()) {
            failure_.reason = reason;
            return Fail(PgnFault::ImpossibleStart, {}, fen);
        }
        started_ = true;
        halfmoves_ = start.halfmoveClock;
        fullmove_ = std::max(start.fullmoveNumber, 1);
        out_.startFen = FenOf(kWorkPly, start.sideToMove, halfmoves_, fullmove_);
        return true;
    }

    bool Play(const PgnLexeme& token) {
        if (out_.moves.size() >= static_cast<std::size_t>(MaxPgnGamePlies))
            return Fail(PgnFault::GameTooLong, token);
        MoveText move;
        const MoveRefusal refusal = ReadSan(Text(token), whiteToMove_ ? "W" : "B", kWorkPly, move);
        if (refusal != MoveRefusal::None) {
            return Fail(refusal == MoveRefusal::Malformed   ? PgnFault::MoveMalformed
                        : refusal == MoveRefusal::Ambiguous ? PgnFault::AmbiguousMove
                                                            : PgnFault::NoSuchMove,
                        token);
        }
        const bool promotes =
            detail::KindOf(move.piece) == 6 && (move.toRank == 1 || move.toRank == 8);
        if (promotes && move.promotion.empty()) move.promotion = whiteToMove_ ? "WQ" : "BQ";
        const bool resets = detail::KindOf(move.piece) == 6 || move.capture;
        if (!PlayReadMove(move, kWorkPly)) return Fail(PgnFault::NoSuchMove, token);
        out_.moves.push_back(move);
        halfmoves_ = resets ? 0 : std::min(halfmoves_ + 1, MaxMoveNumber);
        if (!whiteToMove_) fullmove_ = std::min(fullmove_ + 1, MaxMoveNumber);
        whiteToMove_ = !whiteToMove_;
        return true;
    }

    std::string_view text_;
    bool latin1_;
    PgnGameRead& out_;
    PgnFailure& failure_;
    std::string fen_;
    bool setUp_ = false, started_ = false, whiteToMove_ = true;
    std::size_t depth_ = 0;
    int halfmoves_ = 0, fullmove_ = 1;
};

const char* FaultText(PgnFault fault) {
    switch (fault) {
    case PgnFault::FileTooLarge:
        return "O arquivo passa de 64 MB";
    case PgnFault::FileUnreadable:
        return "Não foi possível ler o arquivo";
    case PgnFault::NoGames:
        return "Nenhuma partida no arquivo";
    case PgnFault::NoSuchGame:
        return "Essa partida não está no arquivo";
    case PgnFault::BadTag:
        return "Etiqueta mal escrita";
    case PgnFault::BadStartPosition:
        return "Posição inicial (FEN) mal escrita";
    case PgnFault::ImpossibleStart:
        return "Posição inicial impossível";
    case PgnFault::BadText:
        return "Texto que não faz parte de uma partida";
    case PgnFault::GameTooLong:
        return "Partida longa demais";
    case PgnFault::MoveMalformed:
    case PgnFault::NoSuchMove:
    case PgnFault::AmbiguousMove:
    case PgnFault::None:
        break;
    }
    return "";
}

} // namespace

std::string PgnFailure::Message() const {
    std::string where = game > 0 ? "Partida " + std::to_string(game) : "Arquivo";
    if (moveNumber > 0)
        where += ", lance " + std::to_string(moveNumber) + (blackToMove ? "..." : ".");
    if (!text.empty()) where += ": \"" + text + "\"";
    std::string why = FaultText(fault);
    if (fault == PgnFault::MoveMalformed) why = MoveRefusalText(MoveRefusal::Malformed);
    if (fault == PgnFault::NoSuchMove) why = MoveRefusalText(MoveRefusal::NoSuchMove);
    if (fault == PgnFault::AmbiguousMove) why = MoveRefusalText(MoveRefusal::Ambiguous);
    if (!reason.empty()) why += ": " + reason;
    return where + " — " + why;
}

PgnIndex IndexPgn(std::string_view text) {
    text = Bounded(text);
    PgnIndex index;
    index.latin1 = !detail::IsValidUtf8(text);
    IndexBuilder builder(text, index);
    PgnLexer lexer(text, TextStart(text), text.size());
    for (PgnLexeme token = lexer.Next(); token.kind != PgnToken::End; token = lexer.Next()) {
        if (!builder.Take(token)) return index;
    }
    builder.Finish(text.size());
    return index;
}

bool ReadPgnGame(std::string_view text, const PgnIndex& index, int game, PgnGameRead& out,
                 PgnFailure& failure) {
    out = PgnGameRead{};
    failure = PgnFailure{};
    failure.game = game;
    text = Bounded(text);
    if (game < 1 || static_cast<std::size_t>(game) > index.games.size() ||
        index.games[game - 1].offset + index.games[game - 1].length > text.size()) {
        failure.fault = PgnFault::NoSuchGame;
        return false;
    }
    const PgnGameEntry& entry = index.games[game - 1];
    const RulesStateKeeper keeper;
    PgnGameRead read;
    GameReader reader(text, index.latin1, read, failure);
    PgnLexer lexer(text, entry.offset, entry.offset + entry.length);
    for (PgnLexeme token = lexer.Next(); token.kind != PgnToken::End; token = lexer.Next()) {
        if (!reader.Take(token)) return false;
    }
    if (!reader.Finish(entry.offset + entry.length)) return false;
    out = std::move(read);
    failure = PgnFailure{};
    return true;
}

bool LoadPgnFile(const std::string& path, std::string& text, PgnFailure& failure) {
    failure = PgnFailure{};
    text.clear();
    std::ifstream in(path, std::ios::binary);
    std::string read;
    // Read in pieces, so that a file that grows or never ends (a device) stops at the limit.
    char buffer[1 << 16];
    while (in && read.size() <= MaxPgnFileBytes) {
        in.read(buffer, sizeof buffer);
        read.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (read.size() > MaxPgnFileBytes) {
        failure.fault = PgnFault::FileTooLarge;
        return false;
    }
    if (!in.eof()) {
        failure.fault = PgnFault::FileUnreadable;
        return false;
    }
    text = std::move(read);
    return true;
}

bool PlayReadMove(const MoveText& move, int ply) {
    if (ply < 0 || ply >= MaxDepth || !OnBoard(move.fromRank, move.fromFile) ||
        !OnBoard(move.toRank, move.toFile))
        return false;
    MoveText named = move;
    named.piece = Board[ply][move.fromRank][move.fromFile];
    if (named.piece == Empty || (move.piece != Empty && move.piece != named.piece)) return false;
    const bool black = IsBlackPiece(named.piece);
    const bool promotes = detail::KindOf(named.piece) == 6 && move.toRank == (black ? 1 : 8);
    PieceIndex placed = PromotedPieceOf(named);
    if (promotes && placed == Empty && move.promotion.empty())
        placed = black ? BlackQueen : WhiteQueen;
    if (promotes != (placed != Empty) ||
        (promotes && (IsBlackPiece(placed) != black || detail::KindOf(placed) >= 5)))
        return false;
    return ApplyMove(named, ply);
}

} // namespace corvane
