// The standard output and error that the devices of one vyrctl run share. Each device hands
// over whole lines, so that lines of two devices never mix; on a terminal, one progress line
// per device stays below the messages and is redrawn in place.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"

namespace vyr::cli {

// "[####      ] done/total", `width` characters between the brackets; a count outside
// 0..total draws an empty or a whole bar.
std::string ProgressBarText(int done, int total, int width);

class Console {
  public:
    // `rows`: the devices, in the order of their progress lines; `board`: draw those lines
    // (only when stderr is a terminal) each cut to fit in `columns` (0: any length), since a
    // line that wraps would throw the redrawing off by a line.
    Console(Streams io, std::vector<std::string> rows, bool board, std::size_t columns = 0);

    // Writes `lines` (whole lines) to stdout or stderr.
    void Write(bool error, std::string_view lines);
    // The progress of device `row`: a bar and "done/total".
    void Progress(std::size_t row, int done, int total);
    // The last state of device `row`, such as "done".
    void Finish(std::size_t row, std::string_view text);

  private:
    void Erase();
    void Draw();

    std::mutex mutex_;
    Streams io_;
    std::vector<std::string> ports_;
    std::vector<std::string> rows_;
    bool board_;
    std::size_t columns_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace vyr::cli
