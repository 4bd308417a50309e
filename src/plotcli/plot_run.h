#pragma once

#include <QFont>

#include "platform/dialogs.h"
#include "plotcli/plot_options.h"

namespace calvex {

// The font the plot window draws its texts in: the application's, which a window's font() is.
QFont plotWindowFont();

// Draws the plot of `options.input` into `options.output` as the plot window draws it: the file
// read by "Open", the plot variables set by the file list's "Plot", then --unit, then the range
// checked and applied as the range dialog's OK does. Every message goes to `dialogs`. Returns the
// exit status: 0 written, 1 the file not read or the picture not written, 2 the range refused.
int runPlot(const PlotOptions& options, const QFont& font, Dialogs& dialogs);

}  // namespace calvex
