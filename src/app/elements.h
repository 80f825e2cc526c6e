#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/picture_loader.h"
#include "rules/text_panels.h"

namespace vexlor::app {

/// An RGB colour.
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    static constexpr Rgb hex(std::uint32_t value) {
        return Rgb{static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
                   static_cast<std::uint8_t>(value)};
    }
    constexpr std::uint32_t value() const { return (std::uint32_t{r} << 16) | (g << 8) | b; }
    friend constexpr bool operator==(Rgb, Rgb) = default;
};

namespace colours {
inline constexpr Rgb kBlack = Rgb::hex(0x000000);
inline constexpr Rgb kWhite = Rgb::hex(0xFFFFFF);
inline constexpr Rgb kNeutral = Rgb::hex(0x404040);  // answer panel, not yet judged
inline constexpr Rgb kClicked = Rgb::hex(0xFF8000);  // also the orange of texts
inline constexpr Rgb kRight = Rgb::hex(0x00C000);    // also the green of counters
inline constexpr Rgb kWrong = Rgb::hex(0xC00000);
inline constexpr Rgb kLightGrey = Rgb::hex(0xC0C0C0);
inline constexpr Rgb kGrey = Rgb::hex(0x808080);
inline constexpr Rgb kLightOrange = Rgb::hex(0xFFC080);
}  // namespace colours

enum class Alignment { Left, Centre, Right };

using rules::Font;

/// What every element of a window has: a name, a place in twips and a visibility.
struct Element {
    std::string name;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Visible = true;
};

/// A picture button; its picture is part of the window's design.
struct PictureButton : Element {};

/// A text element. `DataField` names the module field it shows, when it shows one.
struct Label : Element {
    std::string Caption;
    Rgb BackColor = colours::kBlack;
    Rgb ForeColor = colours::kWhite;
    Font font;
    Alignment alignment = Alignment::Left;
    std::string DataField;
};

/// A hidden text box; bound text boxes write their text back into the current record.
struct TextBox : Element {
    std::string Text;
    std::string DataField;
};

/// A captioned frame holding other elements.
struct Frame : Element {
    std::string Caption;
    Rgb BackColor = colours::kBlack;
    Rgb ForeColor = colours::kWhite;
    Font font;
};

/// A filled rectangle.
struct Shape : Element {
    Rgb FillColor = colours::kLightGrey;
};

/// A fixed picture (a title picture, a logo).
struct Image : Element {};

/// A picture box showing a loaded picture, or nothing.
struct PictureBox : Element {
    std::shared_ptr<const platform::Picture> Picture;
};

/// A file list; only its folder is used.
struct FileListBox : Element {
    std::string Path;
    std::string Pattern;
};

}  // namespace vexlor::app
