#include "ui/shell/PackExport.h"

#include "app/AppModel.h"
#include "ui/shell/PanelHelper.h"

#include <filesystem>

namespace tc {

void exportActivePack(AppModel &model, QWidget *parent) {
    const QString name = QString::fromStdString(model.data().activeProfile().name);
    PanelHelper::exportPack(
        name,
        [&model](const QString &path) {
            // The model reads its document again now and writes atomically; a failure is not shown.
            model.exportPack(std::filesystem::path(path.toStdString()));
        },
        parent);
}

} // namespace tc
