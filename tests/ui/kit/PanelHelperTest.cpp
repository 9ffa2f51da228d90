// Application lists, the app chooser and the pack file name.

#include "ui/kit/PanelHelper.h"
#include "app/shell/DesktopEntryApps.h"
#include "support/FakeSystemSources.h"
#include "ui/ShellTestApp.h"
#include "ui/kit/AppChooserDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using tc::PanelHelper;
using tc::RunningApp;

TEST(PanelHelper, PackFilesAreNamedAfterTheProfile) {
    const std::pair<const char *, const char *> cases[] = {
        {"Work", "Work.tapchime"},     {"Meme mode", "Meme mode.tapchime"},
        {"A/B", "A-B.tapchime"},       {"", "Pack.tapchime"},
        {"  ", "Pack.tapchime"},       {"..", "Pack.tapchime"},
        {"../../x", "-..-x.tapchime"}, {".hidden", "hidden.tapchime"},
        {". . .", "Pack.tapchime"},    {"v1.0", "v1.0.tapchime"},
    };
    for (const auto &[name, file] : cases) {
        EXPECT_EQ(PanelHelper::packFileName(QString::fromUtf8(name)), QString::fromUtf8(file)) << name;
    }
}

TEST(PanelHelper, RunningAppsLeaveOutThisProgramAndNamelessIdsAndSortByNameIgnoringCase) {
    const std::vector<RunningApp> running = {
        {QStringLiteral("org.gnome.Terminal"), QStringLiteral("Terminal"), {}},
        {QStringLiteral("tapchime"), QStringLiteral("Tapchime"), {}},
        {QString(), QStringLiteral("No id"), {}},
        {QStringLiteral("firefox"), QStringLiteral("firefox"), {}},
        {QStringLiteral("Zoom"), QString(), {}},
        {QStringLiteral("org.example.One"), QStringLiteral("Editor"), {}},
        {QStringLiteral("org.example.Two"), QStringLiteral("editor"), {}},
    };
    const std::vector<RunningApp> apps = PanelHelper::runningApps(running, QStringLiteral("tapchime"));
    std::vector<QString> ids;
    for (const RunningApp &app : apps) {
        ids.push_back(app.bundleID);
    }
    const std::vector<QString> expected = {QStringLiteral("org.example.One"), QStringLiteral("org.example.Two"),
                                           QStringLiteral("firefox"), QStringLiteral("org.gnome.Terminal"),
                                           QStringLiteral("Zoom")};
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(apps.back().name, QStringLiteral("Zoom")); // a missing name shows the id
}

TEST(PanelHelper, IconsComeFromTheDesktopEntry) {
    tc::test::shellApp();
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("icon.png"));
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(png));
    const std::vector<tc::InstalledApp> installed = {{QStringLiteral("org.example.App"), QStringLiteral("App"), png}};
    EXPECT_FALSE(PanelHelper::icon(QStringLiteral("org.example.App"), installed).isNull());
    EXPECT_TRUE(PanelHelper::icon(QStringLiteral("removed.App"), installed).isNull());
    EXPECT_TRUE(PanelHelper::iconFromDesktopIcon(dir.filePath(QStringLiteral("missing.png"))).isNull());
    EXPECT_TRUE(PanelHelper::iconFromDesktopIcon(QString()).isNull());
}

// An icon that is listed but cannot be drawn counts as none, so the lettered tile stands in: a file that is
// no image, and a theme entry whose file is unreadable.
TEST(PanelHelper, AnIconThatCannotBeDrawnIsNone) {
    tc::test::shellApp();
    QTemporaryDir dir;
    const auto write = [](const QString &path, const QByteArray &bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    const QString notAnImage = dir.filePath(QStringLiteral("broken.png"));
    write(notAnImage, "not an image");
    EXPECT_TRUE(PanelHelper::iconFromDesktopIcon(notAnImage).isNull());

    write(dir.filePath(QStringLiteral("icons/broken/index.theme")),
          "[Icon Theme]\nName=broken\nDirectories=32x32/apps\n\n[32x32/apps]\nSize=32\nType=Fixed\n");
    write(dir.filePath(QStringLiteral("icons/broken/32x32/apps/mini.broken.png")), "not an image either");
    const QStringList paths = QIcon::themeSearchPaths();
    const QString theme = QIcon::themeName();
    QIcon::setThemeSearchPaths({dir.filePath(QStringLiteral("icons"))});
    QIcon::setThemeName(QStringLiteral("broken"));
    ASSERT_TRUE(QIcon::hasThemeIcon(QStringLiteral("mini.broken"))); // listed by the theme
    EXPECT_TRUE(PanelHelper::iconFromDesktopIcon(QStringLiteral("mini.broken")).isNull());
    QIcon::setThemeName(theme);
    QIcon::setThemeSearchPaths(paths);
}

// A theme's SVG icon whose picture is text (xterm's mini.xterm: an "X" and a "T") draws, under the program's
// own default font, without Qt's "Pixel size <= 0" warnings; an SVG that draws nothing counts as none, so the
// lettered tile stands in rather than an empty square.
TEST(PanelHelper, AnSvgIconOfTextDrawsAndOneThatDrawsNothingIsNone) {
    tc::test::shellApp();
    QTemporaryDir dir;
    const auto write = [](const QString &path, const QByteArray &bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write(dir.filePath(QStringLiteral("icons/lettered/index.theme")),
          "[Icon Theme]\nName=lettered\nDirectories=scalable/apps\n\n"
          "[scalable/apps]\nSize=48\nMinSize=8\nMaxSize=512\nType=Scalable\n");
    write(dir.filePath(QStringLiteral("icons/lettered/scalable/apps/mini.lettered.svg")),
          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"48px\" height=\"48px\">"
          "<text x=\"2\" y=\"46\" style=\"line-height:0%;font-family:'Inter'\" transform=\"scale(1.01,0.98)\">"
          "<tspan x=\"2\" y=\"46\" style=\"font-size:59.79689407px;fill:#ff5e00\">X</tspan></text></svg>");
    write(dir.filePath(QStringLiteral("icons/lettered/scalable/apps/blank.lettered.svg")),
          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"48px\" height=\"48px\"><g/></svg>");
    const QStringList paths = QIcon::themeSearchPaths();
    const QString theme = QIcon::themeName();
    QIcon::setThemeSearchPaths({dir.filePath(QStringLiteral("icons"))});
    QIcon::setThemeName(QStringLiteral("lettered"));

    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) { warnings << text; });
    const QIcon lettered = PanelHelper::iconFromDesktopIcon(QStringLiteral("mini.lettered"));
    QImage drawn(46, 46, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    if (!lettered.isNull()) {
        QPainter painter(&drawn);
        lettered.paint(&painter, drawn.rect());
    }
    // (A theme's icon is looked up again when the theme changes: asked before the theme is put back.)
    const bool letteredIsNull = lettered.isNull();
    const bool blankIsNull = PanelHelper::iconFromDesktopIcon(QStringLiteral("blank.lettered")).isNull();
    qInstallMessageHandler(previous);
    QIcon::setThemeName(theme);
    QIcon::setThemeSearchPaths(paths);

    EXPECT_FALSE(letteredIsNull);
    int inked = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            inked += qAlpha(drawn.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 100); // the letter, not a speck
    EXPECT_TRUE(warnings.filter(QStringLiteral("setPixelSize")).isEmpty()) << warnings.join('\n').toStdString();
    EXPECT_TRUE(blankIsNull);
}

TEST(AppChooserDialog, GivesTheChosenApplicationsIdAndName) {
    tc::test::shellApp();
    tc::AppChooserDialog dialog({{QStringLiteral("org.gnome.Calls"), QStringLiteral("Calls"), QString()},
                                 {QStringLiteral("Zoom"), QString(), QString()}});
    ASSERT_EQ(dialog.list()->count(), 2);
    EXPECT_EQ(dialog.list()->item(1)->text(), QStringLiteral("Zoom"));
    dialog.list()->setCurrentRow(0);
    dialog.accept();
    EXPECT_EQ(dialog.chosen(), (tc::ChosenApp{QStringLiteral("org.gnome.Calls"), QStringLiteral("Calls")}));

    tc::AppChooserDialog cancelled({{QStringLiteral("Zoom"), QStringLiteral("Zoom"), QString()}});
    cancelled.list()->setCurrentRow(0);
    cancelled.reject();
    EXPECT_FALSE(cancelled.chosen());
}

TEST(PanelHelper, InstalledApplicationsAndIconsComeThroughTheDesktopsApplications) {
    tc::test::shellApp();
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("tool.png"));
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(png));
    QDir(dir.path()).mkpath(QStringLiteral("applications"));
    const auto write = [&](const QString &name, const QByteArray &text) {
        QFile file(dir.filePath(QStringLiteral("applications/") + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write(QStringLiteral("org.example.Tool.desktop"),
          "[Desktop Entry]\nType=Application\nName=Tool\nExec=tool\nIcon=" + png.toUtf8() + "\n");
    write(QStringLiteral("hidden.desktop"), "[Desktop Entry]\nType=Application\nName=Hidden\nNoDisplay=true\n");
    write(QStringLiteral("alpha.desktop"), "[Desktop Entry]\nType=Application\nName=Alpha\nExec=alpha\n");
    auto owned = std::make_unique<tc::test::FakeRunningAppsSource>();
    tc::test::FakeRunningAppsSource &source = *owned;
    tc::DesktopEntryApps entries(tc::DesktopEntries({dir.filePath(QStringLiteral("applications")).toStdString()}, {}),
                                 std::move(owned));

    const std::vector<tc::InstalledApp> installed = entries.installed();
    ASSERT_EQ(installed.size(), 2u);
    EXPECT_EQ(installed[0].bundleID, QStringLiteral("alpha"));
    EXPECT_EQ(installed[1].bundleID, QStringLiteral("org.example.Tool"));
    EXPECT_EQ(installed[1].name, QStringLiteral("Tool"));
    EXPECT_FALSE(PanelHelper::icon(QStringLiteral("org.example.Tool"), entries).isNull());
    EXPECT_TRUE(PanelHelper::icon(QStringLiteral("gone"), entries).isNull());

    // The running applications come from the same applications, with the entries' icons.
    source.apps = {{"org.example.Tool", "Tool"}, {"tapchime", "Tapchime"}, {"XTerm", "XTerm"}};
    const std::vector<RunningApp> running = PanelHelper::runningApps(entries);
    EXPECT_EQ(source.calls, 1);
    ASSERT_EQ(running.size(), 2u);
    EXPECT_EQ(running[0].bundleID, QStringLiteral("org.example.Tool"));
    EXPECT_FALSE(running[0].icon.isNull());
    EXPECT_EQ(running[1].bundleID, QStringLiteral("XTerm"));
    EXPECT_TRUE(running[1].icon.isNull()); // no desktop entry: the screens draw a placeholder
}

namespace {

// Installed applications the test changes, telling the change as a landed read does.
class ChangingApps final : public tc::DesktopApps {
public:
    std::vector<tc::InstalledApp> apps;
    void refreshIfChanged() override {}
    std::vector<tc::InstalledApp> installed() const override { return apps; }
    std::optional<tc::InstalledApp> find(const QString &) const override { return std::nullopt; }
    void land(std::vector<tc::InstalledApp> fresh) {
        apps = std::move(fresh);
        emit changed();
    }
};

} // namespace

// The chooser opens on the list read before; the fresh list asked for as it opened lands while it is open and
// shows, keeping the selection, so an application just installed can be chosen at once.
TEST(AppChooserDialog, AFreshListThatLandsWhileItIsOpenShows) {
    tc::test::shellApp();
    ChangingApps apps;
    apps.apps = {{QStringLiteral("alpha"), QStringLiteral("Alpha"), QString()}};
    int shownAtFirst = -1;
    int shownAfter = -1;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<tc::AppChooserDialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        QListWidget *list = dialog->list();
        shownAtFirst = list->count();
        list->item(0)->setSelected(true);
        apps.land({{QStringLiteral("alpha"), QStringLiteral("Alpha"), QString()},
                   {QStringLiteral("org.example.New"), QStringLiteral("New"), QString()}});
        shownAfter = list->count();
        EXPECT_TRUE(list->item(0)->isSelected());
        list->item(list->count() - 1)->setSelected(true);
        dialog->accept(); // whatever it shows: the test goes on
    });
    const auto chosen = PanelHelper::chooseApp(apps);
    EXPECT_EQ(shownAtFirst, 1);
    EXPECT_EQ(shownAfter, 2);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->bundleID, QStringLiteral("org.example.New"));
}
