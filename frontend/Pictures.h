// The pictures the window shows: the logo, the About picture and the window icon.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <string_view>

namespace qw77::frontend {

// The picture of the About window.
inline constexpr std::string_view kAboutPicture = "about";

// A picture by its resource name, or by the path of an image file; a null pixmap when
// there is none by that name.
QPixmap LoadPicture(std::string_view name);

QIcon WindowIcon();

}  // namespace qw77::frontend
