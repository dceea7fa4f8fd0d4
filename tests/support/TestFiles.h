#pragma once
// Files that the tests write: a file with its folders, and the everyday files that are mistaken
// for a detailed MAP file.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <gtest/gtest.h>

#include <vector>

// Writes `bytes` to `path`, making its folders first.
inline void WriteTestFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Files without a code unit row that a user may name as the MAP file.
struct TNotDetailedMapFile
{
    const char *Name;
    QByteArray Text;
};

inline std::vector<TNotDetailedMapFile> NotDetailedMapFiles()
{
    const QByteArray segments = "\r\n Start         Length     Name                   Class\r\n"
                                " 0001:00401000 00000100H .text                   CODE\r\n"
                                " 0002:00402000 00000020H .data                   DATA\r\n\r\n"
                                "Program entry point at 0001:00000010\r\n";
    return {
        {"empty", ""},
        {"project", "program App;\r\nuses\r\n  Main in 'Main.pas' {FormMain};\r\nbegin\r\nend.\r\n"},
        {"form", "object FormMain: TFormMain\r\n  Caption = 'Main'\r\nend\r\n"},
        {"segments", segments},
        {"publics",
         segments + "\r\n  Address             Publics by Value\r\n\r\n 0001:00000000       Main.Run\r\n"},
    };
}
