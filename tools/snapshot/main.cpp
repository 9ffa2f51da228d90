// Renders every shared view offscreen and writes one PNG each into the folder named on the command line:
//   QT_QPA_PLATFORM=offscreen tapchime_snapshot out/ [PREFIX]
// (with a PREFIX, only the pictures whose names start with it).
// Deterministic: the fonts are loaded from the font packages, motion is off (every animation is at its end),
// each picture starts from empty font caches and the pictures are drawn at twice the logical size.

#include "Snapshot.h"

#include "app/Motion.h"
#include "ui/kit/DottedBackground.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/Theme.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QLayout>
#include <QPainter>
#include <QScrollArea>
#include <algorithm>
#include <cstdio>

namespace {

constexpr qreal scale = 2.0;

// A backdrop with the view centred on it.
class Host : public QWidget {
public:
    explicit Host(QColor backdrop) : backdrop_(backdrop) {}

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        if (backdrop_.isValid()) {
            painter.fillRect(rect(), backdrop_);
        } else {
            tc::DottedBackground::paint(painter, QRectF(rect()), 20);
        }
    }

private:
    QColor backdrop_;
};

// How much taller the view must be for the content of each scroll area in it that shows no scroll bar (the
// Keys page's right column) to show whole: such an area scrolls only by the wheel, which a picture cannot show.
int hiddenOverflow(QWidget *view) {
    int overflow = 0;
    for (QScrollArea *area : view->findChildren<QScrollArea *>()) {
        if (area->widget() == nullptr || !area->isVisibleTo(view) ||
            area->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff) {
            continue;
        }
        const int wanted = std::max(area->widget()->minimumSizeHint().height(), area->widget()->sizeHint().height());
        overflow = std::max(overflow, wanted - area->viewport()->height());
    }
    return overflow;
}

// Empties Qt's font caches. Its FreeType font engines keep state from one drawing to the next, and large text
// (drawn from the glyphs' outlines, as every page title is at twice the size) comes out a few grey levels
// apart depending on what was drawn before it: after this each picture draws as the first in a run does.
// Qt clears its caches whenever the font database changes, so one font file is added again and taken away.
void clearFontCaches() {
    static const QString file = [] {
        for (const QString &root : tc::Fonts::searchFolders()) {
            const QString path = QDir(root).filePath(
                QStringLiteral("truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf"));
            if (QFile::exists(path)) {
                return path;
            }
        }
        return QString();
    }();
    QFontDatabase::removeApplicationFont(QFontDatabase::addApplicationFont(file));
}

bool render(const tc::snapshot::Snapshot &shot, const QDir &folder) {
    clearFontCaches();
    Host host(shot.backdrop);
    QWidget *view = shot.make();
    view->setParent(&host);
    view->ensurePolished();
    if (view->layout()) {
        view->layout()->activate();
    }
    QSize size = shot.size.isEmpty() ? view->sizeHint() : shot.size;
    size = size.expandedTo(view->minimumSize()).boundedTo(view->maximumSize());
    if (view->hasHeightForWidth() && shot.size.isEmpty()) {
        size.setHeight(view->heightForWidth(size.width()));
    }
    view->setGeometry(shot.margin, shot.margin, size.width(), size.height());
    host.resize(size.width() + 2 * shot.margin, size.height() + 2 * shot.margin);
    if (!shot.focus) {
        host.setAttribute(Qt::WA_DontShowOnScreen); // focus needs a window that can become active
    }
    host.show();
    QCoreApplication::processEvents();
    // A page is pictured at least as tall as it needs to show everything: its real least size. (A few rounds: a
    // taller page may lay its columns out anew.)
    for (int round = 0, overflow = 0; shot.growToFit && round < 4 && (overflow = hiddenOverflow(view)) > 0; ++round) {
        view->resize(view->width(), view->height() + overflow);
        host.resize(host.width(), view->height() + 2 * shot.margin);
        QCoreApplication::processEvents();
    }
    if (shot.focus) {
        // Focus shows only in the active window.
        host.activateWindow();
        for (int i = 0; i < 100 && !host.isActiveWindow(); ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        QWidget *control = shot.focus(view);
        if (control == nullptr) {
            std::fprintf(stderr, "snapshot: %s: no control to focus\n", qPrintable(shot.name));
            return false;
        }
        // As Tab gives it: focus the control took as its window opened shows no ring.
        control->clearFocus();
        control->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        if (!control->hasFocus()) {
            std::fprintf(stderr, "snapshot: %s: the control did not take focus\n", qPrintable(shot.name));
            return false;
        }
    }

    QImage image((QSizeF(host.size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    host.render(&image);
    const QString path = folder.filePath(shot.name + QStringLiteral(".png"));
    if (!image.save(path)) {
        std::fprintf(stderr, "snapshot: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: tapchime_snapshot <folder> [name prefix]\n");
        return 2;
    }
    const QString prefix = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.absolutePath())) {
        std::fprintf(stderr, "snapshot: cannot make %s\n", argv[1]);
        return 1;
    }
    if (!tc::Fonts::load()) {
        std::fprintf(stderr, "snapshot: fonts missing (Inter, JetBrains Mono, Material Icons); run scripts/setup\n");
        return 1;
    }
    tc::Theme::applyAppearance(app);
    tc::motion::setEnabled(false);

    bool ok = true;
    for (const auto &list :
         {tc::snapshot::shellSnapshots(), tc::snapshot::windowSnapshots(), tc::snapshot::editorSnapshots(),
          tc::snapshot::triggerSnapshots(), tc::snapshot::pickerSnapshots(), tc::snapshot::appRulesSnapshots(),
          tc::snapshot::settingsSnapshots(), tc::snapshot::soundsSnapshots(), tc::snapshot::focusSnapshots(),
          tc::snapshot::longNameSnapshots()}) {
        for (const tc::snapshot::Snapshot &shot : list) {
            if (!shot.name.startsWith(prefix)) {
                continue;
            }
            ok = render(shot, folder) && ok;
        }
    }
    return ok ? 0 : 1;
}
