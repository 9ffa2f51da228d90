#pragma once

#include <QComboBox>

namespace tc {

// A drop-down list of choices (Settings' pickers) wearing the focus ring instead of the style's focus frame.
class ChoiceBox : public QComboBox {
public:
    explicit ChoiceBox(QWidget *parent = nullptr);

protected:
    void initStyleOption(QStyleOptionComboBox *option) const override;
};

} // namespace tc
