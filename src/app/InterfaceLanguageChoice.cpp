#include "app/InterfaceLanguageChoice.h"

#include "base/TranslationDictionary.h"
#include "base/UMultiLang.h"

#include <memory>

const QString EnglishDictionaryResource = QStringLiteral(":/dictionaries/English");

// At global scope: the macro declares the resource's function in the enclosing namespace.
static void InitDictionaryResources()
{
    // The resources of a static library are registered by hand.
    Q_INIT_RESOURCE(Dictionaries);
}

QString SelectInterfaceLanguage(const QLocale &locale)
{
    // The grid's menus are English in every language, as designed.
    SetInterfaceLanguage(1033);
    if (locale.language() == QLocale::French) {
        SelectDictionary(nullptr);
        return QString();
    }
    InitDictionaryResources();
    QString problem;
    std::optional<TTranslationDictionary> english =
        TTranslationDictionary::Load(EnglishDictionaryResource, &problem);
    SelectDictionary(english ? std::make_shared<const TTranslationDictionary>(std::move(*english)) : nullptr);
    return problem;
}
