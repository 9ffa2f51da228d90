#pragma once

#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QWidget>
#include <optional>

namespace tc {

// The large page title (44-pixel heavy Inter, tracking −1.5) with, when given, a small caption after it in
// upper-case monospaced 11-pixel medium Theme.ink2, the two on one baseline 14 points apart. The title takes
// the widget's foreground colour.
class SectionTitle : public QWidget {
    Q_OBJECT
public:
    SectionTitle(const QString &title, std::optional<QString> detail = std::nullopt, QWidget *parent = nullptr);

    static QFont titleFont();
    static QFont detailFont();

    struct Layout {
        QPointF titleOrigin;  // baseline start of the title
        QPointF detailOrigin; // baseline start of the detail (when there is one)
        QString detailText;   // the detail as drawn (upper case)
        QSizeF size;
    };
    static Layout layout(const QString &title, const std::optional<QString> &detail);

    void setTitle(const QString &title);
    void setDetail(std::optional<QString> detail);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString title_;
    std::optional<QString> detail_;
};

} // namespace tc
