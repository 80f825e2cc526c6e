#include "editor/print.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/file_system.h"
#include "rules/media.h"
#include "text/i18n.h"
#include "ui/qt_adapters.h"

namespace vexlor::editor {

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

std::uint64_t textHash(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a: the same on every machine and run
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::uint64_t splitMix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Something drawn whole on one page, `height` device pixels tall.
struct Block {
    double height = 0;
    std::function<void(QPainter&, double top)> draw;
    bool newPage = false;  // starts a page of its own
    double gapBefore = 0;  // dropped at the top of a page
};

class Layout {
  public:
    Layout(QPagedPaintDevice& device, const PrintSource& source, const PrintOptions& options)
        : device_(device), source_(source), options_(options) {
        const double dpi = device.logicalDpiY();
        mm_ = dpi / 25.4;
        width_ = device.width();
        title_ = font(16, true);
        question_ = font(11, true);
        answer_ = font(11, false);
        note_ = font(9, false);
        note_.setItalic(true);
        footerHeight_ = QFontMetricsF(note_, &device_).height() + 4 * mm_;
        bodyHeight_ = device.height() - footerHeight_;
        indent_ =
            QFontMetricsF(question_, &device_).horizontalAdvance(QStringLiteral("000.")) + 2 * mm_;
        letter_ = QFontMetricsF(answer_, &device_).horizontalAdvance(QStringLiteral("W.")) + mm_;
    }

    Result<int> print() {
        if (source_.questions.empty())
            return Error(i18n::tx("The module has no questions to print."));
        if (!options_.questionSheet && !options_.answerKey)
            return Error(i18n::tx("Choose the question sheet, the answer key or both."));
        if (width_ < 40 * mm_ || bodyHeight_ < 40 * mm_)
            return Error(i18n::tx("The page is too small to print on."));
        if (options_.questionSheet) addSheet();
        if (options_.answerKey) addKey();
        return draw();
    }

  private:
    QFont font(double points, bool bold) const {
        QFont f(QStringLiteral("DejaVu Sans"));
        // Without ligatures the PDF's text reads back, and copies, as it was typed.
        f.setStyleHint(QFont::SansSerif, QFont::PreferNoShaping);
        f.setPointSizeF(points);
        f.setBold(bold);
        return f;
    }

    // A shuffled sheet and its key carry the shuffle's number, so they are matched up.
    QString version() const {
        // TRANSLATORS: after the module's title on a printed page; %1 is the shuffle's number.
        return options_.shuffled ? QObject::tr(" - shuffle %1").arg(options_.seed) : QString();
    }

    double textHeight(const QFont& f, double width, const QString& text) const {
        return QFontMetricsF(f, &device_)
            .boundingRect(QRectF(0, 0, width, 1e9), Qt::TextWordWrap, text)
            .height();
    }

    // A wrapped text at `left`, `width` wide, returning its height.
    double addText(std::vector<std::function<void(QPainter&, double)>>& parts, double top,
                   const QFont& f, double left, double width, const QString& text) {
        const double height = textHeight(f, width, text);
        parts.push_back([f, left, width, height, top, text](QPainter& painter, double y) {
            painter.setFont(f);
            painter.drawText(QRectF(left, y + top, width, height), Qt::TextWordWrap, text);
        });
        return height;
    }

    Block heading(const QString& text, const QString& below) {
        std::vector<std::function<void(QPainter&, double)>> parts;
        double y = addText(parts, 0, title_, 0, width_, text);
        if (!below.isEmpty()) y += addText(parts, y + mm_, answer_, 0, width_, below) + mm_;
        return compose(std::move(parts), y + 4 * mm_);
    }

    static Block compose(std::vector<std::function<void(QPainter&, double)>> parts, double height) {
        Block block;
        block.height = height;
        block.draw = [parts = std::move(parts)](QPainter& painter, double top) {
            for (const auto& part : parts) part(painter, top);
        };
        return block;
    }

    void addSheet() {
        const auto& p = source_.properties;
        QString byline = qt(p.author);
        if (!p.year.empty())
            byline += (byline.isEmpty() ? QString() : QStringLiteral(", ")) + qt(p.year);
        Block head = heading(qt(p.title), byline);
        head.newPage = !blocks_.empty();
        blocks_.push_back(std::move(head));
        std::vector<std::function<void(QPainter&, double)>> nameParts;
        // TRANSLATORS: on the printed question sheet, before the line a pupil writes on.
        const QString name =
            QObject::tr("Name:") + QStringLiteral(" ______________________________");
        const double nameHeight = addText(nameParts, 0, answer_, 0, width_, name);
        blocks_.push_back(compose(std::move(nameParts), nameHeight + 4 * mm_));
        for (std::size_t i = 0; i < source_.questions.size(); ++i) addQuestion(i);
    }

    void addQuestion(std::size_t index) {
        const authoring::Question& q = source_.questions[index];
        const double textWidth = width_ - indent_;
        std::vector<std::function<void(QPainter&, double)>> parts;
        const QString number = QString::number(index + 1) + QLatin1Char('.');
        parts.push_back([this, number](QPainter& painter, double y) {
            painter.setFont(question_);
            painter.drawText(QRectF(0, y, indent_, bodyHeight_), Qt::AlignLeft | Qt::AlignTop,
                             number);
        });
        double y = addText(parts, 0, question_, indent_, textWidth, qt(q.text));
        y += media(parts, y, q);
        y += 1.5 * mm_;
        const auto order = answerOrder(q, index + 1, options_);
        for (int k = 0; k < 4; ++k) {
            const QString letter = QString(QChar('A' + k)) + QLatin1Char('.');
            const double top = y;
            parts.push_back([this, letter, top](QPainter& painter, double at) {
                painter.setFont(answer_);
                painter.drawText(QRectF(indent_, at + top, letter_, bodyHeight_),
                                 Qt::AlignLeft | Qt::AlignTop, letter);
            });
            y += addText(
                parts, y, answer_, indent_ + letter_, textWidth - letter_,
                qt(q.answers[static_cast<std::size_t>(order[static_cast<std::size_t>(k)])]));
            y += 0.8 * mm_;
        }
        Block block = compose(std::move(parts), y);
        block.gapBefore = 5 * mm_;
        blocks_.push_back(std::move(block));
    }

    // The question's picture, scaled to fit, or a line saying what cannot be printed.
    double media(std::vector<std::function<void(QPainter&, double)>>& parts, double top,
                 const authoring::Question& q) {
        const auto kind = rules::mediaKind(q.media);
        if (kind == rules::MediaKind::kNone) return 0;
        const double left = indent_;
        const double width = width_ - indent_;
        if (kind == rules::MediaKind::kPicture) {
            const platform::StdFileSystem files;
            const auto found = rules::findMedia(files, source_.mediaFolder.string() + "/", q.media);
            ui::QtPictureLoader loader;
            const auto picture = found ? loader.load(*found) : nullptr;
            if (picture) {
                const QSize image(picture->width(), picture->height());
                // Half as large again as on screen at most, and a fifth of the page.
                const double screen = device_.logicalDpiX() / 96.0 * 1.5;
                const double scale = std::min(
                    {screen, width * 0.5 / image.width(), bodyHeight_ * 0.2 / image.height()});
                const QSizeF size(image.width() * scale, image.height() * scale);
                const double at = top + 1.5 * mm_;
                // Decoded again when drawn: a module of many pictures is never held whole.
                parts.push_back([file = *found, left, at, size](QPainter& painter, double y) {
                    ui::QtPictureLoader reader;
                    const auto again = reader.load(file);
                    if (!again) return;
                    painter.setRenderHint(QPainter::SmoothPixmapTransform);
                    painter.drawImage(QRectF(QPointF(left, y + at), size),
                                      static_cast<const ui::QtPicture&>(*again).image());
                });
                return size.height() + 1.5 * mm_;
            }
            return 1.5 * mm_ + addText(parts, top + 1.5 * mm_, note_, left, width,
                                       QObject::tr("(picture %1 not found)").arg(qt(q.media)));
        }
        if (kind == rules::MediaKind::kSound)
            return mm_ + addText(parts, top + mm_, note_, left, width,
                                 QObject::tr("(with a sound: %1)").arg(qt(q.media)));
        return 0;
    }

    void addKey() {
        Block head = heading(QObject::tr("Answer key"), qt(source_.properties.title) + version());
        head.newPage = !blocks_.empty();
        blocks_.push_back(std::move(head));
        const double letterAt = indent_;
        const double textAt = indent_ + letter_ + 2 * mm_;
        for (std::size_t i = 0; i < source_.questions.size(); ++i) {
            const authoring::Question& q = source_.questions[i];
            const auto order = answerOrder(q, i + 1, options_);
            const int right =
                static_cast<int>(std::find(order.begin(), order.end(), 0) - order.begin());
            std::vector<std::function<void(QPainter&, double)>> parts;
            const QString number = QString::number(i + 1) + QLatin1Char('.');
            const QString letter(QChar('A' + right));
            parts.push_back([this, number, letter, letterAt](QPainter& painter, double y) {
                painter.setFont(answer_);
                painter.drawText(QRectF(0, y, indent_, bodyHeight_), Qt::AlignLeft | Qt::AlignTop,
                                 number);
                painter.setFont(question_);
                painter.drawText(QRectF(letterAt, y, letter_, bodyHeight_),
                                 Qt::AlignLeft | Qt::AlignTop, letter);
            });
            const double height =
                addText(parts, 0, answer_, textAt, width_ - textAt, qt(q.answers[0]));
            Block line = compose(std::move(parts), height);
            line.gapBefore = 1.2 * mm_;
            blocks_.push_back(std::move(line));
        }
    }

    Result<int> draw() {
        // Pages first, so each footer can say how many there are.
        struct Placed {
            const Block* block;
            double top;
        };
        std::vector<std::vector<Placed>> pages(1);
        double y = 0;
        for (const Block& block : blocks_) {
            const bool empty = pages.back().empty();
            double top = empty ? 0 : y + block.gapBefore;
            if (!empty && (block.newPage || top + block.height > bodyHeight_)) {
                pages.emplace_back();
                top = 0;
            }
            pages.back().push_back({&block, top});
            y = top + block.height;
        }

        QPainter painter;
        if (!painter.begin(&device_))
            return Error(i18n::tx("The printer or file could not be opened."));
        painter.setPen(Qt::black);
        const int count = static_cast<int>(pages.size());
        for (int page = 0; page < count; ++page) {
            if (page > 0 && !device_.newPage())
                return Error(i18n::tx("A new page could not be started."));
            // A block taller than a page is cut at its foot rather than drawn into the footer.
            painter.setClipRect(QRectF(0, 0, width_, bodyHeight_));
            for (const Placed& placed : pages[static_cast<std::size_t>(page)])
                placed.block->draw(painter, placed.top);
            painter.setClipping(false);
            painter.setFont(note_);
            painter.drawText(QRectF(0, bodyHeight_, width_, footerHeight_),
                             Qt::AlignRight | Qt::AlignBottom,
                             // TRANSLATORS: each printed page's footer; %1 is the title.
                             QObject::tr("%1 - page %2 of %3")
                                 .arg(qt(source_.properties.title) + version(),
                                      QString::number(page + 1), QString::number(count)));
        }
        if (!painter.end()) return Error(i18n::tx("The printout could not be finished."));
        return count;
    }

    QPagedPaintDevice& device_;
    const PrintSource& source_;
    const PrintOptions& options_;
    double mm_ = 1, width_ = 0, bodyHeight_ = 0, footerHeight_ = 0, indent_ = 0, letter_ = 0;
    QFont title_, question_, answer_, note_;
    std::vector<Block> blocks_;
};

}  // namespace

std::array<int, 4> answerOrder(const authoring::Question& question, std::size_t number,
                               const PrintOptions& options) {
    std::array<int, 4> order{};
    const std::uint64_t hash = textHash(question.text);
    if (!options.shuffled) {
        const std::size_t right = hash % 4;
        int wrong = 1;
        for (std::size_t k = 0; k < 4; ++k) order[k] = k == right ? 0 : wrong++;
        return order;
    }
    order = {0, 1, 2, 3};
    std::uint64_t state = (std::uint64_t{options.seed} << 32) ^ (number * 0x9E3779B1ull) ^ hash;
    for (std::size_t k = 3; k > 0; --k) std::swap(order[k], order[splitMix(state) % (k + 1)]);
    return order;
}

Result<int> printQuiz(QPagedPaintDevice& device, const PrintSource& source,
                      const PrintOptions& options) {
    return Layout(device, source, options).print();
}

Result<int> writeQuizPdf(const std::filesystem::path& path, const PrintSource& source,
                         const PrintOptions& options) {
    const QString name = QString::fromStdString(path.string());
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return Error(ErrorKind::kNoAccess, file.errorString().toStdString(), path.string());
    Result<int> pages = Error("not written");
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(qt(source.properties.title));
        writer.setCreator(QStringLiteral("Vexlor Module Editor"));
        pages = printQuiz(writer, source, options);
    }
    if (!pages) return Error(pages.error().kind(), pages.error().message(), path.string());
    if (!file.commit())
        return Error(ErrorKind::kNoAccess, file.errorString().toStdString(), path.string());
    return pages;
}

}  // namespace vexlor::editor
