#pragma once

#include <QIcon>
#include <QImage>

namespace vlr::ui {

// The product logo "Веларон" of the splash window: 400 × 78 pixels, 24 bits per pixel.
QImage productLogo();

// The program's icon: the logo's emblem alone, at the usual sizes.
QIcon productIcon();

}  // namespace vlr::ui
