// PGN tokens and the cleaning of file texts.
#include "rules/PgnLexer.h"

#include <algorithm>
#include <cstdint>

namespace corvane::detail {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
// The characters a symbol (a move, a result) is made of.
bool IsSymbolChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '_' || c == '+' || c == '#' || c == '=' || c == ':' ||
           c == '-' || c == '/';
}

} // namespace

PgnLexer::PgnLexer(std::string_view text, std::size_t begin, std::size_t end)
    : text_(text), pos_(std::min(begin, text.size())), end_(std::min(end, text.size())) {}

std::size_t PgnLexer::LineEnd(std::size_t from) const {
    const std::size_t newline = text_.substr(0, end_).find('\n', from);
    return newline == std::string_view::npos ? end_ : newline;
}

std::size_t PgnLexer::SymbolEnd(std::size_t from) const {
    while (from < end_ && IsSymbolChar(text_[from])) ++from;
    return from;
}

PgnLexeme PgnLexer::Next() {
    while (pos_ < end_ && IsBlank(text_[pos_])) ++pos_;
    PgnLexeme token;
    token.begin = pos_;
    if (pos_ >= end_) {
        token.end = pos_;
        return token;
    }
    const char c = text_[pos_];
    const bool lineStart = pos_ == 0 || text_[pos_ - 1] == '\n';
    std::size_t end = pos_ + 1;
    if (c == '[') {
        token = ReadTag(pos_);
        pos_ = token.end;
        return token;
    }
    if (c == '{') {
        const std::size_t close = text_.substr(0, end_).find('}', pos_ + 1);
        token.kind = close == std::string_view::npos ? PgnToken::OpenComment : PgnToken::Comment;
        end = close == std::string_view::npos ? end_ : close + 1;
    } else if (c == ';' || (c == '%' && lineStart)) {
        token.kind = PgnToken::Comment;
        end = LineEnd(pos_);
    } else if (c == '(' || c == ')') {
        token.kind = c == '(' ? PgnToken::OpenVariation : PgnToken::CloseVariation;
    } else if (c == '*') {
        token.kind = PgnToken::Result;
    } else if (c == '!' || c == '?') {
        while (end < end_ && (text_[end] == '!' || text_[end] == '?')) ++end;
        token.kind = PgnToken::Annotation;
    } else if (c == '$' && end < end_ && IsDigit(text_[end])) {
        while (end < end_ && IsDigit(text_[end])) ++end;
        token.kind = PgnToken::Annotation;
    } else if (c == '.') {
        while (end < end_ && text_[end] == '.') ++end;
        token.kind = PgnToken::MoveNumber;
    } else if (IsLetter(c) || IsDigit(c)) {
        end = SymbolEnd(pos_);
        const std::string_view word = text_.substr(pos_, end - pos_);
        const bool digits = std::all_of(word.begin(), word.end(), IsDigit);
        if (digits) { // a move number, its periods optional
            while (end < end_ && text_[end] == '.') ++end;
            token.kind = PgnToken::MoveNumber;
        } else if (word == "1-0" || word == "0-1" || word == "1/2-1/2") {
            token.kind = PgnToken::Result;
        } else {
            token.kind = PgnToken::Symbol;
        }
    } else {
        while (end < end_ && !IsBlank(text_[end])) ++end;
        token.kind = PgnToken::Junk;
    }
    token.end = end;
    pos_ = end;
    return token;
}

// [ Name "value" ] on one line; anything else up to the end of the line is a bad tag.
PgnLexeme PgnLexer::ReadTag(std::size_t start) {
    PgnLexeme token;
    token.begin = start;
    const std::size_t lineEnd = LineEnd(start);
    auto skipSpaces = [&](std::size_t i) {
        while (i < lineEnd && (text_[i] == ' ' || text_[i] == '\t')) ++i;
        return i;
    };
    std::size_t i = skipSpaces(start + 1);
    const std::size_t nameStart = i;
    while (i < lineEnd && (IsLetter(text_[i]) || IsDigit(text_[i]) || text_[i] == '_')) ++i;
    const std::size_t nameEnd = i;
    i = skipSpaces(i);
    bool good = nameEnd > nameStart && i < lineEnd && text_[i] == '"';
    const std::size_t valueStart = i + 1;
    for (i = valueStart; good && i < lineEnd && text_[i] != '"'; ++i) {
        if (text_[i] == '\\') ++i;
    }
    const std::size_t valueEnd = i; // lineEnd when the closing quote is missing
    if (good) i = skipSpaces(i + 1);
    if (!good || i >= lineEnd || text_[i] != ']') {
        token.kind = PgnToken::BadTag;
        token.end = lineEnd;
        return token;
    }
    token.kind = PgnToken::Tag;
    token.end = i + 1;
    token.name = text_.substr(nameStart, nameEnd - nameStart);
    token.value = text_.substr(valueStart, valueEnd - valueStart);
    return token;
}

// --- Texts for the player ---------------------------------------------------------------

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point at text[i] and its length in bytes; a bad sequence reads as one
// replacement character of one byte.
char32_t DecodeUtf8(std::string_view text, std::size_t i, std::size_t& length) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    length = 1;
    if (lead < 0x80) return lead;
    int more = 0;
    char32_t cp = 0, least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1, cp = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2, cp = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3, cp = lead & 0x07, least = 0x10000;
    } else {
        return kReplacement;
    }
    if (i + more >= text.size()) return kReplacement;
    for (int k = 1; k <= more; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return kReplacement;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
    length = static_cast<std::size_t>(more) + 1;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Characters that must not reach a label: controls, separators, and the
// invisible ones that change how the text around them is shown.
bool Hidden(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0xAD ||
           (cp >= 0x200B && cp <= 0x200F) || (cp >= 0x2028 && cp <= 0x202E) ||
           (cp >= 0x2060 && cp <= 0x206F) || cp == 0xFEFF || (cp >= 0xFFF9 && cp <= 0xFFFB) ||
           (cp >= 0xE0000 && cp <= 0xE007F);
}

} // namespace

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        if (static_cast<unsigned char>(text[i]) >= 0x80 &&
            DecodeUtf8(text, i, length) == kReplacement && length == 1)
            return false;
        i += length;
    }
    return true;
}

std::string CleanText(std::string_view raw, bool latin1, std::size_t maxChars) {
    std::string out;
    std::size_t chars = 0;
    bool blank = true; // no blank at the start, none twice
    for (std::size_t i = 0; i < raw.size() && chars < maxChars;) {
        std::size_t length = 1;
        const char32_t cp =
            latin1 ? static_cast<unsigned char>(raw[i]) : DecodeUtf8(raw, i, length);
        i += length;
        const bool space = cp == ' ' || cp == '\t' || cp == '\n' || cp == '\r';
        if (space) {
            if (!blank) out += ' ', ++chars;
            blank = true;
        } else if (!Hidden(cp)) {
            AppendUtf8(out, cp);
            ++chars;
            blank = false;
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string UnescapeTagValue(std::string_view raw) {
    std::string value;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
        value += raw[i];
    }
    return value;
}

} // namespace corvane::detail
