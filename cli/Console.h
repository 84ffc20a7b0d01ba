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

// The columns a text takes on a console: two for a wide (East Asian) character, none
// for a combining mark or the second half of a surrogate pair.
size_t ScreenWidth(const std::wstring& text);
// The text cut to at most `width` columns, ending in "..." when anything was cut.
std::wstring CutToWidth(const std::wstring& text, size_t width);
// What a listing fits in: a console 120 columns wide, less the column the cursor takes.
constexpr size_t kConsoleWidth = 119;

// Rows printed in columns as wide as their widest cell; the last column is not padded.
// Given a width, the widest columns are narrowed until a row fits in it, their cells cut.
class Table {
public:
    void Add(StringList row) { m_rows.push_back(std::move(row)); }
    // A column never cut (an identifier: a GUID, a number, a time).
    void KeepWhole(size_t column) { m_whole.push_back(column); }
    void Print(Stream& out, size_t maxWidth = 0) const;
    std::wstring Text(size_t maxWidth = 0) const;  // what Print writes

private:
    std::vector<StringList> m_rows;
    std::vector<size_t> m_whole;
};

// A message of the model in the words of the command line where the window's differ.
std::wstring CommandLineWording(std::wstring text);

// The model's messages on standard error, never a message box. A Yes/No question is
// answered Yes when the user gave --yes; otherwise it is printed and answered No.
class ConsoleMessages : public qx::IMessageSink {
public:
    explicit ConsoleMessages(bool yes) : m_yes(yes) {}
    int ShowMessage(const std::wstring& text, unsigned type) override;

private:
    bool m_yes;
};

}  // namespace qxc
