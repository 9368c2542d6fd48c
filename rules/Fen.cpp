#include "rules/Fen.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "rules/MoveText.h"
#include "rules/Notation.h"
#include "rules/RulesInternal.h"

namespace corvane {

namespace {

constexpr std::string_view kLetters = " RNBQKPrnbqkp";

std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) fields.push_back(text.substr(start, i - start));
    }
    return fields;
}

bool ParsePlacement(std::string_view text, PlyBoard& board) {
    board.Clear();
    int rank = 8, file = 1;
    for (const char c : text) {
        if (c == '/') {
            if (file != 9 || rank == 1) return false;
            --rank;
            file = 1;
        } else if (c >= '1' && c <= '8') {
            file += c - '0';
            if (file > 9) return false;
        } else {
            const std::size_t piece = kLetters.find(c);
            if (piece == std::string_view::npos || piece == 0 || file > 8) return false;
            board[rank][file++] = static_cast<PieceIndex>(piece);
        }
    }
    return rank == 1 && file == 9;
}

// Whether a pawn of the side to move can take en passant on the file at the
// ply: the square is only worth writing when the capture is a legal move.
bool EnPassantPlayable(int ply, bool whiteToMove, int epFile) {
    if (epFile < 1 || epFile > 8) return false;
    const RulesStateKeeper keeper;
    CountPieces(ply);
    RulesMoveList moves;
    ListLegalMoves(whiteToMove ? "W" : "B", ply, moves);
    const int fromRank = whiteToMove ? 5 : 4;
    const PieceIndex pawn = whiteToMove ? WhitePawn : BlackPawn;
    for (int i = 0; i < moves.count; ++i) {
        const RulesMove& m = moves.moves[i];
        if (m.toFile == epFile && m.toRank == (whiteToMove ? 6 : 3) && m.fromRank == fromRank &&
            m.fromFile != epFile && Board[ply][m.fromRank][m.fromFile] == pawn)
            return true;
    }
    return false;
}

bool ParseNumber(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

} // namespace

bool LoadFen(std::string_view fen, int ply, FenPosition& out) {
    if (ply < 0 || ply > MaxDepth) return false;
    const std::vector<std::string_view> f = Fields(fen);
    if (f.size() < 4 || f.size() > 6) return false;
    PlyBoard board;
    if (!ParsePlacement(f[0], board)) return false;
    if (f[1] != "w" && f[1] != "b") return false;
    const bool whiteToMove = f[1] == "w";
    bool rights[4] = {false, false, false, false}; // K Q k q
    if (f[2] != "-") {
        for (const char c : f[2]) {
            const std::size_t i = std::string_view("KQkq").find(c);
            if (i == std::string_view::npos || rights[i]) return false;
            rights[i] = true;
        }
    }
    int epFile = 0;
    if (f[3] != "-") {
        int epRank = 0;
        if (!ReadSquareName(f[3], epRank, epFile) || epRank != (whiteToMove ? 6 : 3)) return false;
    }
    FenPosition parsed;
    parsed.sideToMove = whiteToMove ? "W" : "B";
    if (f.size() >= 5 && !ParseNumber(f[4], parsed.halfmoveClock)) return false;
    if (f.size() >= 6 && !ParseNumber(f[5], parsed.fullmoveNumber)) return false;
    parsed.fullmoveNumber = std::min(parsed.fullmoveNumber, MaxMoveNumber);

    Board[ply] = board;
    WhiteCastleFlags[ply] = {static_cast<std::uint8_t>(!rights[0] && !rights[1]),
                             static_cast<std::uint8_t>(!rights[0]),
                             static_cast<std::uint8_t>(!rights[1]), 0};
    BlackCastleFlags[ply] = {static_cast<std::uint8_t>(!rights[2] && !rights[3]),
                             static_cast<std::uint8_t>(!rights[2]),
                             static_cast<std::uint8_t>(!rights[3]), 0};
    WhitePawnFlags[ply] = PlyFlags{};
    BlackPawnFlags[ply] = PlyFlags{};
    CastleMade[ply] = PlyFlags{};
    (whiteToMove ? BlackPawnFlags : WhitePawnFlags)[ply][1] = static_cast<std::uint8_t>(epFile);
    for (int r = 1; r <= 8; ++r) {
        for (int file = 1; file <= 8; ++file) {
            if (board[r][file] == WhiteKing) {
                WhiteKingRank = r;
                WhiteKingFile = file;
            } else if (board[r][file] == BlackKing) {
                BlackKingRank = r;
                BlackKingFile = file;
            }
        }
    }
    CountPieces(ply);
    out = parsed;
    return true;
}

std::string FenOf(int ply, std::string_view sideToMove, int halfmoveClock, int fullmoveNumber) {
    if (ply < 0 || ply > MaxDepth) return std::string();
    const PlyBoard& b = Board[ply];
    std::string text = detail::PlacementOf(b);
    const bool whiteToMove = sideToMove != "B";
    text += whiteToMove ? " w " : " b ";
    std::string castling;
    auto right = [&](const PlyFlags& flags, int rank, PieceIndex king, PieceIndex rook, int entry,
                     int rookFile, char letter) {
        if (flags[0] == 0 && flags[entry] == 0 && b[rank][5] == king && b[rank][rookFile] == rook)
            castling += letter;
    };
    right(WhiteCastleFlags[ply], 1, WhiteKing, WhiteRook, 1, 8, 'K');
    right(WhiteCastleFlags[ply], 1, WhiteKing, WhiteRook, 2, 1, 'Q');
    right(BlackCastleFlags[ply], 8, BlackKing, BlackRook, 1, 8, 'k');
    right(BlackCastleFlags[ply], 8, BlackKing, BlackRook, 2, 1, 'q');
    text += castling.empty() ? "-" : castling;
    const int epFile = (whiteToMove ? BlackPawnFlags : WhitePawnFlags)[ply][1];
    const std::string epSquare =
        EnPassantPlayable(ply, whiteToMove, epFile) ? SquareName(whiteToMove ? 6 : 3, epFile) : "";
    text += ' ' + (epSquare.empty() ? std::string("-") : epSquare);
    text += ' ' + std::to_string(halfmoveClock) + ' ' + std::to_string(fullmoveNumber);
    return text;
}

} // namespace corvane
