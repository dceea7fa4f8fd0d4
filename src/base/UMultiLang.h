#pragma once
// The interface language and the text service every control passes its texts through. A text comes
// back as it is, apart from the "!" prefix (already translated), the two marker modes fixed at
// start-up, and the translation of the dictionary selected at start-up, if any.

#include <QString>
#include <QVariantList>

#include <memory>

class TTranslationDictionary;

enum TDictionaryType { dtApplication = 0, dtConfiguration = 1, dtImport = 2 };

// A control's pair {MultiLang, MultiLangType}: whether and with which dictionary its texts pass the service.
struct TMultiLangSettings
{
    bool MultiLang = true;
    TDictionaryType MultiLangType = dtApplication;
};

// Windows language identifier; 1036 (French) until start-up sets 1033.
int InterfaceLanguage();
void SetInterfaceLanguage(int languageId);
// A component shows its English captions when the identifier's low byte is 9 (English).
bool InterfaceIsEnglish();

// Computes both mode flags from the running executable, once at start-up.
void InitMultiLangModes();
bool DevelopmentEnvironmentMode();
bool DebugMarkerMode();
// For tests and start-up: set the flags directly.
void SetMultiLangModes(bool developmentEnvironment, bool debugMarkers);

// The dictionary of the program's texts (dtApplication) in the interface language; none: the texts
// as written. Chosen at start-up, before any window exists.
void SelectDictionary(std::shared_ptr<const TTranslationDictionary> dictionary);
bool DictionarySelected();

QString Translate(const QString &text, TDictionaryType type = dtApplication);
QString TranslateIf(const QString &text, TMultiLangSettings settings);
QString TranslateFmt(const QString &format, const QVariantList &args, TDictionaryType type = dtApplication);

// True when a translation carries the placeholders of its untranslated format.
bool PlaceholdersMatch(const QString &untranslated, const QString &translated);
