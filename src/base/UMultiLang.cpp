#include "base/UMultiLang.h"

#include "base/TranslationDictionary.h"
#include "base/UFormat.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

std::atomic<int> GInterfaceLanguage{1036};
std::atomic<bool> GDevelopmentEnvironment{false};
std::atomic<bool> GDebugMarkers{false};
// Chosen at start-up, before any window; read from any thread afterwards.
std::shared_ptr<const TTranslationDictionary> GDictionary;

// The distinct placeholders of a format, lower-cased, and whether each carries an argument index.
struct Placeholders
{
    QStringList distinct;
    int occurrences = 0;
    bool anyWithoutIndex = false;
};

Placeholders FindPlaceholders(const QString &format)
{
    Placeholders found;
    const int n = int(format.size());
    int i = 0;
    auto isDigit = [&](int k) { return k < n && format.at(k) >= u'0' && format.at(k) <= u'9'; };
    while (i < n) {
        if (format.at(i) != u'%') {
            ++i;
            continue;
        }
        if (i + 1 < n && format.at(i + 1) == u'%') {
            i += 2;
            continue;
        }
        int k = i + 1;
        int digitsStart = k;
        while (isDigit(k))
            ++k;
        bool hasIndex = false;
        if (k > digitsStart && k < n && format.at(k) == u':') {
            hasIndex = true;
            ++k;
        }
        if (k < n && format.at(k) == u'-')
            ++k;
        while (isDigit(k))
            ++k;
        if (k < n && format.at(k) == u'.') {
            ++k;
            while (isDigit(k))
                ++k;
        }
        // The type letters are accepted in either case, as the format routine does; anything else is text.
        if (k < n && QStringLiteral("defgmnpsux").contains(format.at(k).toLower())) {
            const QString placeholder = format.mid(i, k - i + 1).toLower();
            ++found.occurrences;
            found.anyWithoutIndex = found.anyWithoutIndex || !hasIndex;
            if (!found.distinct.contains(placeholder))
                found.distinct.append(placeholder);
            i = k + 1;
        } else {
            i = k;
        }
    }
    std::sort(found.distinct.begin(), found.distinct.end());
    return found;
}

} // namespace

int InterfaceLanguage()
{
    return GInterfaceLanguage;
}

void SetInterfaceLanguage(int languageId)
{
    GInterfaceLanguage = languageId;
}

bool InterfaceIsEnglish()
{
    return (GInterfaceLanguage & 0xFF) == 9;
}

void InitMultiLangModes()
{
    const QString exe = QCoreApplication::applicationFilePath();
    const QFileInfo info(exe);
    const QString marker = info.path() + u'/' + info.completeBaseName() + QStringLiteral(".multilangdebug");
    SetMultiLangModes(exe.toLower().contains(QStringLiteral("bds.exe")), QFileInfo::exists(marker));
}

bool DevelopmentEnvironmentMode()
{
    return GDevelopmentEnvironment;
}

bool DebugMarkerMode()
{
    return GDebugMarkers;
}

void SetMultiLangModes(bool developmentEnvironment, bool debugMarkers)
{
    GDevelopmentEnvironment = developmentEnvironment;
    GDebugMarkers = debugMarkers;
}

void SelectDictionary(std::shared_ptr<const TTranslationDictionary> dictionary)
{
    GDictionary = std::move(dictionary);
}

bool DictionarySelected()
{
    return GDictionary != nullptr;
}

QString Translate(const QString &text, TDictionaryType type)
{
    if (text.isEmpty())
        return text;
    if (GDebugMarkers)
        return QStringLiteral("[#") + text + QStringLiteral("#]");
    if (text.startsWith(u'!'))
        return GDevelopmentEnvironment ? text : text.mid(1);
    if (!GDevelopmentEnvironment) {
        // The dictionary holds the program's own texts, not those of configurations or imports.
        if (GDictionary && type == dtApplication)
            if (std::optional<QString> translated = GDictionary->Lookup(text))
                return *translated;
        return text;
    }
    return u'[' + text + QString(text.size() / 2, u' ') + u']';
}

QString TranslateIf(const QString &text, TMultiLangSettings settings)
{
    return settings.MultiLang ? Translate(text, settings.MultiLangType) : text;
}

bool PlaceholdersMatch(const QString &untranslated, const QString &translated)
{
    const Placeholders original = FindPlaceholders(untranslated);
    if (original.distinct.isEmpty())
        return true;
    const Placeholders translation = FindPlaceholders(translated);
    if (original.distinct.size() != translation.distinct.size())
        return false;
    const bool needsIndexes = original.distinct.size() > 1 || original.occurrences > 1;
    if (needsIndexes && original.anyWithoutIndex)
        return false;
    return original.distinct == translation.distinct;
}

QString TranslateFmt(const QString &format, const QVariantList &args, TDictionaryType type)
{
    if (format.startsWith(u'!'))
        return Format(format.mid(1), args);
    const QString translated = Translate(format, type);
    if (translated != format && !PlaceholdersMatch(format, translated))
        return Format(QStringLiteral("TRNERR:") + format, args);
    return Format(translated, args);
}
