#pragma once
// The interface follows the system's language: a French locale keeps the program's texts as they
// are written (French dialogs, English grid menus); any other locale gets the English dictionary
// kept beside the code (dictionaries/English.dictionary, a resource of the program).

#include <QLocale>
#include <QString>

// Sets the interface language and selects the dictionary; before any window is made. Returns the
// problem when the dictionary cannot be read (the texts then stay as written).
QString SelectInterfaceLanguage(const QLocale &locale);

// The resource of the English dictionary.
extern const QString EnglishDictionaryResource;
