#include "ui/kit/PointerHold.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <utility>
#include <vector>

namespace tc::PointerHold {

namespace {

// The changes waiting for the buttons to go up, and the application-wide watch for the release.
class Waiting final : public QObject {
public:
    using QObject::QObject;

    void add(QObject *owner, std::function<void()> change) {
        for (auto &[waiting, action] : changes_) {
            if (waiting == owner) {
                action = std::move(change);
                return;
            }
        }
        if (changes_.empty()) {
            qApp->installEventFilter(this);
        }
        changes_.emplace_back(owner, std::move(change));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        // The release itself, or, should something have taken it on its way (a drag's own loop), any later
        // pointer event once the buttons are up.
        const QEvent::Type type = event->type();
        const bool pointer = type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ||
                             type == QEvent::MouseButtonPress || type == QEvent::HoverMove;
        if (pointer && !held() && !posted_) {
            posted_ = true;
            QTimer::singleShot(0, this, [this] { run(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void run() {
        posted_ = false;
        if (held()) {
            return; // pressed again before the changes got their turn: they wait for that release
        }
        qApp->removeEventFilter(this);
        const auto changes = std::exchange(changes_, {});
        for (const auto &[owner, change] : changes) {
            if (owner) {
                change();
            }
        }
    }

    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> changes_;
    bool posted_ = false;
};

Waiting &waiting() {
    static QPointer<Waiting> one;
    if (!one) {
        one = new Waiting(qApp);
    }
    return *one;
}

} // namespace

bool held() {
    return QGuiApplication::mouseButtons() != Qt::NoButton;
}

void afterRelease(QObject *owner, std::function<void()> change) {
    if (!held()) {
        change();
        return;
    }
    waiting().add(owner, std::move(change));
}

} // namespace tc::PointerHold
