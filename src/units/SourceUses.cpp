#include "units/SourceUses.h"

#include "base/UCharsetConvert.h"
#include "base/UFileUtils.h"

#include <QFileInfo>

#include <map>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Three-valued: a condition the reader can decide, or not.
enum class TTruth { No, Yes, Unknown };

TTruth Not(TTruth t)
{
    return t == TTruth::Unknown ? t : (t == TTruth::Yes ? TTruth::No : TTruth::Yes);
}
TTruth And(TTruth a, TTruth b)
{
    if (a == TTruth::No || b == TTruth::No)
        return TTruth::No;
    return a == TTruth::Yes && b == TTruth::Yes ? TTruth::Yes : TTruth::Unknown;
}
TTruth Or(TTruth a, TTruth b)
{
    return Not(And(Not(a), Not(b)));
}

struct TToken
{
    enum TKind { Identifier, String, Symbol } Kind;
    QString Text;
    bool Conditional = false;
    bool Is(QStringView word) const
    {
        return Kind == Identifier && Text.compare(word, Qt::CaseInsensitive) == 0;
    }
    bool IsSymbol(QChar c) const { return Kind == Symbol && Text.size() == 1 && Text[0] == c; }
};

bool IsIdentifierStart(QChar c)
{
    return c == u'_' || c.isLetter();
}
bool IsIdentifierPart(QChar c)
{
    return c == u'_' || c.isLetterOrNumber();
}

// One branch of a conditional directive: whether the branch being read is taken, and whether any
// earlier branch of the same directive was.
struct TConditionFrame
{
    TTruth Taken;
    TTruth AnyTaken;
};

// Turns source text into the tokens a uses clause is made of, with the directives applied.
class TSourceLexer
{
public:
    explicit TSourceLexer(const TIncludeLoader &include) : FInclude(include) {}

    void Lex(const QString &text, int depth)
    {
        qsizetype i = 0;
        const qsizetype n = text.size();
        while (i < n) {
            const QChar c = text[i];
            if (c.isSpace()) {
                ++i;
            } else if (c == u'{') {
                const qsizetype end = text.indexOf(u'}', i + 1);
                const qsizetype stop = end < 0 ? n : end;
                if (i + 1 < n && text[i + 1] == u'$')
                    Directive(QStringView(text).mid(i + 2, stop - i - 2), depth);
                i = stop + 1;
            } else if (c == u'(' && i + 1 < n && text[i + 1] == u'*') {
                const qsizetype end = text.indexOf(u"*)"_s, i + 2);
                const qsizetype stop = end < 0 ? n : end;
                if (i + 2 < n && text[i + 2] == u'$')
                    Directive(QStringView(text).mid(i + 3, stop - i - 3), depth);
                i = stop + 2;
            } else if (c == u'/' && i + 1 < n && text[i + 1] == u'/') {
                const qsizetype end = text.indexOf(u'\n', i);
                i = end < 0 ? n : end;
            } else if (c == u'\'') {
                i = LexString(text, i);
            } else if (IsIdentifierStart(c) || (c == u'&' && i + 1 < n && IsIdentifierStart(text[i + 1]))) {
                const qsizetype start = c == u'&' ? i + 1 : i;
                i = start;
                while (i < n && IsIdentifierPart(text[i]))
                    ++i;
                Add(TToken::Identifier, text.mid(start, i - start));
            } else {
                Add(TToken::Symbol, QString(c));
                ++i;
            }
        }
    }

    std::vector<TToken> Tokens;
    QStringList Notes;

private:
    qsizetype LexString(const QString &text, qsizetype i)
    {
        QString value;
        ++i;
        while (i < text.size()) {
            if (text[i] == u'\'') {
                if (i + 1 < text.size() && text[i + 1] == u'\'') {
                    value += u'\'';
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            value += text[i++];
        }
        Add(TToken::String, value);
        return i;
    }

    void Add(TToken::TKind kind, const QString &text)
    {
        if (Skipping())
            return;
        Tokens.push_back(TToken{kind, text, Uncertain()});
    }

    bool Skipping() const
    {
        for (const TConditionFrame &frame : FConditions)
            if (frame.Taken == TTruth::No)
                return true;
        return false;
    }
    bool Uncertain() const
    {
        for (const TConditionFrame &frame : FConditions)
            if (frame.Taken == TTruth::Unknown)
                return true;
        return false;
    }

    void Directive(QStringView body, int depth)
    {
        qsizetype nameEnd = 0;
        while (nameEnd < body.size() && IsIdentifierPart(body[nameEnd]))
            ++nameEnd;
        const QString name = body.left(nameEnd).toString().toUpper();
        const QString argument = body.mid(nameEnd).trimmed().toString();
        const QString symbol = argument.section(u' ', 0, 0).toUpper();
        if (name == u"IFDEF"_s)
            Push(Defined(symbol));
        else if (name == u"IFNDEF"_s)
            Push(Not(Defined(symbol)));
        else if (name == u"IF"_s)
            Push(Expression(argument));
        else if (name == u"IFOPT"_s)
            Push(TTruth::Unknown);
        else if (name == u"ELSE"_s)
            Else(TTruth::Yes);
        else if (name == u"ELSEIF"_s)
            Else(Expression(argument));
        else if (name == u"ENDIF"_s || name == u"IFEND"_s) {
            if (!FConditions.empty())
                FConditions.pop_back();
        } else if (Skipping()) {
            return;
        } else if (name == u"DEFINE"_s) {
            SetDefined(symbol, TTruth::Yes);
        } else if (name == u"UNDEF"_s) {
            SetDefined(symbol, TTruth::No);
        } else if ((name == u"I"_s && !argument.isEmpty() && argument != u"+"_s && argument != u"-"_s) ||
                   name == u"INCLUDE"_s) {
            IncludeFile(argument, depth);
        }
    }

    void Push(TTruth condition) { FConditions.push_back({condition, condition}); }

    void Else(TTruth condition)
    {
        if (FConditions.empty())
            return;
        TConditionFrame &frame = FConditions.back();
        frame.Taken = And(Not(frame.AnyTaken), condition);
        frame.AnyTaken = Or(frame.AnyTaken, condition);
    }

    // Inside an uncertain branch a definition only makes the symbol undecided.
    void SetDefined(const QString &symbol, TTruth value)
    {
        if (!symbol.isEmpty())
            FDefines[symbol] = Uncertain() ? TTruth::Unknown : value;
    }

    TTruth Defined(const QString &symbol) const
    {
        const auto it = FDefines.find(symbol);
        return it == FDefines.end() ? TTruth::Unknown : it->second;
    }

    // "Defined(X)", "not", "and", "or" and parentheses; anything else is undecided.
    TTruth Expression(const QString &text)
    {
        TSourceLexer words({});
        words.Lex(text, 0);
        size_t at = 0;
        const TTruth value = OrExpression(words.Tokens, at);
        return at == words.Tokens.size() ? value : TTruth::Unknown;
    }
    TTruth OrExpression(const std::vector<TToken> &t, size_t &at)
    {
        TTruth value = AndExpression(t, at);
        while (at < t.size() && t[at].Is(u"or")) {
            ++at;
            value = Or(value, AndExpression(t, at));
        }
        return value;
    }
    TTruth AndExpression(const std::vector<TToken> &t, size_t &at)
    {
        TTruth value = Factor(t, at);
        while (at < t.size() && t[at].Is(u"and")) {
            ++at;
            value = And(value, Factor(t, at));
        }
        return value;
    }
    TTruth Factor(const std::vector<TToken> &t, size_t &at)
    {
        if (at < t.size() && t[at].Is(u"not")) {
            ++at;
            return Not(Factor(t, at));
        }
        if (at < t.size() && t[at].IsSymbol(u'(')) {
            ++at;
            const TTruth value = OrExpression(t, at);
            if (at < t.size() && t[at].IsSymbol(u')'))
                ++at;
            return value;
        }
        if (at + 3 < t.size() && t[at].Is(u"Defined") && t[at + 1].IsSymbol(u'(') &&
            t[at + 2].Kind == TToken::Identifier && t[at + 3].IsSymbol(u')')) {
            const TTruth value = Defined(t[at + 2].Text.toUpper());
            at += 4;
            return value;
        }
        // Something this reader does not evaluate: skip one operand's worth and give up on it.
        if (at < t.size())
            ++at;
        while (at < t.size() && !t[at].Is(u"and") && !t[at].Is(u"or") && !t[at].IsSymbol(u')'))
            ++at;
        return TTruth::Unknown;
    }

    void IncludeFile(QString name, int depth)
    {
        constexpr int MaxDepth = 16;
        if (name.startsWith(u'\'')) {
            const qsizetype end = name.indexOf(u'\'', 1);
            name = name.mid(1, end < 0 ? -1 : end - 1);
        } else {
            name = name.section(u' ', 0, 0);
        }
        if (name.isEmpty())
            return;
        if (depth >= MaxDepth) {
            Notes << u"include files nested deeper than %1 levels: %2 not read"_s.arg(MaxDepth).arg(name);
            return;
        }
        const std::optional<QString> text = FInclude ? FInclude(name) : std::nullopt;
        if (!text) {
            Notes << u"include file %1 not found"_s.arg(name);
            return;
        }
        Lex(*text, depth + 1);
    }

    TIncludeLoader FInclude;
    std::vector<TConditionFrame> FConditions;
    std::map<QString, TTruth> FDefines;
};

class TUsesClauseParser
{
public:
    TUsesClauseParser(const std::vector<TToken> &tokens, TSourceUses &result)
        : FTokens(tokens), FResult(result)
    {}

    void Parse()
    {
        TUsesLists &lists = FResult.Lists;
        if (AtWord(u"unit")) {
            ++FAt;
            lists.UnitName = DottedName();
            if (Find(u"interface"))
                ReadClauses(u"uses", lists.Interface);
            if (Find(u"implementation"))
                ReadClauses(u"uses", lists.Implementation);
            return;
        }
        lists.IsProgram = true;
        if (AtWord(u"package")) {
            ++FAt;
            lists.UnitName = DottedName();
            if (Find(u"contains"))
                ReadList(lists.Interface);
            return;
        }
        if (AtWord(u"program") || AtWord(u"library")) {
            ++FAt;
            lists.UnitName = DottedName();
            SkipPast(u';');
        }
        ReadClauses(u"uses", lists.Interface);
    }

private:
    bool AtWord(QStringView word) const { return FAt < FTokens.size() && FTokens[FAt].Is(word); }
    bool AtSymbol(QChar c) const { return FAt < FTokens.size() && FTokens[FAt].IsSymbol(c); }

    bool Find(QStringView word)
    {
        while (FAt < FTokens.size() && !FTokens[FAt].Is(word))
            ++FAt;
        if (FAt == FTokens.size())
            return false;
        ++FAt;
        return true;
    }
    void SkipPast(QChar c)
    {
        while (FAt < FTokens.size() && !FTokens[FAt].IsSymbol(c))
            ++FAt;
        if (FAt < FTokens.size())
            ++FAt;
    }

    QString DottedName()
    {
        QString name;
        while (FAt < FTokens.size() && FTokens[FAt].Kind == TToken::Identifier) {
            name += FTokens[FAt++].Text;
            if (!AtSymbol(u'.'))
                break;
            name += u'.';
            ++FAt;
        }
        return name;
    }

    // Undecided branches may hold a clause each: "{$IFDEF X} uses A; {$ELSE} uses B; {$ENDIF}".
    void ReadClauses(QStringView keyword, std::vector<TUsedUnit> &into)
    {
        while (AtWord(keyword)) {
            ++FAt;
            ReadList(into);
        }
    }

    void ReadList(std::vector<TUsedUnit> &into)
    {
        for (;;) {
            const bool conditional = FAt < FTokens.size() && FTokens[FAt].Conditional;
            TUsedUnit used;
            used.Name = DottedName();
            if (used.Name.isEmpty() || used.Name.endsWith(u'.')) {
                FResult.Notes << u"a uses clause breaks off"_s;
                return;
            }
            used.Conditional = conditional;
            if (AtWord(u"in")) {
                ++FAt;
                if (FAt < FTokens.size() && FTokens[FAt].Kind == TToken::String)
                    used.Path = FTokens[FAt++].Text;
            }
            into.push_back(used);
            if (AtSymbol(u',')) {
                ++FAt;
                continue;
            }
            // "{$IFDEF X} A {$ELSE} B {$ENDIF};" read with both branches: no comma between them.
            if (FAt < FTokens.size() && FTokens[FAt].Kind == TToken::Identifier &&
                (conditional || FTokens[FAt].Conditional))
                continue;
            if (AtSymbol(u';'))
                ++FAt;
            else
                FResult.Notes << u"a uses clause breaks off after %1"_s.arg(used.Name);
            return;
        }
    }

    const std::vector<TToken> &FTokens;
    TSourceUses &FResult;
    size_t FAt = 0;
};

} // namespace

TSourceUses ReadSourceUses(const QString &Text, const TIncludeLoader &Include)
{
    TSourceLexer lexer(Include);
    lexer.Lex(Text, 0);
    TSourceUses result;
    result.Notes = lexer.Notes;
    TUsesClauseParser(lexer.Tokens, result).Parse();
    return result;
}

TSourceUses ReadSourceUsesFile(const QString &FileName)
{
    TTextFileBytes bytes;
    QString error;
    if (!ReadTextFile(FileName, bytes, error))
        throw ESourceUsesError(error);
    const auto readText = [](const QString &path) -> std::optional<QString> {
        TTextFileBytes included;
        QString ignored;
        if (!ReadTextFile(path, included, ignored))
            return std::nullopt;
        return BytesToText(included.Bytes, false);
    };
    const QString folder = QFileInfo(FileName).absolutePath() + u'/';
    return ReadSourceUses(
        BytesToText(bytes.Bytes, false), [&](const QString &name) -> std::optional<QString> {
            const QString path = ResolveWindowsPath(QFileInfo(name).isAbsolute() ? name : folder + name);
            return path.isEmpty() ? std::nullopt : readText(path);
        });
}
