// Desktop files are read as the XDG rules say, and windows are named by their application's entry.

#include "engine/linux/DesktopEntries.h"
#include "support/Rig.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

using namespace tc;
using namespace tc::test;
namespace fs = std::filesystem;

namespace {

void write(const fs::path &file, const std::string &text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

std::string app(const std::string &name, const std::string &extra = {}) {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n" + extra;
}

} // namespace

TEST(DesktopEntryParser, ReadsTheEntryGroupOnly) {
    struct Case {
        const char *label;
        std::string text;
        std::optional<std::string> name; // nothing: not an application entry
        std::string icon = {}, wmClass = {};
        bool hidden = false;
    };
    const std::vector<Case> cases = {
        {"plain", app("Tool", "Icon=tool\nStartupWMClass=ToolWin\n"), "Tool", "tool", "ToolWin"},
        {"spaces around =", "[Desktop Entry]\nType = Application\nName = Spaced Out \n", "Spaced Out"},
        {"comments and blank lines", "# c\n\n[Desktop Entry]\n# x\nType=Application\nName=C\n", "C"},
        {"escapes", app("A\\sB\\\\C"), "A B\\C"},
        {"first key wins", app("First", "Name=Second\n"), "First"},
        {"action group ignored", app("Main") + "[Desktop Action New]\nName=New Window\nIcon=other\n", "Main"},
        {"group before entry", "[Other]\nName=X\n[Desktop Entry]\nType=Application\nName=Y\n", "Y"},
        {"no display", app("Helper", "NoDisplay=true\n"), "Helper", "", "", true},
        {"CRLF line ends", "[Desktop Entry]\r\nType=Application\r\nName=Win\r\n", "Win"},
        {"hidden (deleted)", app("Gone", "Hidden=true\n"), std::nullopt},
        {"a link", "[Desktop Entry]\nType=Link\nName=Site\nURL=x\n", std::nullopt},
        {"no type", "[Desktop Entry]\nName=Typeless\n", std::nullopt},
        {"no name", "[Desktop Entry]\nType=Application\n", std::nullopt},
        {"no entry group", "[Something]\nType=Application\nName=X\n", std::nullopt},
        {"binary junk", std::string("\0\xff\xfe[\n=\n", 8), std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const auto &c : cases) {
        auto entry = parseDesktopEntry(c.text, {});
        ASSERT_EQ(entry.has_value(), c.name.has_value()) << c.label;
        if (entry) {
            EXPECT_EQ(entry->name, *c.name) << c.label;
            EXPECT_EQ(entry->icon, c.icon) << c.label;
            EXPECT_EQ(entry->startupWmClass, c.wmClass) << c.label;
            EXPECT_EQ(entry->hidden, c.hidden) << c.label;
        }
    }
}

TEST(DesktopEntryParser, PicksTheNameForTheUsersLanguage) {
    const auto text = app("Files", "Name[de]=Dateien\nName[de_AT]=Dateien (AT)\nName[fr]=Fichiers\n");
    EXPECT_EQ(parseDesktopEntry(text, {"de_AT", "de"})->name, "Dateien (AT)");
    EXPECT_EQ(parseDesktopEntry(text, {"de_CH", "de"})->name, "Dateien");
    EXPECT_EQ(parseDesktopEntry(text, {"it_IT", "it"})->name, "Files");
    EXPECT_EQ(parseDesktopEntry(text, {})->name, "Files");
}

TEST(DesktopEntries, LanguagesFromTheLocale) {
    struct Case {
        const char *lang;
        std::vector<std::string> languages;
    };
    const char *savedAll = std::getenv("LC_ALL");
    const char *savedMessages = std::getenv("LC_MESSAGES");
    const char *savedLang = std::getenv("LANG");
    std::string all = savedAll ? savedAll : "", messages = savedMessages ? savedMessages : "",
                lang = savedLang ? savedLang : "";
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    for (const auto &c : std::vector<Case>{{"de_AT.UTF-8", {"de_AT", "de"}},
                                           {"sr_RS.UTF-8@latin", {"sr_RS@latin", "sr_RS", "sr@latin", "sr"}},
                                           {"fr", {"fr"}},
                                           {"C.UTF-8", {}},
                                           {"", {}}}) {
        setenv("LANG", c.lang, 1);
        EXPECT_EQ(DesktopEntries::defaultLanguages(), c.languages) << c.lang;
    }
    savedAll ? (void)setenv("LC_ALL", all.c_str(), 1) : (void)unsetenv("LC_ALL");
    savedMessages ? (void)setenv("LC_MESSAGES", messages.c_str(), 1) : (void)unsetenv("LC_MESSAGES");
    savedLang ? (void)setenv("LANG", lang.c_str(), 1) : (void)unsetenv("LANG");
}

TEST(DesktopEntries, FoldersFollowTheXdgVariablesAndIncludeFlatpakExports) {
    const char *savedHome = std::getenv("XDG_DATA_HOME");
    const char *savedDirs = std::getenv("XDG_DATA_DIRS");
    std::string home = savedHome ? savedHome : "", dirs = savedDirs ? savedDirs : "";

    setenv("XDG_DATA_HOME", "/h/share", 1);
    setenv("XDG_DATA_DIRS", "/a:/var/lib/flatpak/exports/share:relative:/b/", 1);
    auto folders = DesktopEntries::defaultFolders();
    ASSERT_GE(folders.size(), 4u);
    EXPECT_EQ(folders[0], "/h/share/applications");
    EXPECT_EQ(folders[1], "/a/applications");
    EXPECT_EQ(folders[2], "/var/lib/flatpak/exports/share/applications");
    EXPECT_EQ(folders[3], "/b/applications");
    EXPECT_EQ(std::count(folders.begin(), folders.end(), "/var/lib/flatpak/exports/share/applications"), 1);
    EXPECT_EQ(folders.back().filename(), "applications");
    EXPECT_NE(folders.back().string().find(".local/share/flatpak/exports/share/applications"), std::string::npos);

    unsetenv("XDG_DATA_DIRS");
    folders = DesktopEntries::defaultFolders();
    EXPECT_EQ(folders[1], "/usr/local/share/applications");
    EXPECT_EQ(folders[2], "/usr/share/applications");

    savedHome ? (void)setenv("XDG_DATA_HOME", home.c_str(), 1) : (void)unsetenv("XDG_DATA_HOME");
    savedDirs ? (void)setenv("XDG_DATA_DIRS", dirs.c_str(), 1) : (void)unsetenv("XDG_DATA_DIRS");
}

class DesktopEntriesFolders : public ::testing::Test {
protected:
    TempDir dir;
    fs::path user = dir.path() / "user/applications";
    fs::path system = dir.path() / "system/applications";

    void SetUp() override {
        write(system / "org.example.Tool.desktop", app("Example Tool", "Icon=org.example.Tool\n"));
        write(system / "firefox-esr.desktop", app("Firefox ESR", "StartupWMClass=Firefox-esr\nIcon=firefox-esr\n"));
        write(system / "org.gnome.Terminal.desktop", app("Terminal", "StartupWMClass=Gnome-terminal\n"));
        write(system / "kde4/kwrite.desktop", app("KWrite"));
        write(system / "helper.desktop", app("Helper", "NoDisplay=true\n"));
        write(system / "masked.desktop", app("Masked"));
        write(system / "zeta.desktop", app("alpha"));
        write(system / "notes.txt", "not an entry");
        // The user's own folder overrides and hides system entries.
        write(user / "masked.desktop", app("Masked", "Hidden=true\n"));
        write(user / "org.example.Tool.desktop", app("My Tool"));
    }
    DesktopEntries entries() { return DesktopEntries({user, system, dir.path() / "missing"}, {}); }
};

TEST_F(DesktopEntriesFolders, EarlierFoldersWinAndHiddenEntriesMaskLaterOnes) {
    auto e = entries();
    ASSERT_NE(e.find("org.example.Tool"), nullptr);
    EXPECT_EQ(e.find("org.example.Tool")->name, "My Tool");
    EXPECT_EQ(e.find("masked"), nullptr);
    ASSERT_NE(e.find("kde4-kwrite"), nullptr) << "subfolders join the id with '-'";
    EXPECT_EQ(e.find("notes"), nullptr);
}

TEST_F(DesktopEntriesFolders, InstalledListsVisibleEntriesByNameWithTheirIcons) {
    std::vector<std::string> ids, icons;
    for (const auto &entry : entries().installed()) {
        ids.push_back(entry.id);
        icons.push_back(entry.icon);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"zeta", "firefox-esr", "kde4-kwrite", "org.example.Tool",
                                             "org.gnome.Terminal"}));
    EXPECT_EQ(icons[1], "firefox-esr");
}

TEST_F(DesktopEntriesFolders, WindowsAreNamedByTheirEntry) {
    struct Case {
        const char *label;
        WindowHints hints;
        std::optional<AppIdentity> expected;
    };
    const std::vector<Case> cases = {
        {"GTK application id",
         {"org.gnome.Terminal", "", "gnome-terminal-server", "Gnome-terminal-server"},
         AppIdentity{"org.gnome.Terminal", "Terminal"}},
        {"KDE desktop file as a path",
         {"", "/usr/share/applications/org.example.Tool.desktop", "x", "X"},
         AppIdentity{"org.example.Tool", "My Tool"}},
        {"KDE desktop file as an id", {"", "kde4-kwrite", "", ""}, AppIdentity{"kde4-kwrite", "KWrite"}},
        {"unknown GTK id gives way to a known KDE file",
         {"org.unknown", "org.example.Tool", "", ""},
         AppIdentity{"org.example.Tool", "My Tool"}},
        {"StartupWMClass, case-insensitive",
         {"", "", "Navigator", "firefox-ESR"},
         AppIdentity{"firefox-esr", "Firefox ESR"}},
        {"StartupWMClass by the instance",
         {"", "", "gnome-terminal", "Whatever"},
         AppIdentity{"org.gnome.Terminal", "Terminal"}},
        {"file name, case-insensitive",
         {"", "", "tool", "ORG.EXAMPLE.TOOL"},
         AppIdentity{"org.example.Tool", "My Tool"}},
        {"NoDisplay entries still name windows", {"", "", "helper", "Helper"}, AppIdentity{"helper", "Helper"}},
        {"a hidden entry names nothing", {"", "", "masked", "Masked"}, AppIdentity{"Masked", "Masked"}},
        {"no entry: the class", {"", "", "xterm", "XTerm"}, AppIdentity{"XTerm", "XTerm"}},
        {"no entry: unknown GTK id named by the class",
         {"org.unknown.App", "", "app", "App"},
         AppIdentity{"org.unknown.App", "App"}},
        {"only an instance", {"", "", "lonely", ""}, AppIdentity{"lonely", "lonely"}},
        {"no hints at all", {}, std::nullopt},
    };
    auto e = entries();
    for (const auto &c : cases) {
        EXPECT_EQ(e.resolve(c.hints), c.expected) << c.label;
    }
}

TEST_F(DesktopEntriesFolders, NewlyInstalledEntriesAreFoundAfterARefresh) {
    auto e = entries();
    EXPECT_FALSE(e.refreshIfChanged());
    write(user / "org.new.App.desktop", app("New App", "StartupWMClass=NewApp\n"));
    // Folder times may have a coarse resolution; make the change visible either way.
    fs::last_write_time(user, fs::last_write_time(user) + std::chrono::seconds(2));
    EXPECT_TRUE(e.refreshIfChanged());
    EXPECT_EQ(e.resolve({"", "", "newapp", "NewApp"}), (AppIdentity{"org.new.App", "New App"}));
}
