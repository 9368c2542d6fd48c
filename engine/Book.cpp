// The opening book: a few lines for the computer's first moves, chosen at random.
#include "engine/ModCompMove.h"
#include "rules/MoveText.h"

namespace corvane {

void LoadOpeningBook() {
    for (std::string& line : OpeningBook) line.clear();
    OpeningBook[1] = "e2-e4 e7-e5 ";
    OpeningBook[2] = "e2-e4 e7-e6 ";
    OpeningBook[3] = "e2-e4 c7-c5 ";
    OpeningBook[4] = "d2-d4 d7-d5 ";
    OpeningBook[5] = "d2-d4 d7-d6 ";
    OpeningBook[6] = "d2-d4 g8-f6 ";
    OpeningBook[7] = "g1-f3 g8-f6 ";
    OpeningBook[8] = "g1-f3 d7-d5 ";
    OpeningBook[9] = "b1-c3 e7-e5 ";
    OpeningBook[10] = "b1-c3 b8-c6 ";
    OpeningBook[11] = "e2-e3 e7-e5 ";
    OpeningBook[12] = "d2-d3 d7-d5 ";
    OpeningBook[13] = "g2-g3 e7-e5 ";
    OpeningBook[14] = "b2-b3 d7-d5 ";
    OpeningBook[15] = "c2-c4 e7-e5 ";
    OpeningBook[16] = "c2-c3 e7-e5 ";
    OpeningBook[21] = "e2-e4 e7-e5 g1-f3 b8-c6";
    OpeningBook[22] = "e2-e4 e7-e5 g1-f3 d7-d6";
    OpeningBook[23] = "d2-d4 d7-d5 g1-f3 g8-f6";
    OpeningBook[24] = "d2-d4 d7-d5 g1-f3 e7-e6";
    OpeningBook[40] = "e2-e4 ";
    OpeningBook[41] = "d2-d4 ";
    OpeningBook[42] = "e2-e4 e7-e5 g1-f3 ";
    OpeningBook[43] = "e2-e4 e7-e5 b1-c3 ";
    OpeningBook[44] = "d2-d4 d7-d5 g1-f3 ";
    OpeningBook[45] = "d2-d4 d7-d5 b1-c3 ";
}

namespace {

// Characters first..last (1-based, inclusive) of a line.
std::string Chars(const std::string& line, std::size_t first, std::size_t last) {
    if (first > line.size()) return std::string();
    return line.substr(first - 1, last - first + 1);
}

// The reply of a book line, taken out by position.
std::string Reply(int index) {
    const std::string& line = OpeningBook[index];
    if (index >= 1 && index <= 16) return Chars(line, 7, 11);
    if (index >= 21 && index <= 24) return Chars(line, 19, 23);
    if (index >= 42 && index <= 45) return Chars(line, 13, 17);
    return line; // lines 40 and 41 are passed whole
}

float BookDraw() {
    Random().SeedFromClock();
    return Random().Next();
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

} // namespace

bool PlayBookMove(const std::string& moveText, int ply) {
    return PlayBookMove(moveText, ply, "");
}

bool PlayBookMove(const std::string& moveText, int ply, std::string_view side) {
    MoveText move;
    if (!ParseCoordinateText(Trimmed(moveText), move)) return false;
    FromRank = move.fromRank;
    FromFile = move.fromFile;
    ToRank = move.toRank;
    ToFile = move.toFile;
    PlyBoard& board = Board[ply];
    PieceIndex piece = board[FromRank][FromFile];
    if (piece == Empty || board[ToRank][ToFile] != Empty) return false;
    // In a position set up by hand the reply's from-square may hold a piece of
    // the other colour; the book plays only the computer's own pieces.
    if (side == "W" && !IsWhitePiece(piece)) return false;
    if (side == "B" && !IsBlackPiece(piece)) return false;
    if (MoveBarred(piece, ply)) return false;
    const bool ownCheck = piece > 6 ? BlackInCheck : WhiteInCheck;
    if (ownCheck) return false;
    board[FromRank][FromFile] = Empty;
    board[ToRank][ToFile] = piece;
    move.piece = piece;
    move.capture = false;
    CurrentMove = FormatMoveText(move);
    return true;
}

bool BlackBookMove(int ply) {
    CurrentMove.clear();
    const float r = BookDraw();
    if (ListCursor == 0) {
        if (OpeningLine == "e2-e4 ") {
            PlayBookMove(Reply(r > 0.5 ? 1 : (r > 0.3 ? 2 : 3)), ply, "B");
        } else if (OpeningLine == "d2-d4 ") {
            PlayBookMove(Reply(r > 0.5 ? 4 : (r > 0.3 ? 5 : 6)), ply, "B");
        } else if (OpeningLine == "g1-f3 ") {
            PlayBookMove(Reply(r > 0.5 ? 7 : 8), ply, "B");
        } else if (OpeningLine == "b1-c3 ") {
            PlayBookMove(Reply(r > 0.5 ? 9 : 10), ply, "B");
        } else {
            for (int i = 11; i <= 16; ++i) {
                if (Chars(OpeningLine, 1, 6) == Chars(OpeningBook[i], 1, 6)) {
                    PlayBookMove(Reply(i), ply, "B");
                }
            }
        }
    } else if (ListCursor == 2) {
        if (OpeningLine == "e2-e4 e7-e5 g1-f3 ") {
            PlayBookMove(Reply(r > 0.5 ? 21 : 22), ply, "B");
        } else if (OpeningLine == "d2-d4 d7-d5 g1-f3 ") {
            PlayBookMove(Reply(r > 0.5 ? 23 : 24), ply, "B");
        }
    } else {
        CurrentMove.clear();
    }
    return !CurrentMove.empty();
}

bool WhiteBookMove(int ply) {
    CurrentMove.clear();
    const float r = BookDraw();
    if (ListCursor == -1) {
        PlayBookMove(Reply(r >= 0.5 ? 40 : 41), ply, "W");
    } else if (ListCursor == 1) {
        if (OpeningLine == "e2-e4 e7-e5 ") {
            PlayBookMove(Reply(r >= 0.5 ? 42 : 43), ply, "W");
        } else if (OpeningLine == "d2-d4 d7-d5 ") {
            PlayBookMove(Reply(r >= 0.5 ? 44 : 45), ply, "W");
        }
    }
    return !CurrentMove.empty();
}

} // namespace corvane
