#pragma once

#include "app/AppTypes.h"
#include "ui/kit/TrayCard.h"

#include <QLocale>
#include <QString>
#include <QWidget>
#include <vector>

class QLabel;
class QVBoxLayout;

namespace tc {

class AppModel;

// "Today": the switches the application in front caused today, newest first: the time (in the user's
// locale), the application and what plays there since (a profile's name, or "Muted"). The header counts
// today's switches; the newest four are listed. Read only; it follows the model's log.
//
// Main thread only. The model must outlive the card.
class SwitchLogCard : public TrayCard {
public:
    static constexpr std::size_t shownRows = 4;
    static constexpr int rowHeight = 40;

    // "3 SWITCHES": the count as a plain number, the same word for any count.
    static QString countText(std::size_t count);
    // The time of day of a switch, as the locale writes hours and minutes.
    static QString timeText(const QDateTime &date, const QLocale &locale = QLocale());

    explicit SwitchLogCard(AppModel &model, QWidget *parent = nullptr);

    void refresh();

    QString headerCount() const;
    // The texts of each shown row: time, application, profile.
    struct RowTexts {
        QString time;
        QString app;
        QString profile;
    };
    std::vector<RowTexts> rows() const;
    bool showsEmptyText() const;

private:
    AppModel &model_;
    QLabel *count_;
    QVBoxLayout *list_;
    QWidget *empty_;
    std::vector<QWidget *> rows_;
};

} // namespace tc
