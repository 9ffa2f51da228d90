#include "ui/shell/Pages.h"

#include "ui/editor/EditorView.h"
#include "ui/kit/DottedBackground.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/SectionTitle.h"
#include "ui/shell/Sections.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace tc {

QWidget *makePage(AppSection section, AppModel &model, QWidget *parent) {
    // Keys, Sounds, Triggers, App rules and Settings get their screens from their own folders as those land.
    if (section == AppSection::keyboard) {
        return new EditorView(model, parent);
    }
    return new SectionPlaceholder(section, parent);
}

QDialog *makeSoundPickerSheet(const SoundPickerTarget &, AppModel &, QWidget *parent) {
    return new SheetPlaceholder(QStringLiteral("Sound picker"), parent);
}

QDialog *makeOnboardingSheet(AppModel &, QWidget *parent) {
    return new SheetPlaceholder(QStringLiteral("Welcome to Tapchime"), parent);
}

SectionPlaceholder::SectionPlaceholder(AppSection section, QWidget *parent) : QWidget(parent), section_(section) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(32, 28, 32, 28);
    column->addWidget(new SectionTitle(sectionInfo(section).title, std::nullopt, this), 0, Qt::AlignLeft);
    column->addStretch(1);
}

SheetPlaceholder::SheetPlaceholder(const QString &title, QWidget *parent) : QDialog(parent), title_(title) {
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    resize(560, 360);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(32, 28, 32, 24);
    column->addWidget(new SectionTitle(title, std::nullopt, this), 0, Qt::AlignLeft);
    column->addStretch(1);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    auto *close = new PillButton(QStringLiteral("Close"), OutlinePillButtonStyle{32}, this);
    connect(close, &QAbstractButton::clicked, this, &QDialog::reject);
    row->addWidget(close);
    column->addLayout(row);
    close_ = close;
}

void SheetPlaceholder::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    DottedBackground::paint(painter, QRectF(rect()), 20);
}

} // namespace tc
