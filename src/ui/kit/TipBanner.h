#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QAbstractButton;
class QVariantAnimation;

namespace tc {

// The dismissible hint at the top of a screen. It shows while its id is missing from the document's
// `tipsSeen` and takes no space once it is there; "Got it" records the id (the owner appends it, saves and
// pushes the runtime configuration) and the banner fades away while it slides up out of its place, as does
// every banner with the same id once refreshed.
class TipBanner : public QWidget {
    Q_OBJECT
public:
    // The banner's view of the document, kept thin so any owner (the application model) can supply it.
    struct Binding {
        std::function<bool(const QString &id)> isSeen;
        std::function<void(const QString &id)> dismiss;
    };

    TipBanner(const QString &id, const QString &symbol, const QString &title, const QString &text, Binding binding,
              QWidget *parent = nullptr);

    // Shows or hides the banner by the binding's current answer (call it when the document changed).
    void refresh();
    // Ends a running fade.
    void finishAnimation();

    const QString &id() const { return id_; }
    QAbstractButton *gotItButton() const { return gotIt_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void fadeTo(bool visible);
    void setPresence(qreal presence);

    QString id_;
    Binding binding_;
    QAbstractButton *gotIt_;
    QVariantAnimation *fade_; // presence 0 (gone) to 1 (in place)
    qreal presence_ = 1.0;
    bool wanted_ = true;
};

} // namespace tc
