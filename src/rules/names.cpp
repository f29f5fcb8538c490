#include "names.h"

#include <QHash>
#include <QList>

#include <algorithm>

namespace names {

namespace {

bool isBlank(char32_t c)
{
    return c == U'\t' || QChar::category(c) == QChar::Separator_Space;
}

// Most texts are plain ASCII without a run of blanks: they are what they are, without a copy.
bool alreadyStored(const QString& text)
{
    if (text.isEmpty())
        return true;
    if (text.front() == u' ' || text.back() == u' ')
        return false;
    QChar before;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80 || c == u'\t' || (c == u' ' && before == u' '))
            return false;
        before = c;
    }
    return true;
}

bool isLineBreak(char32_t c)
{
    return c == U'\n' || c == U'\r';
}

// The scripts whose letters may stand in one word: Japanese writes Han with its two kana, Korean
// Han with Hangul.
QChar::Script family(QChar::Script script)
{
    switch (script) {
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
        return QChar::Script_Han;
    default:
        return script;
    }
}

bool countsAsScript(QChar::Script script)
{
    return script != QChar::Script_Common && script != QChar::Script_Inherited && script != QChar::Script_Unknown;
}

// Letters of other scripts drawn like Latin ones, by their case-folded forms: a name written with
// them looks like the Latin name.
const QHash<char32_t, char32_t>& latinShapes()
{
    static const QHash<char32_t, char32_t> shapes = {
        // Cyrillic
        {U'а', U'a'}, {U'в', U'b'}, {U'е', U'e'}, {U'ѕ', U's'}, {U'і', U'i'}, {U'ј', U'j'}, {U'к', U'k'},
        {U'м', U'm'}, {U'н', U'h'}, {U'о', U'o'}, {U'р', U'p'}, {U'с', U'c'}, {U'т', U't'}, {U'у', U'y'},
        {U'х', U'x'}, {U'ԁ', U'd'}, {U'һ', U'h'}, {U'ӏ', U'l'}, {U'ԛ', U'q'}, {U'ԝ', U'w'},
        // Greek
        {U'α', U'a'}, {U'β', U'b'}, {U'ε', U'e'}, {U'ζ', U'z'}, {U'η', U'h'}, {U'ι', U'i'}, {U'κ', U'k'},
        {U'μ', U'm'}, {U'ν', U'n'}, {U'ο', U'o'}, {U'ρ', U'p'}, {U'τ', U't'}, {U'υ', U'y'}, {U'χ', U'x'},
        {U'ϲ', U'c'}, {U'ϳ', U'j'},
        // Armenian
        {U'օ', U'o'}, {U'ս', U'u'}, {U'հ', U'h'}, {U'ո', U'n'},
        // Cherokee, which case folds to its capitals
        {U'Ꭰ', U'd'}, {U'Ꭱ', U'r'}, {U'Ꭲ', U't'}, {U'Ꭵ', U'i'}, {U'Ꭹ', U'y'}, {U'Ꭺ', U'a'}, {U'Ꭻ', U'j'},
        {U'Ꭼ', U'e'}, {U'Ꮃ', U'w'}, {U'Ꮇ', U'm'}, {U'Ꮋ', U'h'}, {U'Ꮐ', U'g'}, {U'Ꮒ', U'h'}, {U'Ꮓ', U'z'},
        {U'Ꮟ', U'b'}, {U'Ꮢ', U'r'}, {U'Ꮤ', U'w'}, {U'Ꮥ', U's'}, {U'Ꮪ', U's'}, {U'Ꮮ', U'l'}, {U'Ꮯ', U'c'},
        {U'Ꮲ', U'p'}, {U'Ꮶ', U'k'}, {U'Ꮷ', U'd'}, {U'Ꮻ', U'o'}, {U'Ᏼ', U'b'},
        // Apostrophes a spreadsheet puts for the one typed, and a zero for an O.
        {U'\u2019', U'\''}, {U'\u2018', U'\''}, {U'\u02BC', U'\''}, {U'\u02B9', U'\''}, {U'`', U'\''},
        {U'\u00B4', U'\''}, {U'\u2032', U'\''}, {U'0', U'o'},
    };
    return shapes;
}

// The joiners some scripts need between two of their letters (Indic conjuncts, Persian words).
bool isJoiner(char32_t c)
{
    return c == 0x200C || c == 0x200D;
}

bool invisible(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        // Marks that draw nothing (variation selectors, the grapheme joiner, Mongolian and Khmer
        // ones), Hangul fillers and the blank braille pattern, which are letters that draw nothing.
        return (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF) || c == 0x034F ||
               (c >= 0x180B && c <= 0x180F) || c == 0x17B4 || c == 0x17B5 || c == 0x115F || c == 0x1160 ||
               c == 0x3164 || c == 0xFFA0 || c == 0x2800;
    }
}

} // namespace

QString stored(const QString& text, bool multiLine)
{
    if (alreadyStored(text))
        return text.isNull() ? text : text.trimmed();
    const QString composed = text.normalized(QString::NormalizationForm_C);
    QString out;
    out.reserve(composed.size());
    bool blankPending = false;
    for (const uint code : composed.toUcs4()) {
        const char32_t c = code;
        if (isBlank(c)) {
            blankPending = true;
            continue;
        }
        const bool breaksLine = multiLine && isLineBreak(c);
        const bool lineStart = out.isEmpty() || (multiLine && isLineBreak(out.back().unicode()));
        if (blankPending && !breaksLine && !lineStart)
            out += u' ';
        blankPending = false;
        out += QString::fromUcs4(&c, 1);
    }
    return out.trimmed();
}

std::optional<char32_t> invisibleCharacter(const QString& text)
{
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; }))
        return std::nullopt;
    const QList<uint> characters = text.toUcs4();
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const char32_t c = characters.at(i);
        if (c < 0x80 || !invisible(c))
            continue;
        if (isJoiner(c) && i > 0) {
            const char32_t before = characters.at(i - 1);
            const QChar::Script script = QChar::script(before);
            if ((QChar::isLetter(before) || QChar::isMark(before)) && countsAsScript(script) &&
                script != QChar::Script_Latin)
                continue;
        }
        return c;
    }
    return std::nullopt;
}

QString wordMixingScripts(const QString& text)
{
    const QList<uint> characters = text.toUcs4();
    qsizetype wordStart = 0;
    QChar::Script first = QChar::Script_Unknown;
    bool mixed = false;
    for (qsizetype i = 0; i <= characters.size(); ++i) {
        const bool inWord = i < characters.size() && (QChar::isLetterOrNumber(characters.at(i)) ||
                                                      QChar::isMark(characters.at(i)));
        if (!inWord) {
            if (mixed)
                return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()) + wordStart, i - wordStart);
            wordStart = i + 1;
            first = QChar::Script_Unknown;
            continue;
        }
        const QChar::Script script = family(QChar::script(characters.at(i)));
        if (!countsAsScript(script))
            continue;
        if (first == QChar::Script_Unknown)
            first = script;
        else if (script != first)
            mixed = true;
    }
    return {};
}

QString lookAlikeKey(const QString& name)
{
    const QString folded = name.normalized(QString::NormalizationForm_KC).toCaseFolded();
    QString key;
    key.reserve(folded.size());
    bool blankPending = false;
    for (const uint code : folded.toUcs4()) {
        char32_t c = code;
        if (isBlank(c)) {
            blankPending = true;
            continue;
        }
        if (invisible(c))
            continue;
        c = latinShapes().value(c, c);
        if (blankPending && !key.isEmpty())
            key += u' ';
        blankPending = false;
        key += QString::fromUcs4(&c, 1);
    }
    return key;
}

} // namespace names
