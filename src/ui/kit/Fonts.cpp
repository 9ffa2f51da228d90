#include "ui/kit/Fonts.h"

#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace tc {

namespace {

struct FontFiles {
    QString folder;       // below a fonts root
    QStringList patterns; // file name patterns of the upright faces
};

const FontFiles fontFiles[] = {
    {QStringLiteral("opentype/inter"), {QStringLiteral("Inter-*.otf")}},
    {QStringLiteral("truetype/inter"), {QStringLiteral("Inter-*.ttf"), QStringLiteral("Inter*.ttf")}},
    {QStringLiteral("truetype/jetbrains-mono"), {QStringLiteral("JetBrainsMono-*.ttf")}},
    {QStringLiteral("truetype/material-design-icons-iconfont"), {QStringLiteral("MaterialIcons-Regular.ttf")}},
};

int pixels(qreal size) {
    return std::max(1, static_cast<int>(std::lround(size)));
}

QFont make(const char *family, qreal pixelSize, QFont::Weight weight) {
    QFont font{QString::fromLatin1(family)};
    font.setPixelSize(pixels(pixelSize));
    font.setWeight(weight);
    return font;
}

bool loadOnce() {
    for (const QString &root : Fonts::searchFolders()) {
        for (const FontFiles &files : fontFiles) {
            const QDir dir(QDir(root).filePath(files.folder));
            if (!dir.exists()) {
                continue;
            }
            for (const QString &name : dir.entryList(files.patterns, QDir::Files, QDir::Name)) {
                if (name.contains(QLatin1String("Italic")) || name.startsWith(QLatin1String("InterDisplay"))) {
                    continue;
                }
                QFontDatabase::addApplicationFont(dir.filePath(name));
            }
        }
    }
    const QStringList families = QFontDatabase::families();
    return families.contains(QString::fromLatin1(Fonts::textFamily)) &&
           families.contains(QString::fromLatin1(Fonts::monoFamily)) &&
           families.contains(QString::fromLatin1(Fonts::symbolFamily));
}

} // namespace

QStringList Fonts::searchFolders() {
    QStringList roots;
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME", QDir::home().filePath(".local/share"));
    roots << QDir(dataHome).filePath("fonts");
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty()) {
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    }
    for (const QString &dir : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        roots << QDir(dir).filePath("fonts");
    }
    roots.removeDuplicates();
    return roots;
}

bool Fonts::load() {
    static const bool loaded = loadOnce();
    return loaded;
}

QFont Fonts::system(qreal pixelSize, QFont::Weight weight) {
    return make(textFamily, pixelSize, weight);
}

QFont Fonts::application(qreal pixelSize) {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen != nullptr && screen->logicalDotsPerInchY() > 0 ? screen->logicalDotsPerInchY() : 96.0;
    QFont font = system(pixelSize);
    font.setPointSizeF(pixels(pixelSize) * 72.0 / dpi);
    return font;
}

QFont Fonts::mono(qreal pixelSize, QFont::Weight weight) {
    return make(monoFamily, pixelSize, weight);
}

QFont Fonts::symbol(qreal pixelSize, QFont::Weight weight) {
    // The icon font has one face: any weight below bold draws it as it is and any from bold up draws it
    // emboldened alike, yet Qt makes and caches a font engine for each weight asked for. Two weights draw
    // every symbol, so the symbols of one size share two engines at most.
    weight = weight >= QFont::Bold ? QFont::Bold : QFont::Normal;
    QFont font = make(symbolFamily, pixelSize, weight);
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

} // namespace tc
