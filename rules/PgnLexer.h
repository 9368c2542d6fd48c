#pragma once
// The tokens of PGN text and the cleaning of the texts a file gives the player;
// shared by the PGN file reader's sources, not part of the public interface.
#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::detail {

enum class PgnToken {
    End,
    Tag,         // [Name "value"]
    BadTag,      // a line starting with "[" that is not a tag pair (to the end of the line)
    Comment,     // {...}, ";..." to the end of the line, or a line starting with "%"
    OpenComment, // "{" without its "}" (to the end of the text)
    MoveNumber,  // "12", "12.", "12...", or periods alone
    Symbol,      // a move, or a word that may be one ("Nf3", "O-O", "e8=Q+")
    Annotation,  // "!", "?", "!?", ..., "$1"
    Result,      // "1-0", "0-1", "1/2-1/2", "*"
    OpenVariation,
    CloseVariation,
    Junk, // anything else, up to the next blank
};

struct PgnLexeme {
    PgnToken kind = PgnToken::End;
    std::size_t begin = 0, end = 0; // the token's bytes in the text
    std::string_view name, value;   // of a tag: its name and its value with the escapes still in
};

// Splits text[begin, end) into tokens, one pass, no look-back beyond one byte
// (a "%" counts only at the start of a line of the whole text).
class PgnLexer {
public:
    PgnLexer(std::string_view text, std::size_t begin, std::size_t end);
    PgnLexeme Next();

private:
    PgnLexeme ReadTag(std::size_t start);
    std::size_t LineEnd(std::size_t from) const;
    std::size_t SymbolEnd(std::size_t from) const;

    std::string_view text_;
    std::size_t pos_, end_;
};

// True when every byte sequence of the text is well-formed UTF-8 (no overlong
// forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The text as UTF-8 for the player: decoded from UTF-8 (bad sequences become
// U+FFFD) or from Latin-1; control characters (C0, DEL, C1), line and paragraph
// separators and the invisible format and direction characters dropped, tabs
// and line breaks made blanks, runs of blanks made one, blanks at both ends
// dropped; cut to maxChars characters.
std::string CleanText(std::string_view raw, bool latin1, std::size_t maxChars);

// A tag value with its escapes ("\"" and "\\") resolved.
std::string UnescapeTagValue(std::string_view raw);

} // namespace corvane::detail
