#pragma once
// Texts shared by the tool's formats: JSON strings, CSV fields and numbers for people.

#include <QByteArray>
#include <QString>

#include <string>

// A JSON string literal: quotes and backslashes escaped, control characters as \u00xx, the rest
// as UTF-8.
QByteArray JsonString(const QString &Text);
// The same, appended to Out (millions of names without a temporary each).
void AppendJsonString(std::string &Out, const QString &Text);
// RFC 4180: a field holding a comma, a quote or a line break is quoted, its quotes doubled.
QString CsvField(const QString &Text);
// 1234567 as "1,234,567".
QString Thousands(qint64 Value);
// A change: "+1,234", "-1,234" or "0".
QString SignedThousands(qint64 Value);
// A cell of a Markdown table, shown as it is: its bars escaped, so that no name can split the row,
// and every mark Markdown would read as formatting or HTML.
QString MarkdownCell(const QString &Text);
// The text of a code span in a Markdown table cell: its bars escaped, its backquotes made quotes.
QString MarkdownCodeCell(const QString &Text);
// A name cut to Width characters, an ellipsis for its middle; shorter names unchanged.
QString CutName(const QString &Name, qsizetype Width);
// The name column of a table for people: the name padded to Width, or, when longer, the name on
// a line of its own and the figures on the next, so that they stay in their columns.
QString NameCell(const QString &Name, qsizetype Width);
