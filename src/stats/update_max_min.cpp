#include "stats/update_max_min.h"

#include "instrument/text_format.h"

namespace calvex {

namespace {

void setMax(MaxMinLabels& labels, std::string text, const std::string& now) {
    labels.max = std::move(text);
    labels.maxTime = now;
}

void setMin(MaxMinLabels& labels, std::string text, const std::string& now) {
    labels.min = std::move(text);
    labels.minTime = now;
}

}  // namespace

void UpdateMaxMin(const ReadingValue& value, std::string maxText, std::string minText, MaxMinLabels& labels,
                  const std::string& now) {
    if (value.isText("----")) {
        setMax(labels, "----", now);
        setMin(labels, "----", now);
        return;
    }
    if (value.isText("OL")) {
        if (maxText != "----")
            setMax(labels, "OL", now);
        if (minText.empty() || minText == "OL")
            setMin(labels, "OL", now);
        return;
    }
    if (value.isText("-OL")) {
        if (minText != "----")
            setMin(labels, "-OL", now);
        if (maxText.empty() || maxText == "-OL")
            setMax(labels, "-OL", now);
        return;
    }

    // A Number, or a Text holding one (the T1-T2 values are kept as "0.0" texts).
    const double number = value.number();
    const std::string shown = formatFixed1(number);
    if (maxText != "----" && maxText != "OL") {
        if (maxText.empty() || maxText == "-OL" || number >= leadingNumber(maxText))
            setMax(labels, shown, now);
    }
    if (minText != "----" && minText != "-OL") {
        if (minText.empty() || minText == "OL" || number <= leadingNumber(minText))
            setMin(labels, shown, now);
    }
}

}  // namespace calvex
