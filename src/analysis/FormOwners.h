#pragma once
// Which unit owns each form of the project: a form's .dfm file names its class ("object Form1:
// TForm1", or the binary form's class name), and the file lies beside its unit under the unit's
// name. The executable stores the form as a resource named after the class in capitals.

#include <QHash>
#include <QString>
#include <QStringList>

class TXStringList;

// The class in capitals ("TFORM1") to the unit's name, for the bound form files that exist.
// Paths resolve as the form sizes' do.
QHash<QString, QString> FormOwnersOf(const QStringList &FormResourceLines, const TXStringList &ProjectUnits);

// The class a form file's first bytes name; empty when they name none.
QString FormClassOf(const QByteArray &Head);
