#include "ui/kit/Theme.h"

#include "ui/kit/Fonts.h"
#include "ui/kit/ToolTips.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>
#include <algorithm>

namespace tc {

QColor Theme::withOpacity(QColor color, qreal opacity) {
    color.setAlphaF(static_cast<float>(std::clamp<qreal>(opacity, 0.0, 1.0) * color.alphaF()));
    return color;
}

void Theme::applyAppearance(QApplication &application) {
    Fonts::load();
    ToolTips::install(application);
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    QPalette palette;
    const auto set = [&palette](QPalette::ColorRole role, const QColor &color) {
        palette.setColor(QPalette::All, role, color);
    };
    set(QPalette::Window, panel);
    set(QPalette::WindowText, ink);
    set(QPalette::Base, Qt::white);
    set(QPalette::AlternateBase, soft);
    set(QPalette::Text, ink);
    set(QPalette::PlaceholderText, ink3);
    set(QPalette::Button, soft);
    set(QPalette::ButtonText, ink);
    set(QPalette::BrightText, Qt::white);
    set(QPalette::Light, Qt::white);
    set(QPalette::Midlight, line);
    set(QPalette::Mid, border);
    set(QPalette::Dark, QColor(170, 170, 164));
    set(QPalette::Shadow, QColor(120, 120, 114));
    set(QPalette::Highlight, ink);
    set(QPalette::HighlightedText, Qt::white);
    set(QPalette::Link, orangeText);
    set(QPalette::LinkVisited, orangeText);
    set(QPalette::ToolTipBase, Qt::white);
    set(QPalette::ToolTipText, ink);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, withOpacity(ink3, 0.6));
    }
    palette.setColor(QPalette::Disabled, QPalette::Highlight, ink3);
    QApplication::setPalette(palette);
    QApplication::setFont(Fonts::application(13));
}

} // namespace tc
