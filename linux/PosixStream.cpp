// Standard output and error on Linux: UTF-8, lines ended by "\n" alone.
#include <unistd.h>

#include <cerrno>

#include "cli/Console.h"
#include "model/Utf8.h"

namespace qxc {

Stream::Stream(unsigned long which) : m_handle(reinterpret_cast<void*>(static_cast<uintptr_t>(which))), m_console(false) {}

void Stream::Write(const std::wstring& text) { WriteUtf8(qx::Utf8FromWide(text)); }

void Stream::WriteUtf8(const std::string& bytes) {
    const int fd = static_cast<int>(reinterpret_cast<uintptr_t>(m_handle));
    // Through a buffer of its own, the "\r" of each "\r\n" left out.
    char buffer[64 * 1024];
    size_t used = 0;
    auto flush = [&] {
        for (size_t at = 0; at < used;) {
            ssize_t put = ::write(fd, buffer + at, used - at);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            at += static_cast<size_t>(put);
        }
        used = 0;
        return true;
    };
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        if (used == sizeof(buffer) && !flush()) return;
        buffer[used++] = bytes[i];
    }
    flush();
}

Stream& Out() {
    static Stream out(STDOUT_FILENO);
    return out;
}

Stream& Err() {
    static Stream err(STDERR_FILENO);
    return err;
}

}  // namespace qxc
