#include "editor/media.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>

#include "platform/sdl_sound_player.h"
#include "platform/sound_conversion.h"
#include "rules/text_panels.h"
#include "text/i18n.h"
#include "ui/qt_adapters.h"
#include "ui/widgets.h"

namespace vexlor::editor {

namespace fs = std::filesystem;

namespace {

constexpr std::array<const char*, 3> kShown = {"gif", "bmp", "ico"};
constexpr std::array<const char*, 3> kPlayed = {"mp3", "mid", "wav"};
// Read by content, so a png named .jpg is converted all the same.
constexpr std::array<const char*, 5> kConverted = {"png", "jpg", "jpeg", "webp", "svg"};

template <std::size_t n>
bool among(const std::string& ending, const std::array<const char*, n>& list) {
    return std::any_of(list.begin(), list.end(), [&](const char* e) { return ending == e; });
}

std::string lowerEnding(const fs::path& path) {
    std::string ending = path.extension().string();
    if (!ending.empty()) ending.erase(0, 1);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending;
}

Error refused(const fs::path& chosen, const std::string& why) {
    return Error(ErrorKind::kFailed, why, chosen.filename().string());
}

// Looked up when a picture is refused, in the language chosen by then.
constexpr const char* kCannotShow = VX_N(
    "the game cannot show this picture: it is damaged or cut short, or larger than the "
    "game draws (4096 pixels a side, 4 million pixels in all)");

Result<PreparedMedia> convertPicture(const fs::path& chosen, const fs::path& workFolder) {
    const QString file = QString::fromStdString(chosen.string());
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    const bool vector = format == "svg" || format == "svgz";
    if (!vector && format != "png" && format != "jpeg" && format != "jpg" && format != "webp")
        return refused(chosen, i18n::tx(kCannotShow));
    const int side = pictureBoxSide();
    QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) return refused(chosen, i18n::tx(kCannotShow));
    if (vector) {
        // Drawn straight at the size it is shown at.
        reader.setScaledSize(size.scaled(side, side, Qt::KeepAspectRatio));
    } else if (size.width() > ui::QtPictureLoader::kMaxSide ||
               size.height() > ui::QtPictureLoader::kMaxSide ||
               qint64{size.width()} * size.height() > ui::QtPictureLoader::kMaxPixels) {
        return refused(chosen, i18n::tx(kCannotShow));
    }
    QImage image;
    // A decoder that stops early says so, though Qt may still hand back what it read.
    if (!reader.read(&image) || image.isNull()) return refused(chosen, i18n::tx(kCannotShow));
    if (image.width() > side || image.height() > side)
        image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // Transparent parts take the black the game draws behind its picture.
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::black);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    static std::atomic<unsigned> counter{0};
    const fs::path out =
        workFolder / (std::to_string(counter++) + "-" + chosen.stem().string() + ".bmp");
    if (!flat.save(QString::fromStdString(out.string()), "BMP"))
        return Error(ErrorKind::kFailed, i18n::tx("the converted picture could not be written"),
                     out.string());
    PreparedMedia media;
    media.file = out;
    media.name = chosen.stem().string() + ".bmp";
    media.converted = true;
    return media;
}

}  // namespace

int pictureBoxSide() {
    return ui::pixels(rules::panels::kPictureSide);
}

Result<PreparedMedia> prepareMedia(const fs::path& chosen, const fs::path& workFolder) {
    // Made first: it sets the decoders' allocation limit the conversion reads within too.
    ui::QtPictureLoader loader;
    // Only plain files are read: a pipe or a device would hang the editor.
    std::error_code error;
    const auto status = fs::status(chosen, error);
    if (error || !fs::exists(status)) return refused(chosen, i18n::tx("no such file"));
    if (!fs::is_regular_file(status)) return refused(chosen, i18n::tx("not a file"));
    const std::uintmax_t bytes = fs::file_size(chosen, error);
    const std::string ending = lowerEnding(chosen);
    PreparedMedia media;
    media.file = chosen;
    media.name = chosen.stem().string() + "." + ending;

    if (among(ending, kPlayed)) {
        const auto largest = ending == "mid" ? platform::SdlSoundPlayer::kMaxMidiBytes
                                             : platform::SdlSoundPlayer::kMaxSoundBytes;
        if (error || bytes > static_cast<std::uintmax_t>(largest))
            return refused(chosen,
                           i18n::fill(i18n::tx("the game plays no sound file larger than %1 MiB"),
                                      {std::to_string(largest / (1024 * 1024))}));
        media.type = PreparedMedia::Type::kSound;
        return media;
    }
    if (platform::isConvertedSound(ending)) {
        // Converted for the game's player, which plays only mp3, mid and wav.
        media.file = workFolder / (chosen.stem().string() + ".wav");
        const auto converted = platform::convertSoundToWav(chosen, media.file);
        if (!converted) return converted.error();
        media.name = chosen.stem().string() + ".wav";
        media.type = PreparedMedia::Type::kSound;
        media.converted = true;
        return media;
    }
    if (among(ending, kShown)) {
        if (!loader.load(chosen.string())) return refused(chosen, i18n::tx(kCannotShow));
        return media;
    }
    if (among(ending, kConverted)) {
        if (error || bytes > static_cast<std::uintmax_t>(ui::QtPictureLoader::kMaxFileBytes))
            return refused(chosen, i18n::tx(kCannotShow));
        auto converted = convertPicture(chosen, workFolder);
        if (!converted) return converted;
        // The game's own loader has the last word on what was written.
        if (!loader.load(converted->file.string())) return refused(chosen, i18n::tx(kCannotShow));
        return converted;
    }
    return refused(chosen, i18n::tx("the game shows gif, bmp and ico pictures (png, jpg, webp and "
                                    "svg pictures are converted) and plays mp3, mid and wav sounds "
                                    "(ogg, opus and flac sounds are converted); this file is none "
                                    "of them"));
}

QString mediaFileFilter() {
    QStringList pictures = {QStringLiteral("*.gif"), QStringLiteral("*.bmp"),
                            QStringLiteral("*.ico"), QStringLiteral("*.png"),
                            QStringLiteral("*.jpg"), QStringLiteral("*.jpeg")};
    const auto readable = QImageReader::supportedImageFormats();
    if (readable.contains("webp")) pictures << QStringLiteral("*.webp");
    if (readable.contains("svg")) pictures << QStringLiteral("*.svg");
    const QString sounds = QStringLiteral("*.mp3 *.mid *.wav *.ogg *.oga *.opus *.flac");
    return QObject::tr("Pictures and sounds (%1 %2)").arg(pictures.join(QLatin1Char(' ')), sounds) +
           QStringLiteral(";;") +
           QObject::tr("Pictures (%1)").arg(pictures.join(QLatin1Char(' '))) +
           QStringLiteral(";;") + QObject::tr("Sounds (%1)").arg(sounds);
}

}  // namespace vexlor::editor
