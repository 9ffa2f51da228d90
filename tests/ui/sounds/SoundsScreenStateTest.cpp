// The Sounds screen's texts and rules, without widgets.

#include "ui/sounds/SoundsScreenState.h"
#include "ui/ShellTestApp.h"
#include "ui/kit/PanelHelper.h"
#include "ui/sounds/SoundFilePanels.h"
#include "ui/sounds/SoundsAlert.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <map>

namespace tc {
namespace {

std::vector<SoundItem> catalogue() {
    return {
        {"synth.meow", "Cat meow", SoundCategory::animals, std::nullopt, 0.3},
        {"rec.bark", "Dog bark", SoundCategory::animals, std::nullopt, 0.5},
        {"synth.coin", "8-bit coin", SoundCategory::retro, std::nullopt, 0.2},
        {"user.1", "my MEOW take", SoundCategory::mine, "user.1.wav", 1.0},
    };
}

std::vector<std::string> ids(const std::vector<SoundItem> &sounds) {
    std::vector<std::string> out;
    for (const auto &sound : sounds) {
        out.push_back(sound.id);
    }
    return out;
}

TEST(SoundsScreenState, FilterAndSearchKeepCatalogueOrder) {
    struct Case {
        std::optional<SoundCategory> filter;
        QString search;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {std::nullopt, "", {"synth.meow", "rec.bark", "synth.coin", "user.1"}},
        {SoundCategory::animals, "", {"synth.meow", "rec.bark"}},
        {std::nullopt, "MEOW", {"synth.meow", "user.1"}}, // capitals find lower case, and the other way round
        {SoundCategory::mine, "meow", {"user.1"}},
        {SoundCategory::retro, "meow", {}},
        {std::nullopt, "meow ", {"user.1"}}, // used as typed: the trailing space must match too
        {SoundCategory::everyday, "", {}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ids(SoundsScreenState::filtered(catalogue(), c.filter, c.search)), c.expected)
            << c.search.toStdString();
    }
}

TEST(SoundsScreenState, EmptyListSpeaksOfTheSearchUnlessTheUserHasNoSoundsYet) {
    struct Case {
        std::optional<SoundCategory> filter;
        QString search;
        bool hasUserSounds;
        QString expected;
    };
    const QString first = QStringLiteral("Import or record your first sound.");
    const Case cases[] = {
        {SoundCategory::mine, "", false, first},
        {SoundCategory::mine, "tuba", false, first},
        // The user has sounds, none matches: the search is why the list is empty.
        {SoundCategory::mine, "tuba", true, QStringLiteral("Nothing matches \u201Ctuba\u201D.")},
        {SoundCategory::animals, "", true, QStringLiteral("Nothing matches \u201C\u201D.")},
        {std::nullopt, "<b>x</b>", false, QStringLiteral("Nothing matches \u201C<b>x</b>\u201D.")},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(SoundsScreenState::emptyText(c.filter, c.search, c.hasUserSounds), c.expected);
    }
}

TEST(SoundsScreenState, CountsKeepThePluralWords) {
    EXPECT_EQ(SoundsScreenState::headerDetail(1, 1), QStringLiteral("1 sounds \u00B7 1 packs"));
    EXPECT_EQ(SoundsScreenState::headerDetail(63, 4), QStringLiteral("63 sounds \u00B7 4 packs"));
    EXPECT_EQ(SoundsScreenState::customKeysText(0), QStringLiteral("0 custom keys"));
    EXPECT_EQ(SoundsScreenState::customKeysText(1), QStringLiteral("1 custom keys"));
}

TEST(SoundsScreenState, SelectionAndRowTexts) {
    EXPECT_EQ(SoundsScreenState::selectionLabel({49}), QStringLiteral("SPACE"));
    EXPECT_EQ(SoundsScreenState::selectionLabel({12, 13, 14}), QStringLiteral("3 keys"));
    EXPECT_EQ(SoundsScreenState::assignHelp({}), QStringLiteral("Select a key on the Keys screen first"));
    EXPECT_EQ(SoundsScreenState::assignHelp({12}), QStringLiteral("Put this sound on Q"));
    EXPECT_EQ(SoundsScreenState::keysText({"A", "B", "C", "D", "E", "F"}), QStringLiteral("A  B  C  D"));
    EXPECT_EQ(SoundsScreenState::keysText({}), QString());
    EXPECT_EQ(SoundsScreenState::durationText(0.256), QStringLiteral("0.26s"));
    EXPECT_EQ(SoundsScreenState::durationText(10), QStringLiteral("10.00s"));
}

TEST(SoundsScreenState, PackCapsAreTheFirstFourCategoriesByNameFilledWithMechanical) {
    const std::map<std::string, SoundCategory> known = {
        {"m", SoundCategory::mechanical}, {"e", SoundCategory::memes},    {"a", SoundCategory::animals},
        {"r", SoundCategory::retro},      {"v", SoundCategory::everyday}, {"u", SoundCategory::mine},
    };
    const auto lookup = [&](const std::string &id) -> std::optional<SoundItem> {
        const auto it = known.find(id);
        if (it == known.end()) {
            return std::nullopt;
        }
        return SoundItem{id, id, it->second, std::nullopt, 0};
    };
    const auto caps = [&](std::vector<std::string> soundIDs, std::string base = "a") {
        Profile profile;
        profile.baseSoundID = std::move(base); // never looked at
        int code = 0;
        for (auto &id : soundIDs) {
            profile.keys[std::to_string(code++)] = KeyAssignment{.soundID = std::move(id)};
        }
        const auto result = SoundsScreenState::packCategories(profile, lookup);
        return std::vector<SoundCategory>(result.begin(), result.end());
    };
    using C = SoundCategory;
    EXPECT_EQ(caps({}), (std::vector{C::mechanical, C::mechanical, C::mechanical, C::mechanical}));
    EXPECT_EQ(caps({"e", "a", "a", "gone"}), (std::vector{C::animals, C::memes, C::mechanical, C::mechanical}));
    EXPECT_EQ(caps({"u", "r", "v", "e", "a", "m"}), (std::vector{C::animals, C::everyday, C::mechanical, C::memes}));
    EXPECT_EQ(caps({"u", "r"}), (std::vector{C::mine, C::retro, C::mechanical, C::mechanical}));
}

TEST(SoundsScreenState, EveryFailedFileOfABatchIsReported) {
    using F = SoundsScreenState::Failure;
    EXPECT_EQ(SoundsScreenState::importErrorText({}), std::nullopt);
    EXPECT_EQ(SoundsScreenState::importErrorText({F{"a.wav", "This file is silent."}}),
              QStringLiteral("This file is silent."));
    EXPECT_EQ(SoundsScreenState::importErrorText({F{"a.wav", "This file is silent."}, F{"b.txt", "Unreadable."}}),
              QStringLiteral("a.wav: This file is silent.\nb.txt: Unreadable."));
}

TEST(SoundsScreenState, FilesThatFailedAlikeShareOneLineThatNamesAFew) {
    using F = SoundsScreenState::Failure;
    std::vector<F> failures{F{"a.wav", "Silent."}};
    for (int i = 1; i <= 16; ++i) {
        failures.push_back(F{QStringLiteral("n%1.txt").arg(i), "Unreadable."});
    }
    failures.push_back(F{QString(10000, QLatin1Char('z')) + ".wav", "Silent."});
    for (const char *reason : {"Too long.", "Too big.", "Gone."}) {
        failures.push_back(F{"x.wav", reason});
    }
    const QString cut = QString(SoundsScreenState::kNameCharacters, QLatin1Char('z')) + QChar(0x2026);
    EXPECT_EQ(SoundsScreenState::importErrorText(failures),
              "a.wav, " + cut +
                  ": Silent.\nn1.txt, n2.txt, n3.txt and 13 more: Unreadable.\n"
                  "x.wav: Too long.\nx.wav: Too big.\nand 1 more file");
}

TEST(SoundsScreenState, ImportSaysWhichFileOfTheBatchIsBeingRead) {
    struct Case {
        int done;
        int total;
        const char *text;
    };
    for (const Case &c :
         {Case{0, 1, "Importing\u2026"}, Case{0, 0, "Importing\u2026"}, Case{0, 4, "Importing 1 of 4\u2026"},
          Case{3, 4, "Importing 4 of 4\u2026"}, Case{4, 4, "Importing 4 of 4\u2026"}}) {
        EXPECT_EQ(SoundsScreenState::importingText(c.done, c.total), QString::fromUtf8(c.text)) << c.done << c.total;
    }
}

TEST(SoundsScreenState, FieldsSignalOnlyRealChanges) {
    SoundsScreenState state;
    QSignalSpy filter(&state, &SoundsScreenState::filterChanged);
    QSignalSpy error(&state, &SoundsScreenState::errorTextChanged);
    state.setFilter(SoundCategory::mine);
    state.setFilter(SoundCategory::mine);
    state.setFilter(std::nullopt);
    state.setErrorText(QStringLiteral("x"));
    state.setErrorText(QStringLiteral("x"));
    state.setErrorText(QStringLiteral("y"));
    EXPECT_EQ(filter.count(), 2);
    EXPECT_EQ(error.count(), 2);
}

TEST(SoundsScreenState, PanelsOfferPacksAndFallBackToJsonWithoutThePackType) {
    EXPECT_EQ(PanelHelper::packNameFilter(true), QStringLiteral("Tapchime pack (*.tapchime)"));
    EXPECT_EQ(PanelHelper::packNameFilter(false), QStringLiteral("Tapchime pack (*.tapchime *.json)"));
    for (bool installed : {true, false}) {
        const QStringList filters = SoundFilePanels::importNameFilters(PanelHelper::packNameFilter(installed));
        ASSERT_EQ(filters.size(), 3);
        // The first filter, the one the panel starts on, shows sounds and packs together.
        EXPECT_TRUE(filters[0].contains(QStringLiteral("*.wav")));
        EXPECT_TRUE(filters[0].contains(QStringLiteral("*.tapchime")));
        EXPECT_EQ(filters[0].contains(QStringLiteral("*.json")), !installed);
        EXPECT_FALSE(filters[1].contains(QStringLiteral("*.tapchime")));
        EXPECT_EQ(filters[2], PanelHelper::packNameFilter(installed));
    }
}

// "Couldn't import" takes the height its wrapped message needs: no line is cut, whatever the message.
TEST(SoundsScreenState, TheImportAlertShowsEveryLineOfItsMessage) {
    test::shellApp();
    const QString many = QStringLiteral(
        "first.wav: This file is silent.\nsecond take with a rather long file name.mp3: This file isn't an audio "
        "format Tapchime can read.\nthird.flac: This file is too large to use as a sound.\nfourth.ogg: There's no "
        "room for more sounds. Delete some of your own sounds first.");
    for (const QString &message : {QStringLiteral("This file is silent."), many}) {
        SCOPED_TRACE(message.toStdString());
        std::unique_ptr<SoundsAlert> alert(SoundsAlert::importError(message, nullptr));
        alert->show();
        QCoreApplication::processEvents();
        QLabel *text = nullptr;
        for (QLabel *label : alert->findChildren<QLabel *>()) {
            if (label->text() == message) {
                text = label;
            }
        }
        ASSERT_NE(text, nullptr);
        EXPECT_GE(text->height(), text->heightForWidth(text->width()));
        EXPECT_LE(text->geometry().bottom(), alert->rect().bottom());
        EXPECT_LE(text->geometry().right(), alert->rect().right());
        EXPECT_LE(text->width(), 460);
    }
}

// A message taller than the screen scrolls inside the alert, whose "OK" stays on the screen.
TEST(SoundsScreenState, TheImportAlertIsNoTallerThanItsScreen) {
    test::shellApp();
    QStringList lines;
    for (int i = 0; i < 200; ++i) {
        lines << QStringLiteral("take %1.wav: This file is silent.").arg(i);
    }
    std::unique_ptr<SoundsAlert> alert(SoundsAlert::importError(lines.join('\n'), nullptr));
    alert->show();
    QCoreApplication::processEvents();
    const QRect screen = alert->screen()->availableGeometry();
    EXPECT_LE(alert->height(), screen.height() - 40);
    const QRect ok(alert->defaultButton()->mapTo(alert.get(), QPoint()), alert->defaultButton()->size());
    EXPECT_TRUE(alert->rect().contains(ok));
    auto *area = alert->findChild<QScrollArea *>();
    ASSERT_NE(area, nullptr);
    area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
    const QWidget *text = area->widget();
    EXPECT_EQ(text->mapTo(area->viewport(), QPoint(0, text->height())).y(), area->viewport()->height());
}

TEST(SoundsScreenState, AlertsShowNamesAndMessagesAsWritten) {
    test::shellApp();
    std::unique_ptr<SoundsAlert> error(SoundsAlert::importError(QStringLiteral("<b>x</b> & y"), nullptr));
    EXPECT_EQ(error->title(), QStringLiteral("Couldn't import"));
    EXPECT_EQ(error->message(), QStringLiteral("<b>x</b> & y"));
    for (QLabel *label : error->findChildren<QLabel *>()) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
    }
    EXPECT_EQ(error->cancelButton(), nullptr);

    std::unique_ptr<SoundsAlert> rename(SoundsAlert::rename(QStringLiteral("<i>take</i>"), nullptr));
    EXPECT_EQ(rename->title(), QStringLiteral("Rename sound"));
    EXPECT_EQ(rename->field()->text(), QStringLiteral("<i>take</i>"));
    EXPECT_EQ(rename->field()->placeholderText(), QStringLiteral("Name"));
    EXPECT_EQ(rename->message(), QString()); // no message
}

} // namespace
} // namespace tc
