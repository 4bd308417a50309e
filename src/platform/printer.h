#pragma once

#include <functional>
#include <string>

class QImage;

namespace calvex {

// The default printer: text lines flowing onto pages, or one image.
class Printer {
public:
    virtual ~Printer() = default;
    // Whether a print goes out at once. With no default printer the user is asked first.
    virtual bool hasDefault() const = 0;
    // With no default printer: asks the user where to print (a printer, or a PDF file) and returns
    // at once, so nothing waits on the question. `chosen` runs once the user has chosen, and the
    // prints it makes go there; after Cancel nothing runs.
    virtual void chooseOutput(std::function<void()> chosen) = 0;
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
