#pragma once

#include <string>

class QImage;

namespace calvex {

// The default printer: text lines flowing onto pages, or one image.
class Printer {
public:
    virtual ~Printer() = default;
    // Starts a new text document when none is open; false (and lastError) on failure.
    virtual bool printLine(const std::string& line) = 0;
    // Ends the text document and sends it to the printer.
    virtual bool endDocument() = 0;
    // Drops a document that was started, without printing it.
    virtual void abortDocument() = 0;
    virtual bool printImage(const QImage& image) = 0;
    virtual std::string lastError() const = 0;
};

}  // namespace calvex
