#pragma once

#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "platform/printer.h"

namespace calvex::test {

// Captures what would be printed; can be told to fail after some lines. With `installed` false
// it has no default printer: a print asks for one, and the test answers by calling `choose` (the
// user picked a printer) or `cancel`.
class FakePrinter : public Printer {
public:
    bool hasDefault() const override { return installed; }
    void chooseOutput(std::function<void()> chosen) override {
        ++asked;
        pending = std::move(chosen);
    }
    // The user's answer to the question still open; false when none is.
    bool choose() {
        if (!pending)
            return false;
        auto chosen = std::move(pending);
        pending = nullptr;
        chosen();
        return true;
    }
    void cancel() { pending = nullptr; }
    bool printLine(const std::string& line) override {
        if (failAfterLines >= 0 && static_cast<int>(lines.size()) >= failAfterLines)
            return false;
        lines.push_back(line);
        return true;
    }
    bool endDocument() override {
        if (failEnd)
            return false;
        ++documents;
        return true;
    }
    void abortDocument() override { ++aborted; }
    bool printImage(const QImage& image) override {
        images.push_back(image);
        return !failImage;
    }
    std::string lastError() const override { return "The printer is out of paper."; }

    std::vector<std::string> lines;
    std::vector<QImage> images;
    bool installed = true;
    int asked = 0;
    std::function<void()> pending;
    int documents = 0;
    int aborted = 0;
    int failAfterLines = -1;
    bool failEnd = false;
    bool failImage = false;
};

}  // namespace calvex::test
