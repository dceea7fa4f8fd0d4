#pragma once
// Printf-like formatting with the rules of the original format routine: "%[index:][-][width][.prec]type"
// with the types d, u, e, f, g, n, m, p, s and x, "*" taking a width or precision from the arguments,
// and "%%" for a percent sign. Numbers always use "." as decimal separator, whatever the locale.

#include <QString>
#include <QVariant>
#include <QVariantList>

// Raises EConvertError "Format '<format>' invalid or incompatible with argument" on a bad specifier
// or an argument of the wrong kind, and "No argument for format '<format>'" when arguments run out.
QString Format(const QString &format, const QVariantList &args);
