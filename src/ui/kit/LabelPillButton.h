#pragma once

#include "ui/kit/PillButton.h"

#include <string>
#include <string_view>

namespace tc {

// A pill button whose label is more than one text: an optional leading symbol, the title, and an optional
// trailing hint in the monospaced face at 70 % opacity ("Open Tapchime Ctrl+,"), all centred on the capsule.
class LabelPillButton : public PillButton {
public:
    struct Label {
        QString title;
        std::string symbol; // empty: none
        QString hint;       // empty: none
    };

    LabelPillButton(Label label, BlackPillButtonStyle style, QWidget *parent = nullptr);

    const Label &label() const { return label_; }
    // Shows another label (a button that says what it is busy with); the size follows it.
    void setLabel(Label label);
    // The label's width: symbol, title and hint with their gaps.
    static qreal labelWidth(const Label &label);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Label label_;
};

} // namespace tc
