#include "link/link.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

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

bool Link::Open(const std::string& path) {
    Close();
    std::string error;
    port_ = OpenSerialPort(path, &error);
    if (port_ == nullptr) {
        Diagnostic("serial_link: could not open serial port: invalid handle\n");
        Diagnostic("serial_link: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

bool Link::OpenIndex(int index, const std::vector<std::string>& ports) {
    if (index < 0 || static_cast<std::size_t>(index) >= ports.size()) {
        Close();
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
        written = port->Write(wire.data(), wire.size(), link.GetTimeouts().writeTotal);
    }
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
        got = port->Read(wire.data(), wire.size(), t.readTotal, t.readGap);
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
