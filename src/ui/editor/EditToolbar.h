#pragma once

#include "app/AppTypes.h"

#include <QAbstractButton>
#include <QString>
#include <QWidget>
#include <vector>

namespace tc {

class AppModel;

// The bar of tool buttons under the drawn keyboard: Select, Paint, Reset and Test choose the editor's tool,
// and a round "+" at its end opens the sound picker for the paint brush. The highlighted button follows the
// model's tool whoever changed it. Main thread.
class EditToolbar : public QWidget {
public:
    struct Tool {
        EditTool tool;
        QString label;
        const char *symbol;
        QString help;
    };
    // Select, Paint, Reset and Test with their symbols and tooltips.
    static const std::vector<Tool> &standardTools();

    EditToolbar(AppModel &model, std::vector<Tool> tools, QWidget *parent = nullptr);

    // The button of a tool, and the brush button.
    QAbstractButton *button(EditTool tool) const;
    QAbstractButton *brushButton() const { return brush_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void choose(EditTool tool);
    void sync();

    AppModel &model_;
    std::vector<Tool> tools_;
    std::vector<QAbstractButton *> buttons_;
    QAbstractButton *brush_;
};

} // namespace tc
