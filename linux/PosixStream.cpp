// Standard output and error on Linux: UTF-8, lines ended by "\n" alone.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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
    for (size_t from = 0; from < bytes.size();) {
        size_t cr = bytes.find("\r\n", from);
        const size_t end = cr == std::string::npos ? bytes.size() : cr;
        while (from < end) {
            if (used == sizeof(buffer) && !flush()) return;
            const size_t part = std::min(end - from, sizeof(buffer) - used);
            std::memcpy(buffer + used, bytes.data() + from, part);
            used += part;
            from += part;
        }
        if (cr != std::string::npos) from = cr + 1;  // the "\n" stays
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
