#include "link/link.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "link/secret.h"

namespace serial_link {

namespace {

void PrintToStdout(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

}  // namespace

LinkHold::LinkHold(Link& link) : link_(link) {
    link_.Lock().Wait();
}

LinkHold::~LinkHold() {
    link_.Lock().Post();
}

Link::Link() : sink_(PrintToStdout) {}

Link::~Link() {
    Close();
}

std::chrono::nanoseconds LineTime(std::size_t bytes, int baud) {
    if (baud <= 0)
        return {};
    return std::chrono::nanoseconds(static_cast<long long>(bytes) * 10'000'000'000LL / baud);
}

bool Link::Open(const std::string& path) {
    Close();
    openError_ = {};
    port_ = OpenSerialPort(path, &openError_.kind, &openError_.reason);
    if (port_ == nullptr) {
        Diagnostic("serial_link: could not open serial port: invalid handle\n");
        Diagnostic("serial_link: %s: %s\n", path.c_str(), openError_.reason.c_str());
        return false;
    }
    lineFreeAt_ = {};
    return true;
}

bool Link::OpenIndex(int index, const std::vector<std::string>& ports) {
    if (index < 0 || static_cast<std::size_t>(index) >= ports.size()) {
        Close();
        openError_ = {PortError::NotFound, "no such port"};
        Diagnostic("serial_link: could not open serial port: invalid handle\n");
        return false;
    }
    return Open(ports[static_cast<std::size_t>(index)]);
}

void Link::Close() {
    port_.reset();
}

void Link::SetDiagnosticSink(DiagnosticSink sink) {
    sink_ = sink ? std::move(sink) : DiagnosticSink(PrintToStdout);
}

void Link::Diagnostic(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    sink_(text);
}

void Link::FlushDiagnostics() {
    std::fflush(stdout);
}

void Link::NoteRequestSent(std::chrono::steady_clock::time_point start, std::size_t bytes) {
    lineFreeAt_ = start + LineTime(bytes, timeouts_.lineBaud);
}

std::int32_t Link::NextLoopbackValue() {
    if (loopbackSource_)
        return loopbackSource_();
    return static_cast<std::int32_t>(random_() % 32768);
}

namespace protocol {

int send_command(Link& link, const CommandFrame& frame) {
    WireFrame wire;
    EncodeFrame(frame, wire);
    std::size_t written = 0;
    if (SerialPort* port = link.Port(); port != nullptr && !port->Vanished()) {
        const auto start = std::chrono::steady_clock::now();
        written = port->Write(wire.data(), wire.size(), link.GetTimeouts().writeTotal);
        link.NoteRequestSent(start, written);
    }
    WipeMemory(wire.data(), wire.size());  // it may carry a password
    if (written == kFrameSize)
        return 1;
    link.Diagnostic("serial_link::protocol::send_command %ld bytes expected, %d bytes written\n",
                    static_cast<long>(kFrameSize), static_cast<int>(written));
    return 0;
}

int recv_command(Link& link, CommandFrame& frame) {
    WireFrame wire;
    std::size_t got = 0;
    if (SerialPort* port = link.Port(); port != nullptr && !port->Vanished()) {
        const Timeouts& t = link.GetTimeouts();
        // The device cannot answer before the request has reached it.
        const auto onLine = link.LineFreeAt() - std::chrono::steady_clock::now();
        const auto wait = onLine > std::chrono::nanoseconds::zero()
                              ? t.readTotal + std::chrono::ceil<Milliseconds>(onLine)
                              : t.readTotal;
        got = port->Read(wire.data(), wire.size(), wait, t.readGap);
    }
    if (got != kFrameSize) {
        // The bytes of a short read are dropped; the caller's frame keeps its content.
        link.Diagnostic("serial_link::protocol::recv_command %ld bytes expected, %d bytes read\n",
                        static_cast<long>(kFrameSize), static_cast<int>(got));
        return 0;
    }
    DecodeFrame(wire, frame);
    return 1;
}

}  // namespace protocol

}  // namespace serial_link
