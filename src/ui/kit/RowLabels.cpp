#include "ui/kit/RowLabels.h"

#include "ui/kit/Fonts.h"
#include "ui/kit/Theme.h"

#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

namespace tc {

QWidget *rowLabels(const QString &title, const QString &detail, QWidget *parent) {
    auto *box = new QWidget(parent);
    auto *stack = new QVBoxLayout(box);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(2);

    auto *titleLabel = new QLabel(title, box);
    titleLabel->setObjectName(QStringLiteral("title"));
    titleLabel->setTextFormat(Qt::PlainText);
    titleLabel->setFont(Fonts::system(13, QFont::DemiBold));
    titleLabel->setWordWrap(true);
    stack->addWidget(titleLabel);

    auto *detailLabel = new QLabel(detail, box);
    detailLabel->setObjectName(QStringLiteral("detail"));
    detailLabel->setTextFormat(Qt::PlainText);
    detailLabel->setFont(Fonts::system(12));
    detailLabel->setWordWrap(true);
    QPalette palette = detailLabel->palette();
    palette.setColor(QPalette::WindowText, Theme::ink3);
    detailLabel->setPalette(palette);
    stack->addWidget(detailLabel);
    return box;
}

QWidget *rowDivider(QWidget *parent) {
    auto *line = new QWidget(parent);
    line->setObjectName(QStringLiteral("divider"));
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, Theme::line);
    line->setPalette(palette);
    return line;
}

} // namespace tc
