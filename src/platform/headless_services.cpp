#include "platform/headless_services.h"

namespace calvex {

namespace {

// A message box's text on one line: its line breaks become "; " and blank lines vanish.
std::string oneLine(const std::string& text) {
    std::string out;
    bool pendingBreak = false;
    for (const char c : text) {
        if (c == '\n' || c == '\r') {
            pendingBreak = !out.empty();
            continue;
        }
        if (pendingBreak) {
            out += out.back() == '.' || out.back() == ':' || out.back() == '!' ? " " : ": ";
            pendingBreak = false;
        }
        out += c;
    }
    return out;
}

}  // namespace

void StderrDialogs::message(const std::string& text, int, const std::string& details, const std::string&) {
    m_last = text;
    std::string line = oneLine(text);
    // A reason the text already gives is not said twice.
    const std::string reason = oneLine(details);
    if (!reason.empty() && line.find(reason) == std::string::npos)
        line += " (" + reason + ")";
    std::fprintf(m_out, "%s: %s\n", m_program.c_str(), line.c_str());
    std::fflush(m_out);
}

bool StderrDialogs::question(const std::string& text, const std::string&, bool) {
    std::fprintf(m_out, "%s: %s No.\n", m_program.c_str(), oneLine(text).c_str());
    return false;
}

std::string StderrDialogs::inputBox(const std::string&, const std::string&, const std::string&) {
    return {};
}

}  // namespace calvex
