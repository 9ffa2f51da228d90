#include "ui/editor/KeysPage.h"

#include "app/AppModel.h"
#include "ui/editor/EditToolbar.h"
#include "ui/editor/KeyboardCase.h"
#include "ui/editor/TestField.h"

#include <QVBoxLayout>

namespace tc {

KeysPage::KeysPage(AppModel &model, QWidget *parent) : QWidget(parent), model_(model) {
    setAttribute(Qt::WA_TranslucentBackground);
    column_ = new QVBoxLayout(this);
    // The keyboard reserves room for its shadow; the other rows line up with the case itself.
    const QMargins shadow = KeyboardCase::kShadowMargins;
    column_->setContentsMargins(32 - shadow.left(), 28 - shadow.top(), 32 - shadow.right(), 28);
    column_->setSpacing(0);
    keyboard_ = new KeyboardCase(model_, this);
    column_->addWidget(keyboard_);
    toolbar_ = new EditToolbar(model_, EditToolbar::standardTools(), this);
    auto *toolRow = new QHBoxLayout;
    toolRow->setContentsMargins(shadow.left(), 0, shadow.right(), 0);
    toolRow->addWidget(toolbar_);
    toolRow->addStretch(1);
    column_->addLayout(toolRow);
    column_->addStretch(1);
    connect(&model_, &AppModel::toolChanged, this, &KeysPage::syncTestField);
    syncTestField();
}

void KeysPage::syncTestField() {
    const bool wanted = model_.tool() == EditTool::test;
    if (wanted == (testField_ != nullptr)) {
        return;
    }
    if (!wanted) {
        testField_->hide();
        testField_->deleteLater();
        testField_ = nullptr;
        return;
    }
    testField_ = new TestField(this);
    auto *row = new QHBoxLayout;
    const QMargins shadow = KeyboardCase::kShadowMargins;
    row->setContentsMargins(shadow.left(), 0, shadow.right(), 16);
    row->addWidget(testField_);
    column_->insertLayout(1, row);
    connect(testField_, &QObject::destroyed, row, &QObject::deleteLater);
}

} // namespace tc
