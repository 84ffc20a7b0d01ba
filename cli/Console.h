// Text to the console or to a pipe. On a console the characters go through
// WriteConsoleW, so every character reaches the screen as it is; redirected, the text
// is written as UTF-8.
#pragma once
#include <string>

#include "model/DeviceAccess.h"
#include "model/Types.h"

namespace qxc {

class Stream {
public:
    explicit Stream(unsigned long which);  // STD_OUTPUT_HANDLE or STD_ERROR_HANDLE
    void Write(const std::wstring& text);
    void WriteUtf8(const std::string& bytes);
    void Line(const std::wstring& text = L"") { Write(text + L"\r\n"); }

private:
    void* m_handle;
    bool m_console;
};
Stream& Out();
Stream& Err();

// Message text as one plain line: its paragraphs joined by single spaces.
std::wstring OneLine(const std::wstring& text);

// Rows printed in columns as wide as their widest cell; the last column is not padded.
class Table {
public:
    void Add(StringList row) { m_rows.push_back(std::move(row)); }
    void Print(Stream& out) const;

private:
    std::vector<StringList> m_rows;
};

// The model's messages on standard error, never a message box. A Yes/No question is
// answered Yes when the user gave --yes; otherwise it is printed and answered No.
class ConsoleMessages : public qx::IMessageSink {
public:
    explicit ConsoleMessages(bool yes) : m_yes(yes) {}
    int ShowMessage(const std::wstring& text, unsigned type) override;

    // A store said it could not write the list (or put it back, or journal it).
    bool WriteFailed() const { return m_writeFailed; }

private:
    bool m_yes;
    bool m_writeFailed = false;
};

}  // namespace qxc
