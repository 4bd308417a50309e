#pragma once

#include <QIcon>

namespace calvex {

// The plot window's toolbar pictures, drawn by the program (no image files to ship).
QIcon plotLimitImage();
QIcon plotPrintImage();

}  // namespace calvex
