#pragma once

#include "app/AppModel.h"
#include "ui/kit/TrayCard.h"

#include <QAbstractButton>
#include <QString>
#include <QWidget>

class QComboBox;

namespace tc {

// One row of the smart-mute card: a round check mark (filled ink with a white tick while on, a grey ring
// while off) beside a title and a note. The whole row is the button; a click writes the opposite of the
// bound value, and the row then shows what the binding reads back. For assistive technology it is a toggle
// whose value reads "On" or "Off".
class CheckRow : public QAbstractButton {
public:
    CheckRow(const QString &title, const QString &note, AppModel::SettingBinding<bool> binding,
             QWidget *parent = nullptr);

    // Reads the binding again.
    void refresh();
    void setNote(const QString &note);
    QString note() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void nextCheckState() override;

private:
    AppModel::SettingBinding<bool> binding_;
    QWidget *labels_;
};

// "Smart mute": mute while the microphone is in use, in password fields, and during quiet hours, whose start
// and end are chosen in half-hour steps below the quiet-hours row while it is on. Every change goes straight
// to the document through the model (saved, then pushed to the router).
//
// Main thread only. The model must outlive the card.
class SmartMuteCard : public TrayCard {
public:
    // "23:00 – 08:00": the two times of the quiet-hours row; a stored minute count outside one day is shown
    // as the time of day it stands for (the router counts it the same way).
    static QString quietLabel(const AppSettings &settings);
    // "HH:MM" of a minute count, brought into one day.
    static QString timeText(std::int64_t minutes);
    // The picker entry (0 to 47, every half hour) that holds a stored minute count, or -1 for none.
    static int pickerIndex(std::int64_t minutes);

    explicit SmartMuteCard(AppModel &model, QWidget *parent = nullptr);

    void refresh();

    CheckRow *micRow() const { return mic_; }
    CheckRow *passwordRow() const { return password_; }
    CheckRow *quietRow() const { return quiet_; }
    QWidget *timeRow() const { return timeRow_; }
    QComboBox *startPicker() const { return start_; }
    QComboBox *endPicker() const { return end_; }

private:
    QComboBox *makePicker(std::int64_t AppSettings::*field);

    AppModel &model_;
    CheckRow *mic_;
    CheckRow *password_;
    CheckRow *quiet_;
    QWidget *timeRow_;
    QComboBox *start_;
    QComboBox *end_;
};

} // namespace tc
