#include "base/SafeOutputFile.h"

#include "base/FileSystemAccess.h"

TSafeOutputFile::TSafeOutputFile(const QString &FileName) : FFileName(FileName) {}

TSafeOutputFile::~TSafeOutputFile() = default;

QString TSafeOutputFile::InputNamedBy(const QString &Output, const QStringList &Inputs)
{
    TFileIdentity target;
    if (!FileIdentityOf(Output, target))
        return {};
    for (const QString &input : Inputs) {
        TFileIdentity identity;
        if (!input.isEmpty() && FileIdentityOf(input, identity) && identity == target)
            return input;
    }
    return {};
}

bool TSafeOutputFile::Open(QString &Error)
{
    if (IsStreamEntry(FFileName)) {
        FInPlace = std::make_unique<QFile>(FFileName);
        if (FInPlace->open(QIODevice::WriteOnly))
            return true;
        Error = FInPlace->errorString();
        FInPlace.reset();
        return false;
    }
    // No fallback to writing the target in place: a failure would leave it cut short.
    FReplacing = std::make_unique<QSaveFile>(FFileName);
    if (FReplacing->open(QIODevice::WriteOnly))
        return true;
    Error = FReplacing->errorString();
    FReplacing.reset();
    return false;
}

QIODevice &TSafeOutputFile::Device()
{
    if (FInPlace)
        return *FInPlace;
    return *FReplacing;
}

bool TSafeOutputFile::Commit(QString &Error)
{
    if (FInPlace) {
        const bool flushed = FInPlace->flush();
        if (!flushed)
            Error = FInPlace->errorString();
        FInPlace->close();
        return flushed;
    }
    if (FReplacing && FReplacing->commit())
        return true;
    Error = FReplacing ? FReplacing->errorString() : QStringLiteral("not open");
    return false;
}

bool TSafeOutputFile::Write(const QString &FileName, QByteArrayView Bytes, QString &Error)
{
    TSafeOutputFile output(FileName);
    if (!output.Open(Error))
        return false;
    if (output.Device().write(Bytes.data(), Bytes.size()) != Bytes.size()) {
        Error = output.Device().errorString();
        return false;
    }
    return output.Commit(Error);
}
