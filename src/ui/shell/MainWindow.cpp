#include "ui/shell/MainWindow.h"

#include "app/AppModel.h"
#include "ui/kit/CardScrollBar.h"
#include "ui/kit/DottedBackground.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TransparentScroll.h"
#include "ui/shell/Header.h"
#include "ui/shell/Pages.h"
#include "ui/shell/Rail.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QPainter>
#include <QPixmapCache>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <malloc.h>

namespace tc {

namespace {

constexpr qreal columnCorner = 18;
constexpr qreal cardCorner = 16;

// The window's background: Theme.rail everywhere, and the page column in Theme.panel with its left-hand
// corners rounded and a one-point hairline along its left edge.
class WindowBody : public QWidget {
public:
    explicit WindowBody(QWidget *parent) : QWidget(parent) {}
    QWidget *column = nullptr;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(rect(), Theme::rail);
        if (!column) {
            return;
        }
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area(column->geometry());
        // Only the left corners are round: round all four of a wider shape and cut it at the right edge.
        painter.setClipRect(area.adjusted(-1, 0, 0, 0));
        const QPainterPath shape = continuousRoundedRect(area.adjusted(0, 0, 2 * columnCorner, 0), columnCorner);
        painter.fillPath(shape.translated(-1, 0), Theme::withOpacity(Qt::black, 0.06));
        painter.fillPath(shape, Theme::panel);
    }
};

// Paints the page column's colour outside the card's rounded corners, over the page, so the card looks
// clipped to its rounded shape.
class CardCorners : public QWidget {
public:
    explicit CardCorners(QWidget *parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath outside;
        outside.addRect(QRectF(rect()));
        outside = outside.subtracted(continuousRoundedRect(QRectF(rect()), cardCorner));
        painter.fillPath(outside, Theme::panel);
    }
};

// The card: the dotted backdrop, the page over it, and the corners over both. A page fills the card; one
// whose least height is more than the card has scrolls as a whole, so nothing in it is squeezed or cut.
class PageCard : public QWidget {
public:
    explicit PageCard(QWidget *parent)
        : QWidget(parent), backdrop_(new DottedBackground(20, this)), scroll_(new QScrollArea(this)),
          corners_(new CardCorners(this)) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        scroll_->setObjectName(QStringLiteral("pageScroll"));
        makeTransparentScroll(scroll_);
        scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        CardScrollBar::fit(scroll_, 0, false, false); // the program's slim bar, as in its cards
    }

    void setPage(QWidget *page) {
        if (scroll_->widget()) {
            scroll_->takeWidget(); // the window deletes the page it replaces
        }
        if (!page) {
            return;
        }
        scroll_->setWidget(page);
        page->setAutoFillBackground(false); // setWidget() turned it on; the backdrop shows through
        page->show();
        corners_->raise();
    }

protected:
    void resizeEvent(QResizeEvent *) override {
        backdrop_->setGeometry(rect());
        scroll_->setGeometry(rect());
        corners_->setGeometry(rect());
        corners_->raise();
    }

private:
    DottedBackground *backdrop_;
    QScrollArea *scroll_;
    CardCorners *corners_;
};

} // namespace

MainWindow::MainWindow(AppModel &model, PageServices services, QWidget *parent)
    : QMainWindow(parent), model_(model), services_(services) {
    setObjectName("main");
    setWindowTitle("Tapchime");
    setMinimumSize(kMinimumSize);
    fitMinimumToScreen();
    resize(1400, 880);

    auto *body = new WindowBody(this);
    QPalette palette = body->palette();
    palette.setColor(QPalette::WindowText, Theme::ink);
    body->setPalette(palette);
    auto *row = new QHBoxLayout(body);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    rail_ = new Rail(model_, body);
    row->addWidget(rail_);

    auto *column = new QWidget(body);
    auto *stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    header_ = new Header(model_, column);
    stack->addWidget(header_);
    auto *cardArea = new QVBoxLayout;
    cardArea->setContentsMargins(12, 0, 12, 12);
    card_ = new PageCard(column);
    cardArea->addWidget(card_);
    stack->addLayout(cardArea);
    row->addWidget(column, 1);
    body->column = column;
    setCentralWidget(body);

    settings_ = new QAction(QStringLiteral("Settings"), this);
    settings_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    // The tray panel's "Ctrl+," hint promises this shortcut wherever the program has focus.
    settings_->setShortcutContext(Qt::ApplicationShortcut);
    connect(settings_, &QAction::triggered, this, [this] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            popup->close();
        }
        openSection(AppSection::settings);
    });
    addAction(settings_);

    connect(&model_, &AppModelSignals::sectionChanged, this, [this] {
        if (isVisible()) {
            showPage();
        } else {
            dropPage(); // the next show makes the new section's page
        }
    });
    connect(&model_, &AppModelSignals::soundPickerChanged, this, [this] { syncSoundPicker(); });
    connect(&model_, &AppModelSignals::showOnboardingChanged, this, [this] { syncOnboarding(); });
    syncSoundPicker();
    syncOnboarding();
}

MainWindow::~MainWindow() = default;

QSize MainWindow::minimumSizeFor(QSize available) {
    if (available.isEmpty()) {
        return kMinimumSize;
    }
    return kMinimumSize.boundedTo(available);
}

void MainWindow::fitMinimumToScreen() {
    const QScreen *shown = screen();
    if (!isWindow() || shown == nullptr) {
        return; // embedded (as in pictures of it), the owner chooses
    }
    // The frame (title bar and borders) is known once the window manager has framed the window.
    const QSize frame = frameGeometry().size() - geometry().size();
    setMinimumSize(minimumSizeFor(shown->availableGeometry().size() - frame.expandedTo(QSize(0, 0))));
}

void MainWindow::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (!screenWatched_ && windowHandle() != nullptr) {
        screenWatched_ = true;
        connect(windowHandle(), &QWindow::screenChanged, this, &MainWindow::fitMinimumToScreen);
    }
    fitMinimumToScreen();
    if (!page_) {
        showPage();
    }
}

void MainWindow::hideEvent(QHideEvent *event) {
    QMainWindow::hideEvent(event);
    // Minimised windows keep their page, so they come back as they were left.
    if (!isMinimized()) {
        dropPage();
        // The page goes at the next turn of the event loop; then hand the heap it freed back to the system, so
        // the program in the tray holds no more than before the window was opened.
        QTimer::singleShot(1000, this, [this] {
            if (!isVisible()) {
                QPixmapCache::clear();
                malloc_trim(0);
            }
        });
    }
}

QWidget *MainWindow::page() {
    if (!page_) {
        showPage();
    }
    return page_;
}

bool MainWindow::event(QEvent *event) {
    // A window manager reports the frame after the first show; the least size then leaves room for it.
    if (event->type() == QEvent::Move || event->type() == QEvent::WindowStateChange) {
        fitMinimumToScreen();
    }
    return QMainWindow::event(event);
}

void MainWindow::bringForward() {
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

QWidget *MainWindow::dialogParent() {
    if (QWidget *modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return this;
}

void MainWindow::openSection(AppSection section) {
    if (model_.section() != section) {
        model_.setSection(section);
    }
    bringForward();
}

void MainWindow::showPage() {
    // Focus in the page that goes moves to the new section's rail item, where the user is, not down the chain
    // to whatever control comes next (the first rail item, for the last control of the page).
    QWidget *focused = focusWidget();
    if (page_ && focused != nullptr && page_->isAncestorOf(focused)) {
        if (RailItem *item = rail_->item(model_.section())) {
            item->setFocus(Qt::OtherFocusReason);
        }
    }
    dropPage();
    page_ = makePage(model_.section(), model_, nullptr, services_);
    static_cast<PageCard *>(card_)->setPage(page_);
}

void MainWindow::dropPage() {
    if (page_) {
        // Later, not now: the page itself may have asked for the new section.
        page_->hide();
        page_->deleteLater();
        page_ = nullptr;
        static_cast<PageCard *>(card_)->setPage(nullptr);
    }
}

void MainWindow::showForSheet() {
    // A sheet over a hidden window would stand alone, and closing it would leave only the tray icon.
    if (isWindow() && !isVisible()) {
        bringForward();
    }
}

void MainWindow::syncSoundPicker() {
    const auto &target = model_.soundPicker();
    const QString id = target ? QString::fromStdString(target->id()) : QString();
    if (picker_ && id == pickerID_) {
        return;
    }
    if (picker_) {
        // Closed because the model's field changed: nothing to reset.
        QDialog *old = picker_;
        picker_ = nullptr;
        old->close();
    }
    if (!target) {
        return;
    }
    QDialog *sheet = makeSoundPickerSheet(*target, model_, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &QDialog::finished, this, [this, sheet] {
        if (picker_ == sheet) {
            picker_ = nullptr;
            model_.setSoundPicker(std::nullopt);
        }
    });
    picker_ = sheet;
    pickerID_ = id;
    showForSheet();
    sheet->open();
}

void MainWindow::syncOnboarding() {
    const bool wanted = model_.showOnboarding();
    if (wanted == (onboarding_ != nullptr)) {
        return;
    }
    if (!wanted) {
        QDialog *old = onboarding_;
        onboarding_ = nullptr;
        old->close();
        return;
    }
    QDialog *sheet = makeOnboardingSheet(model_, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &QDialog::finished, this, [this, sheet] {
        if (onboarding_ == sheet) {
            onboarding_ = nullptr;
            model_.setShowOnboarding(false);
        }
    });
    onboarding_ = sheet;
    showForSheet();
    sheet->open();
}

} // namespace tc
