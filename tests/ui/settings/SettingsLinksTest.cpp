// "Reveal", "Send feedback" and "Website" ask the desktop off the main thread, and when nothing opens the address
// the page says so, with the address to copy.

#include "ui/settings/SettingsView.h"

#include "support/ScopedEnv.h"
#include "support/Wait.h"
#include "ui/ModelStates.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

void writeScript(const QString &folder, const QString &name, const QByteArray &body) {
    QFile script(QDir(folder).filePath(name));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n" + body);
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(SettingsLinks, AnOpenerThatFailsIsToldWithTheAddressToCopy) {
    shellApp();
    // The desktop names an application for everything, and xdg-open then fails.
    QTemporaryDir bin;
    writeScript(bin.path(), QStringLiteral("xdg-mime"), "echo firefox.desktop\n");
    writeScript(bin.path(), QStringLiteral("xdg-open"), "exit 4\n");
    ScopedEnv path("PATH", bin.path().toStdString());
    Harness harness;
    harness.lanes.runInPlace({}); // the desktop lane on its own thread, as in the program
    QTemporaryDir data;
    const QString folder = data.path() + "/Tapchime/Sounds";
    harness.library.folder = folder.toStdString();
    AppModel &model = harness.started();
    SettingsView view(model);

    const struct {
        QAbstractButton *button;
        const char *title;
        QString address;
    } actions[] = {
        {view.websiteLink(), "Couldn't open the website", QStringLiteral("https://tapchime.app")},
        {view.feedbackLink(), "Couldn't start an email", QStringLiteral("feedback@tapchime.app")},
        {view.revealButton(), "Couldn't open the sounds folder", QDir::toNativeSeparators(folder)},
    };
    for (const auto &action : actions) {
        SCOPED_TRACE(action.title);
        action.button->click();
        // The click returned before the desktop answered: the answer lands on a later turn of the main thread.
        EXPECT_EQ(view.findChild<QMessageBox *>(), nullptr);
        ASSERT_TRUE(waitUntil([&] {
            harness.time.runPosted();
            return view.findChild<QMessageBox *>() != nullptr;
        }));
        auto *said = view.findChild<QMessageBox *>();
        EXPECT_EQ(said->text(), QString::fromUtf8(action.title));
        EXPECT_TRUE(said->informativeText().contains(action.address)) << said->informativeText().toStdString();
        EXPECT_TRUE(said->textInteractionFlags() & Qt::TextSelectableByMouse);
        delete said;
    }
}

} // namespace
} // namespace tc::test
