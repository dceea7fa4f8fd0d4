#pragma once
// Opening a folder, document, web address or command line through the desktop.

#include <QString>
#include <functional>

// What the desktop is asked to open: a document, folder or address (no parameters) or a program with
// its parameters. A quoted program keeps its quotes, as the text gave them.
struct TShellRequest
{
    QString FileName;
    QString Parameters;
    bool operator==(const TShellRequest &) const = default;
};

using TShellExecutor = std::function<void(const TShellRequest &request)>;

// The request for a text: an existing folder as a whole; a quoted program up to its closing quote;
// otherwise the program ends at the first blank after the first "." (the whole text without one).
TShellRequest ShellRequestFor(const QString &text);

// Hands a request to the desktop (on Windows the shell; elsewhere xdg-open for documents, folders and
// addresses, a detached process for a program with parameters); a failure is ignored.
void ExecuteShellRequest(const TShellRequest &request);

// Opens the text; an empty text does nothing. Tests pass their own executor.
void ShellOpen(const QString &text, const TShellExecutor &execute = ExecuteShellRequest);
