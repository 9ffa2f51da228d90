#include "ui/editor/EditToolbar.h"

#include "app/AppModel.h"
#include "ui/kit/Card.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QPainter>
#include <cmath>

namespace tc {

namespace {

constexpr int kButtonHeight = 40;
constexpr qreal kSymbolSize = 14;
constexpr qreal kLabelSize = 12;
constexpr qreal kSide = 12;
constexpr qreal kInnerSpacing = 7;
constexpr qreal kBarCorner = 16;

// One tool: its symbol and label, white on an ink rounded rectangle while chosen.
class ToolButton : public QAbstractButton {
public:
    ToolButton(const EditToolbar::Tool &tool, QWidget *parent) : QAbstractButton(parent), tool_(tool) {
        setCheckable(true);
        setToolTip(tool.help);
        setAccessibleName(tool.label);
        setCursor(Qt::PointingHandCursor);
        FocusRing::attach(this, 12);
    }

    QSize sizeHint() const override {
        const qreal symbol = QFontMetricsF(Fonts::symbol(kSymbolSize, QFont::Medium)).height();
        const qreal label = QFontMetricsF(Fonts::system(kLabelSize, QFont::DemiBold)).horizontalAdvance(tool_.label);
        return {static_cast<int>(std::ceil(2 * kSide + symbol + kInnerSpacing + label)), kButtonHeight};
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool chosen = isChecked();
        if (chosen) {
            paintPanel(painter, QRectF(rect()), 12, Theme::ink);
        }
        const QColor ink = chosen ? QColor(Qt::white) : Theme::ink2;
        const qreal symbol = QFontMetricsF(Fonts::symbol(kSymbolSize, QFont::Medium)).height();
        const QRectF symbolBox(kSide, 0, symbol, height());
        Symbols::paint(painter, symbolBox, tool_.symbol, kSymbolSize, QFont::Medium, ink);
        painter.setFont(Fonts::system(kLabelSize, QFont::DemiBold));
        painter.setPen(ink);
        painter.drawText(QRectF(symbolBox.right() + kInnerSpacing, 0, width(), height()),
                         Qt::AlignLeft | Qt::AlignVCenter, tool_.label);
    }

private:
    EditToolbar::Tool tool_;
};

// The round "+" that picks the brush sound.
class BrushButton : public QAbstractButton {
public:
    explicit BrushButton(QWidget *parent) : QAbstractButton(parent) {
        setToolTip(QStringLiteral("Pick a sound to paint with"));
        setAccessibleName(QStringLiteral("Pick a sound to paint with"));
        setCursor(Qt::PointingHandCursor);
        FocusRing::attach(this);
        setFixedSize(kButtonHeight, kButtonHeight);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::ink);
        painter.drawEllipse(QRectF(rect()));
        Symbols::paint(painter, QRectF(rect()), "plus", 15, QFont::Bold, Qt::white);
    }
};

// The thin upright line between the tools and the brush button.
class Divider : public QWidget {
public:
    explicit Divider(QWidget *parent) : QWidget(parent) { setFixedSize(9, 22); }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(QRectF(4, 0, 1, height()), Theme::rail);
    }
};

} // namespace

const std::vector<EditToolbar::Tool> &EditToolbar::standardTools() {
    static const std::vector<Tool> tools = {
        {EditTool::select, QStringLiteral("Select"), "cursorarrow",
         QStringLiteral("Select keys (Shift-click for several)")},
        {EditTool::paint, QStringLiteral("Paint"), "paintbrush.pointed",
         QStringLiteral("Paint the tray sound onto keys")},
        {EditTool::reset, QStringLiteral("Reset"), "eraser", QStringLiteral("Reset keys to the base sound")},
        {EditTool::test, QStringLiteral("Test"), "waveform", QStringLiteral("Type to test your keyboard")},
    };
    return tools;
}

EditToolbar::EditToolbar(AppModel &model, std::vector<Tool> tools, QWidget *parent)
    : QWidget(parent), model_(model), tools_(std::move(tools)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 6, 6, 6);
    row->setSpacing(4);
    for (const Tool &tool : tools_) {
        auto *button = new ToolButton(tool, this);
        const EditTool chosen = tool.tool;
        connect(button, &QAbstractButton::clicked, this, [this, chosen] { choose(chosen); });
        row->addWidget(button, 0, Qt::AlignVCenter);
        buttons_.push_back(button);
    }
    row->addWidget(new Divider(this), 0, Qt::AlignVCenter);
    brush_ = new BrushButton(this);
    connect(brush_, &QAbstractButton::clicked, this, [this] { model_.setSoundPicker(SoundPickerTarget::brush()); });
    row->addWidget(brush_, 0, Qt::AlignVCenter);
    applyCardShadow(this, kBarCorner);
    connect(&model_, &AppModel::toolChanged, this, &EditToolbar::sync);
    sync();
}

QAbstractButton *EditToolbar::button(EditTool tool) const {
    for (std::size_t i = 0; i < tools_.size(); ++i) {
        if (tools_[i].tool == tool) {
            return buttons_[i];
        }
    }
    return nullptr;
}

void EditToolbar::choose(EditTool tool) {
    model_.setTool(tool); // the model ignores the tool it already has
    if (tool == EditTool::test) {
        model_.advanceCoach(4);
    }
    sync(); // a click on the chosen button must not leave it unchecked
}

void EditToolbar::sync() {
    for (std::size_t i = 0; i < tools_.size(); ++i) {
        buttons_[i]->setChecked(tools_[i].tool == model_.tool());
    }
}

void EditToolbar::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintPanel(painter, QRectF(rect()), kBarCorner, Qt::white);
}

} // namespace tc
