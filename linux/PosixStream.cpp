// Standard output and error on Linux: UTF-8, lines ended by "\n" alone.
#include <unistd.h>

#include <cerrno>

#include "cli/Console.h"
#include "model/Utf8.h"

namespace qxc {

Stream::Stream(unsigned long which) : m_handle(reinterpret_cast<void*>(static_cast<uintptr_t>(which))), m_console(false) {}

void Stream::Write(const std::wstring& text) { WriteUtf8(qx::Utf8FromWide(text)); }

void Stream::WriteUtf8(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    size_t from = 0;
    for (size_t cr = bytes.find("\r\n"); cr != std::string::npos; cr = bytes.find("\r\n", from)) {
        text.append(bytes, from, cr - from);
        from = cr + 1;  // the "\n" stays
    }
    text.append(bytes, from, std::string::npos);
    const int fd = static_cast<int>(reinterpret_cast<uintptr_t>(m_handle));
    for (size_t at = 0; at < text.size();) {
        ssize_t put = ::write(fd, text.data() + at, text.size() - at);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return;
        at += static_cast<size_t>(put);
    }
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
