// One line of text per frame, for the simulator's log:
//   in  1 /chroma/settings/1/rec_mic_level text ""
//   out 2 LOOPBACKTEST int 1234
#pragma once

#include <string>
#include <string_view>

#include "link/frame.h"

namespace vyrsim {

enum class Direction { In, Out };

// Bytes as C would write them in a string: \" \\ \n, other bytes outside printable ASCII as
// \xNN (two lower-case hexadecimal digits).
std::string Escape(std::string_view bytes);

// "in " or "out", the command, the name (escaped, not quoted), then "text" and the quoted
// payload text, or "int" and the payload integer. The payload of a login or set-password frame
// (a password) shows as *** instead.
std::string FormatFrameLine(Direction direction, const serial_link::CommandFrame& frame);

}  // namespace vyrsim
