#include "FuzzFiles.h"
#include "FuzzTarget.h"

#include "controls/UFormStorage.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSpinBox>
#include <QWidget>

#include <cstdlib>

namespace {

class TFuzzForm : public QWidget
{
public:
    TFuzzForm()
    {
        Storage = new TFormStorage(this);
        for (const char *name : {"DEFilePath", "FEMapFile"})
            (new QLineEdit(this))->setObjectName(QLatin1String(name));
        (new QCheckBox(this))->setObjectName(QStringLiteral("CBCheck"));
        (new QSpinBox(this))->setObjectName(QStringLiteral("SEValue"));
    }
    TFormStorage *Storage;
};

} // namespace

// The input is the settings file a form's placement and stored properties are read from; the form then
// saves over it and reads it back, as the next run would.
QUILLON_FUZZ_TARGET(Placement)
{
    const QString file = WriteFuzzFile(QStringLiteral("Placement.ini"), data, size);
    TFuzzForm form;
    TFormStorage &storage = *form.Storage;
    storage.SetIniFileName(file);
    storage.SetIniSection(QStringLiteral("TFuzzForm"));
    storage.SetOptions(fpState | fpPosition | fpActiveControl);
    storage.SetStoredProps({QStringLiteral("DEFilePath.Text"), QStringLiteral("FEMapFile.Text"),
                            QStringLiteral("CBCheck.Checked"), QStringLiteral("SEValue.Value")});
    storage.StoredValues().push_back({QStringLiteral("LastUnit"), QString(), {}, {}});
    const QSize before = form.size();
    for (int pass = 0; pass < 2; ++pass) {
        storage.RestoreState();
        // Whatever the file says, the window never outgrows the screens it was given.
        const QSize screens = QGuiApplication::primaryScreen()->availableVirtualGeometry().size();
        if (form.width() > std::max(screens.width(), before.width()) ||
            form.height() > std::max(screens.height(), before.height()))
            std::abort();
        storage.SaveState();
    }
    storage.SetActive(false);
}
