#include "files/data_file_reader.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "app/session.h"
#include "files/system_reason.h"
#include "lists/grid.h"

namespace calvex {

namespace {

constexpr int kInformation = 64;
// The shortest first line of dual-input data.
constexpr std::size_t kDualLineLength = 21;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Cuts a byte stream into lines, whatever size the pieces come in. CR LF, LF and a lone CR each
// end a line; a CR at the end of one piece and an LF at the start of the next are one line end.
class LineSplitter {
public:
    template <class Emit>
    void feed(const char* data, std::size_t size, Emit&& emit) {
        std::size_t i = 0;
        if (m_afterCR && size > 0) {
            if (data[0] == '\n')
                i = 1;
            m_afterCR = false;
        }
        std::size_t start = i;
        for (; i < size; ++i) {
            const char c = data[i];
            if (c != '\r' && c != '\n')
                continue;
            const std::string_view piece(data + start, i - start);
            if (m_line.empty()) {
                emit(piece);
            } else {
                m_line.append(piece);
                emit(std::string_view(m_line));
                m_line.clear();
            }
            if (c == '\r') {
                if (i + 1 == size)
                    m_afterCR = true;
                else if (data[i + 1] == '\n')
                    ++i;
            }
            start = i + 1;
        }
        m_line.append(data + start, size - start);
    }

    // The last line, when the file does not end with a line end.
    template <class Emit>
    void finish(Emit&& emit) {
        if (!m_line.empty())
            emit(std::string_view(m_line));
        m_line.clear();
    }

private:
    std::string m_line;
    bool m_afterCR = false;
};

}  // namespace

bool OpenDataFile(Session& session, const std::string& path) {
    const std::string title = std::filesystem::path(path).filename().string();
    // Opened before the lists close, so a file that cannot be read leaves the shown list alone.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        const std::string reason = systemReason(errno);
        session.dialogs.message("The file could not be opened:\n" + path + "\n\n" + reason, kCriticalStop,
                                reason);
        return false;
    }
    if (session.lists == nullptr)
        return false;
    session.lists->unload(ListKind::File, false);
    session.lists->unload(ListKind::File, true);

    TableWindow* window = nullptr;
    long count = 0;
    bool shown = true;
    auto addRow = [&](std::string_view line) {
        if (window == nullptr) {
            if (!shown)
                return;
            window = session.lists->show(ListKind::File, line.size() >= kDualLineLength);
            shown = window != nullptr;
            if (!shown)
                return;
            window->setCaption(title);
            window->grid().setRows(1);
        }
        window->grid().addItem(line);
        window->setCaption(std::to_string(++count) + " Records Completed");
    };

    LineSplitter lines;
    std::vector<char> chunk(1 << 16);
    std::size_t got = 0;
    errno = 0;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), file.get())) > 0)
        lines.feed(chunk.data(), got, addRow);
    const bool readError = std::ferror(file.get()) != 0;
    const int error = errno;
    file.reset();
    // A line cut short by a read error is not a record.
    if (!readError)
        lines.finish(addRow);
    if (window != nullptr)
        window->setCaption(title);

    if (readError) {
        const std::string reason = systemReason(error);
        session.dialogs.message(
            "The file could not be read to its end:\n" + path + "\n\n" + reason +
                (count > 0 ? "\n\nThe list shows the records read before the error." : ""),
            kCriticalStop, reason);
        return false;
    }
    if (count == 0 && shown) {
        session.dialogs.message("The file holds no records:\n" + path, kInformation);
        return false;
    }
    return shown;
}

}  // namespace calvex
