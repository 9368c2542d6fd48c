#include "PgnReader.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <regex>
#include <sstream>

namespace reftest {

namespace {

const char* const kRoster[] = {"Event", "Site", "Date", "Round", "White", "Black", "Result"};

struct San {
    char piece = 'P';
    int file = -1, rank = -1; // the from-square's file and rank as written, 0-based
    bool capture = false, castle = false, longCastle = false;
    int to = -1;
    char promotion = 0;
    std::string mark;
};

bool ParseSan(const std::string& t, San& s) {
    static const std::regex form(
        "(?:(O-O-O|O-O)|([KQRBN])?([a-h])?([1-8])?(x)?([a-h][1-8])(?:=([QRBN]))?)([+#]?)");
    std::smatch m;
    if (!std::regex_match(t, m, form)) return false;
    s.castle = m[1].matched;
    s.longCastle = m[1] == "O-O-O";
    s.piece = s.castle ? 'K' : m[2].matched ? m[2].str()[0] : 'P';
    if (m[3].matched) s.file = m[3].str()[0] - 'a';
    if (m[4].matched) s.rank = m[4].str()[0] - '1';
    s.capture = m[5].matched;
    if (m[6].matched) s.to = (m[6].str()[1] - '1') * 8 + (m[6].str()[0] - 'a');
    if (m[7].matched) s.promotion = m[7].str()[0];
    s.mark = m[8];
    return true;
}

// The one legal move the SAN names, or what is wrong with the SAN.
std::string Resolve(const Position& p, const San& s, Move& out) {
    std::vector<Move> same; // legal moves of the same kind of piece onto the same square
    for (const Move& m : LegalMoves(p)) {
        const char kind = static_cast<char>(std::toupper(p.square[m.from]));
        const bool castling = kind == 'K' && std::abs(m.to - m.from) == 2;
        if (s.castle ? castling && (m.to < m.from) == s.longCastle
                     : !castling && kind == s.piece && m.to == s.to)
            same.push_back(m);
    }
    std::vector<Move> fit;
    for (const Move& m : same) {
        if ((s.file < 0 || m.from % 8 == s.file) && (s.rank < 0 || m.from / 8 == s.rank))
            fit.push_back(m);
    }
    if (fit.size() != 1) return fit.empty() ? "no such legal move" : "ambiguous";
    const Move m = fit[0];
    out = m;
    if (s.castle) return "";
    const bool pawn = s.piece == 'P';
    const bool capture = p.square[m.to] != '.' || (pawn && m.from % 8 != m.to % 8);
    if (capture != s.capture) return "wrong capture mark";
    const std::string from = SquareName(m.from);
    std::string shortest;
    if (pawn && capture) shortest = from.substr(0, 1);
    if (!pawn && same.size() > 1) {
        auto count = [&](auto key) {
            return std::count_if(same.begin(), same.end(),
                                 [&](const Move& o) { return key(o.from) == key(m.from); });
        };
        if (count([](int sq) { return sq % 8; }) == 1)
            shortest = from.substr(0, 1);
        else if (count([](int sq) { return sq / 8; }) == 1)
            shortest = from.substr(1, 1);
        else
            shortest = from;
    }
    const std::string given = (s.file >= 0 ? std::string(1, char('a' + s.file)) : "") +
                              (s.rank >= 0 ? std::string(1, char('1' + s.rank)) : "");
    if (given != shortest) return "not the shortest disambiguation";
    if ((pawn && (m.to / 8 == 0 || m.to / 8 == 7)) != (s.promotion != 0)) return "promotion";
    return "";
}

bool ReadTag(const std::string& line, std::pair<std::string, std::string>& tag) {
    static const std::regex form(R"re(\[([A-Za-z]+) "((?:[^"\\]|\\.)*)"\])re"), escape(R"(\\(.))");
    std::smatch m;
    if (!std::regex_match(line, m, form)) return false;
    tag = {m[1], std::regex_replace(m[2].str(), escape, "$1")};
    return true;
}

std::string ReadMoves(PgnRead& r, Position p, int number, std::istringstream& tokens) {
    std::vector<std::string> t{std::istream_iterator<std::string>(tokens), {}};
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == "1-0" || t[i] == "0-1" || t[i] == "1/2-1/2" || t[i] == "*") {
            r.result = t[i];
            return i + 1 == t.size() ? "" : "moves after the result";
        }
        const std::string numbered = std::to_string(number) + (p.whiteToMove ? "." : "...");
        if (p.whiteToMove || r.moves == 0) {
            if (t[i] != numbered) return "expected " + numbered + " before " + t[i];
            if (++i == t.size()) break;
        }
        San san;
        Move m;
        if (!ParseSan(t[i], san)) return "not a SAN move: " + t[i];
        const std::string wrong = Resolve(p, san, m);
        if (!wrong.empty()) return t[i] + ": " + wrong;
        if (!p.whiteToMove) ++number;
        m.promotion = san.promotion;
        p = Play(p, m);
        const bool check = InCheck(p, p.whiteToMove);
        const std::string mark = !check ? "" : LegalMoves(p).empty() ? "#" : "+";
        if (mark != san.mark) return t[i] + ": the mark should be '" + mark + "'";
        ++r.moves;
        r.final = p;
    }
    return "no result at the end";
}

} // namespace

PgnRead ReadPgn(const std::string& text) {
    PgnRead r;
    std::istringstream in(text);
    std::string line, movetext;
    std::pair<std::string, std::string> tag;
    while (std::getline(in, line) && !line.empty()) {
        if (!ReadTag(line, tag)) return r.error = "bad tag line " + line, r;
        r.tags.push_back(tag);
    }
    while (std::getline(in, line) && !line.empty()) {
        if (line.size() >= 80) return r.error = "line of 80 characters or more", r;
        movetext += line + ' ';
    }
    if (in.get() != std::char_traits<char>::eof() || text.size() < 2 ||
        text.substr(text.size() - 2) != "\n\n")
        return r.error = "the text must end with the movetext and one blank line", r;
    for (std::size_t i = 0; i < 7; ++i) {
        if (i >= r.tags.size() || r.tags[i].first != kRoster[i])
            return r.error = std::string("tag missing or out of order: ") + kRoster[i], r;
    }
    const std::string standard = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    std::string fen = standard;
    bool setUp = false;
    for (const auto& [name, value] : r.tags) {
        if (name == "FEN") fen = value;
        setUp |= name == "SetUp" && value == "1";
    }
    if (setUp != (fen != standard))
        return r.error = "SetUp and FEN go together, for a start that is not the standard one", r;
    std::istringstream fields(fen);
    std::string field;
    int number = 1;
    for (int i = 0; i < 6 && fields >> field; ++i) {
        if (i == 5) number = std::stoi(field);
    }
    if (!ParseFen(fen, r.final)) return r.error = "bad FEN " + fen, r;
    std::istringstream tokens(movetext);
    r.error = ReadMoves(r, r.final, number, tokens);
    if (r.error.empty() && r.result != r.tags[6].second) r.error = "result tag differs";
    const bool over = LegalMoves(r.final).empty();
    const std::string due = !over                                    ? r.result
                            : !InCheck(r.final, r.final.whiteToMove) ? "1/2-1/2"
                            : r.final.whiteToMove                    ? "0-1"
                                                                     : "1-0";
    if (r.error.empty() && due != r.result) r.error = "the result should be " + due;
    return r;
}

} // namespace reftest
