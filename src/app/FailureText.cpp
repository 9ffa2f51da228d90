#include "app/FailureText.h"

#include <QDir>
#include <QRegularExpression>

namespace tc {

namespace {

// The shortened detail as the last paragraph, or nothing.
QString detailParagraph(const QString &raw) {
    const QString detail = shortFailureDetail(raw);
    return detail.isEmpty() ? QString() : QStringLiteral("\n\n(%1)").arg(detail);
}

// The same at the end of the text's one paragraph: an import's failure may be one line of a list of several.
QString detailAfter(const QString &raw) {
    const QString detail = shortFailureDetail(raw);
    return detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail);
}

} // namespace

QString shortFailureDetail(const QString &raw) {
    QString detail = raw.trimmed();
    const QString prefix = QStringLiteral("filesystem error: ");
    if (detail.startsWith(prefix)) {
        detail.remove(0, prefix.size());
    }
    // std::filesystem appends the paths involved in brackets: temporary names nobody chose.
    static const QRegularExpression paths(QStringLiteral("\\s*\\[[^\\]]*\\]"));
    detail.remove(paths);
    detail = detail.trimmed();
    if (detail.size() > kMaxDetailLength) {
        detail = detail.left(kMaxDetailLength - 1).trimmed() + QChar(0x2026);
    }
    return detail;
}

QString saveFailureMessage(const QString &folder, const QString &raw) {
    return QStringLiteral("Your changes couldn't be written to the folder %1. Check that this folder can be "
                          "written and that the disk has room. Until a save works, your latest changes are only "
                          "in Tapchime's window, and they are lost when it quits.")
               .arg(QDir::toNativeSeparators(folder)) +
           detailParagraph(raw);
}

QString backupFailureMessage(const QString &folder, const QString &raw) {
    return QStringLiteral("The backup couldn't be written to the folder %1. Choose another folder, or check that "
                          "this one can be written and that the disk has room.")
               .arg(QDir::toNativeSeparators(folder)) +
           detailParagraph(raw);
}

QString importFailureMessage(SoundsFolderError::Kind kind, ImportedThing thing, const QString &folder,
                             const QString &raw) {
    const bool pack = thing == ImportedThing::pack;
    const QString what = pack ? QStringLiteral("this pack's sounds") : QStringLiteral("this sound");
    const QString What = pack ? QStringLiteral("This pack's sounds") : QStringLiteral("This sound");
    const QString again = pack ? QStringLiteral("the pack") : QStringLiteral("the sound");
    const QString place = QDir::toNativeSeparators(folder);
    switch (kind) {
    case SoundsFolderError::Kind::noRoom:
        return QStringLiteral("There isn't enough room on the disk for %1. Make room on the disk that holds the "
                              "folder %2, then import %3 again.")
            .arg(what, place, again);
    case SoundsFolderError::Kind::notAFolder:
        return QStringLiteral("%1 couldn't be saved: a file is where the folder %2 should be. Move that file away, "
                              "then import %3 again.")
            .arg(What, place, again);
    case SoundsFolderError::Kind::notWritable:
        break;
    }
    return QStringLiteral("%1 couldn't be written to the folder %2. Check that this folder can be written, then "
                          "import %3 again.")
               .arg(What, place, again) +
           detailAfter(raw);
}

} // namespace tc
