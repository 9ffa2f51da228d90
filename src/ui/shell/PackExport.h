#pragma once

class QWidget;

namespace tc {

class AppModel;

// Saves the active profile as a share pack: a save panel proposing the profile's name (made safe for a file
// name) with ".tapchime", then the model's export of the document as it is when the panel closes. A failed
// export is dropped: nothing is shown. Main thread; the panel is modal.
void exportActivePack(AppModel &model, QWidget *parent = nullptr);

} // namespace tc
