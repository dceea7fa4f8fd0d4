#pragma once
// The texts of one interface language, looked up by the program's own (French) text. Its file is
// UTF-8 text, one entry a line: the program's text, a tab, the translation; "\r", "\n", "\t" and
// "\\" stand for themselves escaped; empty lines and lines starting with "#" are skipped.

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

class TTranslationDictionary
{
public:
    // Fails with the line that cannot be read (no tab, an unknown escape, a text listed twice).
    static std::optional<TTranslationDictionary> Parse(const QByteArray &text, QString *error = nullptr);
    // None when the file cannot be read or parsed.
    static std::optional<TTranslationDictionary> Load(const QString &fileName, QString *error = nullptr);

    // The translation; none when the text is not listed.
    std::optional<QString> Lookup(const QString &text) const;
    qsizetype Count() const { return FEntries.size(); }

private:
    QHash<QString, QString> FEntries;
};
