#include "cli/console.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "settings/file_io.h"

namespace vyr::cli {

namespace {

// A redraw at most this often: a fast load reports hundreds of steps a second per device.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// "PORT STATE" in fewer than `columns` columns: a long port path is shortened to its file
// name, and what still does not fit is cut (never inside a UTF-8 sequence).
std::string FitLine(const std::string& port, const std::string& state, std::size_t columns) {
    std::string line = port + ' ' + state;
    if (columns == 0 || line.size() < columns)
        return line;
    line = Utf8Path(FilePath(port).filename()) + ' ' + state;
    if (line.size() < columns)
        return line;
    std::size_t cut = columns - 1;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
        --cut;
    line.resize(cut);
    return line;
}

}  // namespace

std::string ProgressBarText(int done, int total, int width) {
    const int shown = std::clamp(done, 0, std::max(total, 0));
    const int filled =
        total > 0 ? static_cast<int>(static_cast<long long>(shown) * width / total) : 0;
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(width - filled), ' ') + "] " +
           std::to_string(done) + "/" + std::to_string(total);
}

Console::Console(Streams io, std::vector<std::string> rows, bool board, std::size_t columns)
    : io_(io),
      ports_(std::move(rows)),
      rows_(ports_.size(), "waiting"),
      board_(board),
      columns_(columns) {}

void Console::Write(bool error, std::string_view lines) {
    const std::lock_guard lock(mutex_);
    Erase();
    (error ? io_.err : io_.out) << lines << std::flush;
    Draw();
}

void Console::Progress(std::size_t row, int done, int total) {
    if (!board_ || total <= 0)
        return;
    const std::lock_guard lock(mutex_);
    rows_[row] = ProgressBarText(done, total, 30);
    const auto now = std::chrono::steady_clock::now();
    if (done < total && now - lastDraw_ < kRedrawInterval)
        return;
    Erase();
    Draw();
}

void Console::Finish(std::size_t row, std::string_view text) {
    const std::lock_guard lock(mutex_);
    rows_[row] = text;
    Erase();
    Draw();
}

// Moves the cursor back to the first progress line and clears from there to the end.
void Console::Erase() {
    if (board_ && drawn_)
        io_.err << "\x1b[" << rows_.size() << "A\x1b[J";
    drawn_ = false;
}

void Console::Draw() {
    if (!board_)
        return;
    io_.out << std::flush;
    for (std::size_t row = 0; row < rows_.size(); ++row)
        io_.err << FitLine(ports_[row], rows_[row], columns_) << '\n';
    io_.err << std::flush;
    drawn_ = true;
    lastDraw_ = std::chrono::steady_clock::now();
}

}  // namespace vyr::cli
