#pragma once

#include <QFont>

#include "platform/dialogs.h"
#include "plotcli/plot_options.h"

namespace calvex {

// The font the plot window draws its texts in: the application's, which a window's font() is.
QFont plotWindowFont();

// Draws the plot of `options.inputs` into `options.output`: the files read as "Open" reads one
// (readDataFileSet, in the order of their times), their records one list; the plot variables set
// by the file list's "Plot", then --unit, then the range checked and applied as the range dialog's
// OK does. The window's look draws the records one after another as the plot window does, each
// file's curves apart; the report style draws them at their times (drawReportChart). Every
// message goes to `dialogs`. Returns the exit status: 0 written, 1 a file not read or refused or
// the picture not written, 2 the range refused.
int runPlot(const PlotOptions& options, const QFont& font, Dialogs& dialogs);

}  // namespace calvex
