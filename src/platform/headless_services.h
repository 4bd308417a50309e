#pragma once

#include <cstdio>
#include <string>

#include "platform/dialogs.h"
#include "platform/printer.h"
#include "platform/serial_link.h"

namespace calvex {

// Message boxes as lines on standard error, for programs with no display. Questions and input
// boxes have no one to answer them: they answer No and cancel.
class StderrDialogs : public Dialogs {
public:
    explicit StderrDialogs(std::string program, std::FILE* out = stderr)
        : m_program(std::move(program)), m_out(out) {}

    void message(const std::string& text, int style, const std::string& details,
                 const std::string& title) override;
    bool question(const std::string& text, const std::string& title, bool defaultYes) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    std::string openFile() override { return {}; }
    std::string saveFile() override { return {}; }
    PictureChoice savePicture() override { return {}; }
    void setBusy(bool) override {}

    // The text of the last message, to tell outcomes apart.
    const std::string& lastMessage() const { return m_last; }

private:
    std::string m_program;
    std::FILE* m_out;
    std::string m_last;
};

// No printer: every print fails and says so.
class NoPrinter : public Printer {
public:
    // Nobody is there to choose a printer: the print itself fails and says why.
    bool hasDefault() const override { return true; }
    void chooseOutput(std::function<void()> chosen) override { chosen(); }
    bool printLine(const std::string&) override { return false; }
    bool endDocument() override { return false; }
    void abortDocument() override {}
    bool printImage(const QImage&) override { return false; }
    std::string lastError() const override { return "This program does not print."; }
};

// No instrument: for programs that only read files. The port never opens and holds no bytes.
class NoSerialLink : public SerialLink {
public:
    void setPortNumber(int number) override { m_number = number; }
    int portNumber() const override { return m_number; }
    void setSettings(const std::string&) override {}
    bool open() override { return false; }
    void close() override {}
    bool isOpen() const override { return false; }
    bool failed() const override { return false; }
    std::string lastError() const override { return "This program uses no serial port."; }
    std::string deviceName(int) const override { return {}; }
    std::string describePort(int) const override { return {}; }
    int bytesWaiting() override { return 0; }
    std::string readAll() override { return {}; }
    void clearInput() override {}
    bool write(std::string_view) override { return false; }

private:
    int m_number = 1;
};

}  // namespace calvex
