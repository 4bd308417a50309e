#pragma once

#include <QPixmap>

namespace calvex {

// The 32x32 one-colour pictures of the unit: a small degree ring followed by the letter C, F or K.
QPixmap unitPicture(char letter);

}  // namespace calvex
