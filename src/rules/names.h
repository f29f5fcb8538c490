#pragma once

#include <QString>

#include <optional>

// Names as a clerk reads them. Two names that look alike on the screen or on paper are one name to
// the clerk: a company, department, group or user whose name looks like another's would be chosen in
// its place, and its rows read as the other's. So texts are stored in one form, characters nobody
// sees are refused, and names are compared by what they look like rather than by their code points.
namespace names {

// A text as it is stored: in Unicode's composed form (an "é" typed as an "e" and an accent is the
// one letter), without blanks around it, and each run of blanks (spaces of any width, tabs) one
// space; a text of several lines (an address) keeps its line breaks, each line so treated.
QString stored(const QString& text, bool multiLine = false);

// The first character nobody sees that the text holds (a right-to-left override, a zero-width
// space, a soft hyphen, …), if any. The joiners that some scripts need between their letters are
// allowed there.
std::optional<char32_t> invisibleCharacter(const QString& text);
// A word of the name that mixes the letters of two scripts (a Cyrillic "Е" among Latin letters
// looks like the Latin one), if any: such a name is made to pass for another.
QString wordMixingScripts(const QString& text);

// What a name looks like: equal for two names that a clerk cannot tell apart (letter case, width,
// blanks, and letters of another script shaped like Latin ones).
QString lookAlikeKey(const QString& name);
inline bool lookAlike(const QString& a, const QString& b)
{
    return lookAlikeKey(a) == lookAlikeKey(b);
}

} // namespace names
