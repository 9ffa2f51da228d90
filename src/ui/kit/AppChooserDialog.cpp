#include "ui/kit/AppChooserDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tc {

AppChooserDialog::AppChooserDialog(std::vector<InstalledApp> installed, QWidget *parent)
    : QDialog(parent), list_(new QListWidget(this)) {
    list_->setAccessibleName(QStringLiteral("Applications"));
    setWindowTitle(QStringLiteral("Choose an App"));
    setModal(true);
    resize(420, 480);
    list_->setIconSize(QSize(24, 24));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    choose_ = buttons->addButton(QStringLiteral("Choose"), QDialogButtonBox::AcceptRole);
    choose_->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemSelectionChanged, this,
            [this] { choose_->setEnabled(!list_->selectedItems().isEmpty()); });
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    setInstalled(std::move(installed));
}

void AppChooserDialog::setInstalled(std::vector<InstalledApp> installed) {
    const QList<QListWidgetItem *> selected = list_->selectedItems();
    const int row = selected.isEmpty() ? -1 : selected.constFirst()->data(Qt::UserRole).toInt();
    const QString wasSelected = row >= 0 && static_cast<size_t>(row) < installed_.size()
                                    ? installed_[static_cast<size_t>(row)].bundleID
                                    : QString();
    installed_ = std::move(installed);
    list_->clear();
    for (size_t i = 0; i < installed_.size(); ++i) {
        const InstalledApp &app = installed_[i];
        auto *item = new QListWidgetItem(PanelHelper::iconFromDesktopIcon(app.icon),
                                         app.name.isEmpty() ? app.bundleID : app.name, list_);
        item->setData(Qt::UserRole, static_cast<int>(i));
        if (!wasSelected.isEmpty() && app.bundleID == wasSelected) {
            item->setSelected(true);
            list_->scrollToItem(item);
        }
    }
}

std::optional<ChosenApp> AppChooserDialog::chosen() const {
    if (result() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QList<QListWidgetItem *> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    const int index = selected.constFirst()->data(Qt::UserRole).toInt();
    if (index < 0 || static_cast<size_t>(index) >= installed_.size()) {
        return std::nullopt;
    }
    const InstalledApp &app = installed_[static_cast<size_t>(index)];
    if (app.bundleID.isEmpty()) {
        return std::nullopt;
    }
    return ChosenApp{app.bundleID, app.name.isEmpty() ? app.bundleID : app.name};
}

} // namespace tc
