#pragma once

#include <functional>
#include <string>

namespace calvex {

// The plot window's caption as the drawing code sees it: it shows the progress there and puts the
// caption back afterwards.
struct PlotCaption {
    std::function<std::string()> get;
    std::function<void(const std::string&)> set;
};

}  // namespace calvex
