#pragma once
// The page of the self-contained HTML report: our own HTML, CSS and script, under a
// Content-Security-Policy that admits exactly that script and style and nothing from anywhere else.
// The analysis data goes between Head() and Middle(), the unit graph (or null) between Middle() and
// Tail(), both written through a TScriptDataDevice.

#include <QByteArray>
#include <QString>

// What the header shows beside the data itself.
struct THtmlReportFacts
{
    QString MapDate;  // the MAP file's modification time, local
    QString Grouping; // how symbols were grouped into trees ("address", "name"); not shown when empty
    QString Version;  // of Quillon
};

class THtmlReportPage
{
public:
    explicit THtmlReportPage(const THtmlReportFacts &Facts);

    const QByteArray &Head() const { return FHead; }
    const QByteArray &Middle() const { return FMiddle; }
    const QByteArray &Tail() const { return FTail; }

private:
    QByteArray FHead;
    QByteArray FMiddle;
    QByteArray FTail;
};
