#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "platform/printer.h"

namespace calvex::test {

// Captures what would be printed; can be told to fail after some lines.
class FakePrinter : public Printer {
public:
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
    int documents = 0;
    int aborted = 0;
    int failAfterLines = -1;
    bool failEnd = false;
    bool failImage = false;
};

}  // namespace calvex::test
