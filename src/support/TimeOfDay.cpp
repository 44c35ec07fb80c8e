#include "support/TimeOfDay.h"

#include "support/Utility.h"

#include <cstddef>
#include <vector>

namespace vorin {
namespace {

// One piece of a pattern: literal text, or a conversion with its flags,
// width and modifier as written ("%-I", "%OM").
struct Piece
{
    std::string text;
    char conversion = 0; // 0 for literal text
    std::string flags;
    int width = 0; // 0: the conversion's own
};

bool isFlag(char c)
{
    return c == '-' || c == '_' || c == '0' || c == '^' || c == '#';
}

bool isDigitChar(char c)
{
    return c >= '0' && c <= '9';
}

std::vector<Piece> split(std::string_view pattern)
{
    std::vector<Piece> pieces;
    const auto literal = [&pieces](std::string_view text) {
        if (pieces.empty() || pieces.back().conversion != 0)
            pieces.push_back(Piece{});
        pieces.back().text += text;
    };
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (pattern[i] != '%') {
            literal(pattern.substr(i, 1));
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        Piece piece;
        while (j < pattern.size() && isFlag(pattern[j]))
            piece.flags += pattern[j++];
        while (j < pattern.size() && isDigitChar(pattern[j])) {
            if (piece.width < 100)
                piece.width = piece.width * 10 + (pattern[j] - '0');
            ++j;
        }
        if (j < pattern.size() && (pattern[j] == 'E' || pattern[j] == 'O'))
            ++j;
        if (j >= pattern.size()) { // a lone "%" at the end is text
            literal(pattern.substr(i));
            break;
        }
        piece.conversion = pattern[j];
        piece.text = std::string(pattern.substr(i, j + 1 - i));
        pieces.push_back(std::move(piece));
        i = j + 1;
    }
    return pieces;
}

std::string join(const std::vector<Piece> &pieces)
{
    std::string out;
    for (const Piece &piece : pieces)
        out += piece.text;
    return out;
}

// %T, and %r as the locale spells it (or as POSIX does), written out so that
// their seconds can be found.
std::string spellOut(std::string_view pattern, std::string_view twelveHour)
{
    std::string out;
    for (const Piece &piece : split(pattern)) {
        if (piece.conversion == 'T')
            out += "%H:%M:%S";
        else if (piece.conversion == 'r')
            out += twelveHour.empty() ? std::string_view("%I:%M:%S %p") : twelveHour;
        else
            out += piece.text;
    }
    return out;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

// ":" or "." between minutes and seconds, perhaps with blanks: ASCII
// punctuation and blanks only.
bool isSeparator(const std::string &text)
{
    if (text.empty())
        return false;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        const bool punctuation = (u >= 0x21 && u <= 0x2F) || (u >= 0x3A && u <= 0x40) ||
                                 (u >= 0x5B && u <= 0x60) || (u >= 0x7B && u <= 0x7E);
        if (!punctuation && !isSpace(c))
            return false;
    }
    return true;
}

void trimEnd(std::string &text)
{
    while (!text.empty() && isSpace(text.back()))
        text.pop_back();
}

// Drops one seconds field and what belongs to it: the separator before it
// ("%M:%S"), or else the word after it ("%S秒", "%S s" at the end).
void dropSeconds(std::vector<Piece> &pieces, std::size_t s)
{
    const bool separatorBefore = s >= 2 && pieces[s - 1].conversion == 0 &&
                                 pieces[s - 2].conversion != 0 && isSeparator(pieces[s - 1].text);
    if (separatorBefore) {
        pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(s - 1),
                     pieces.begin() + static_cast<std::ptrdiff_t>(s + 1));
        return;
    }
    pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(s));
    if (s >= pieces.size() || pieces[s].conversion != 0)
        return;
    std::string &after = pieces[s].text;
    std::size_t word = 0;
    while (word < after.size() && !isSpace(after[word]))
        ++word;
    if (word > 0) {
        after.erase(0, word);
    } else if (s + 1 == pieces.size()) {
        // " s" closing the pattern: a unit word of its own.
        std::size_t start = 0;
        while (start < after.size() && isSpace(after[start]))
            ++start;
        if (after.find_first_of(" \t\n", start) == std::string::npos) {
            after.clear();
            if (s > 0 && pieces[s - 1].conversion == 0)
                trimEnd(pieces[s - 1].text);
        }
    }
    if (after.empty())
        pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(s));
}

std::string number(int value, const Piece &piece, char pad)
{
    if (piece.flags.find('-') != std::string::npos)
        pad = 0;
    else if (piece.flags.find('_') != std::string::npos)
        pad = ' ';
    else if (piece.flags.find('0') != std::string::npos)
        pad = '0';
    std::string digits = std::to_string(value);
    const std::size_t width = piece.width > 0 ? static_cast<std::size_t>(piece.width) : 2;
    if (pad != 0 && digits.size() < width)
        digits.insert(0, width - digits.size(), pad);
    return digits;
}

std::string caseOf(std::string text, bool upper)
{
    for (char &c : text) {
        if (upper && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
        else if (!upper && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    }
    return text;
}

bool showsHours(std::string_view pattern)
{
    for (const Piece &piece : split(pattern))
        if (piece.conversion == 'H' || piece.conversion == 'k' || piece.conversion == 'I' ||
            piece.conversion == 'l' || piece.conversion == 'R')
            return true;
    return false;
}

bool twelveHour(std::string_view pattern)
{
    for (const Piece &piece : split(pattern))
        if (piece.conversion == 'I' || piece.conversion == 'l')
            return true;
    return false;
}

} // namespace

std::string withoutSeconds(std::string_view pattern)
{
    std::vector<Piece> pieces = split(spellOut(pattern, {}));
    for (std::size_t i = 0; i < pieces.size();) {
        if (pieces[i].conversion == 'S') {
            dropSeconds(pieces, i);
            i = 0;
        } else {
            ++i;
        }
    }
    return join(pieces);
}

TimeOfDayFormat shortTimeFormat(std::string_view timePattern, std::string_view amPmPattern,
                                std::string am, std::string pm)
{
    const std::string_view chosen = timePattern.empty() ? amPmPattern : timePattern;
    TimeOfDayFormat format;
    std::string pattern = withoutSeconds(spellOut(chosen, amPmPattern));
    // A 12-hour clock whose locale has no words for the two halves of the
    // day would write 2 for 02:00 and 14:00 alike.
    const bool ambiguous = twelveHour(pattern) && am.empty() && pm.empty();
    if (showsHours(pattern) && !ambiguous) {
        format.pattern = std::move(pattern);
        format.am = std::move(am);
        format.pm = std::move(pm);
    }
    return format;
}

namespace {

// The first character of a UTF-8 word, or the word when it begins with no
// well-formed character.
std::string firstCharacter(const std::string &word)
{
    const std::size_t length = utf8SequenceLength(word, 0);
    return length == 0 ? word : word.substr(0, length);
}

} // namespace

TimeOfDayFormat windowsShortTimeFormat(std::string_view picture, std::string am, std::string pm)
{
    std::string pattern;
    bool shortWords = false;
    bool fullWords = false;
    std::size_t i = 0;
    while (i < picture.size()) {
        const char c = picture[i];
        if (c == '\'' && i + 1 < picture.size() && picture[i + 1] == '\'') {
            pattern += '\''; // '' stands for a quote, inside quoted text or not
            i += 2;
            continue;
        }
        if (c == '\'') {
            // Quoted text up to the next lone quote.
            ++i;
            while (i < picture.size()) {
                if (picture[i] == '\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                        pattern += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                pattern += picture[i] == '%' ? std::string("%%") : std::string(1, picture[i]);
                ++i;
            }
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        const bool padded = run >= 2;
        switch (c) {
        case 'h':
            pattern += padded ? "%I" : "%-I";
            break;
        case 'H':
            pattern += padded ? "%H" : "%-H";
            break;
        case 'm':
            pattern += padded ? "%M" : "%-M";
            break;
        case 's':
            pattern += padded ? "%S" : "%-S";
            break;
        case 't':
            pattern += "%p";
            (padded ? fullWords : shortWords) = true;
            break;
        case '%':
            pattern.append(2 * run, '%');
            break;
        default:
            pattern.append(run, c);
            break;
        }
        i += run;
    }
    if (shortWords && !fullWords) {
        am = firstCharacter(am);
        pm = firstCharacter(pm);
    }
    return shortTimeFormat(pattern, "", std::move(am), std::move(pm));
}

std::string formatTimeOfDay(const TimeOfDayFormat &format, int hours, int minutes)
{
    const int twelve = hours % 12 == 0 ? 12 : hours % 12;
    const std::string &half = hours < 12 ? format.am : format.pm;
    std::string out;
    for (const Piece &piece : split(format.pattern)) {
        switch (piece.conversion) {
        case 0:
            out += piece.text;
            break;
        case 'H':
            out += number(hours, piece, '0');
            break;
        case 'k':
            out += number(hours, piece, ' ');
            break;
        case 'I':
            out += number(twelve, piece, '0');
            break;
        case 'l':
            out += number(twelve, piece, ' ');
            break;
        case 'M':
            out += number(minutes, piece, '0');
            break;
        case 'S':
            out += number(0, piece, '0');
            break;
        case 'p':
            out += piece.flags.find('^') != std::string::npos   ? caseOf(half, true)
                   : piece.flags.find('#') != std::string::npos ? caseOf(half, false)
                                                                : half;
            break;
        case 'P':
            out += caseOf(half, false);
            break;
        case 'R':
        case 'T':
        case 'r': {
            TimeOfDayFormat inner = format;
            inner.pattern = piece.conversion == 'R'   ? "%H:%M"
                            : piece.conversion == 'T' ? "%H:%M:%S"
                                                      : "%I:%M:%S %p";
            out += formatTimeOfDay(inner, hours, minutes);
            break;
        }
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '%':
            out += '%';
            break;
        default:
            break;
        }
    }
    return out;
}

} // namespace vorin
