#pragma once

#include <QIcon>
#include <string>

namespace calvex {

// The list toolbars' button faces, drawn by the program: "Save" a floppy disk, "Print" a
// printer, "Plot" a small chart. Any other key gets an empty face.
QIcon toolbarImage(const std::string& key);

}  // namespace calvex
