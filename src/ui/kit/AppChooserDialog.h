#pragma once

#include "ui/kit/PanelHelper.h"

#include <QDialog>
#include <optional>
#include <vector>

class QListWidget;
class QPushButton;

namespace tc {

// The application chooser: the installed applications (desktop entries) with their icons, in the order
// given; one can be chosen with "Choose" or a double click. A fresh list (setInstalled) replaces the shown one
// in place, keeping the selected application selected.
class AppChooserDialog : public QDialog {
    Q_OBJECT
public:
    explicit AppChooserDialog(std::vector<InstalledApp> installed, QWidget *parent = nullptr);

    void setInstalled(std::vector<InstalledApp> installed);
    // The selected application, once accepted; nothing otherwise.
    std::optional<ChosenApp> chosen() const;
    QListWidget *list() const { return list_; }

private:
    std::vector<InstalledApp> installed_;
    QListWidget *list_;
    QPushButton *choose_;
};

} // namespace tc
