// Test doubles for the model's two ways out (messages to the user, progress reports),
// guards that install a machine or a sink for one test, and assertions that name the
// caller's line when they fail (use them inside EXPECT_TRUE / ASSERT_TRUE).
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/ClassList.h"
#include "model/DeviceAccess.h"

namespace qx::test {

struct ShownMessage {
    std::wstring text;
    unsigned flags;
    bool operator==(const ShownMessage& other) const {
        return text == other.text && flags == other.flags;
    }
};

// Wide text for failure messages: ASCII as it is, anything else as \uXXXX.
inline std::string Narrow(const std::wstring& text) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (wchar_t c : text) {
        unsigned u = static_cast<unsigned>(c) & 0xFFFF;
        if (u >= 0x20 && u < 0x7F) {
            out += static_cast<char>(u);
        } else {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(u >> shift) & 0xF];
        }
    }
    return out;
}

inline std::ostream& operator<<(std::ostream& os, const ShownMessage& message) {
    return os << Narrow(message.text) << " (flags 0x" << std::hex << message.flags << std::dec << ")";
}

// Records every message and answers with a chosen button.
class MessageRecorder : public IMessageSink {
public:
    explicit MessageRecorder(int answer = kIdOk) : m_answer(answer) {}
    int ShowMessage(const std::wstring& text, unsigned type) override {
        m_shown.push_back({text, type});
        return m_answer;
    }
    const std::vector<ShownMessage>& Shown() const { return m_shown; }
    void Clear() { m_shown.clear(); }

private:
    int m_answer;
    std::vector<ShownMessage> m_shown;
};

// Records progress reports as one line each: "text:<text>", "range:<lower>-<upper>", "step".
class ProgressRecorder : public IProgressSink {
public:
    void SetProgressText(const std::wstring& text) override { m_log.push_back(L"text:" + text); }
    void SetProgressRange(int lower, int upper) override {
        m_log.push_back(L"range:" + std::to_wstring(lower) + L"-" + std::to_wstring(upper));
    }
    void StepProgress() override { m_log.push_back(L"step"); }
    const std::vector<std::wstring>& Log() const { return m_log; }

private:
    std::vector<std::wstring> m_log;
};

// Installs a machine for the life of the guard, then puts the previous one back.
class AccessGuard {
public:
    explicit AccessGuard(IDeviceAccess& access) : m_previous(SetAccess(&access)) {}
    ~AccessGuard() { SetAccess(m_previous); }
    AccessGuard(const AccessGuard&) = delete;
    AccessGuard& operator=(const AccessGuard&) = delete;

private:
    IDeviceAccess* m_previous;
};

// Installs a message sink for the life of the guard, then puts the previous one back.
class MessagesGuard {
public:
    explicit MessagesGuard(IMessageSink& sink) : m_previous(SetMessages(&sink)) {}
    ~MessagesGuard() { SetMessages(m_previous); }
    MessagesGuard(const MessagesGuard&) = delete;
    MessagesGuard& operator=(const MessagesGuard&) = delete;

private:
    IMessageSink* m_previous;
};

// ---- Assertions ---------------------------------------------------------------

inline std::string Describe(const StringList& list) {
    std::string text = "{";
    for (size_t i = 0; i < list.size(); ++i) text += (i ? ", \"" : "\"") + Narrow(list[i]) + "\"";
    return text + "}";
}

inline ::testing::AssertionResult ListIs(const StringList& actual, const StringList& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "list is " << Describe(actual) << ", expected "
                                         << Describe(expected);
}

inline std::string DescribeBytes(const uint8_t* data, size_t cb) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < cb; ++i) {
        if (i) text += ' ';
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0xF];
    }
    return "[" + std::to_string(cb) + " bytes: " + text + "]";
}

inline ::testing::AssertionResult BytesAre(const std::vector<uint8_t>& actual,
                                           const std::vector<uint8_t>& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "bytes are " << DescribeBytes(actual.data(), actual.size())
                                         << ", expected "
                                         << DescribeBytes(expected.data(), expected.size());
}

inline ::testing::AssertionResult MessagesAre(const MessageRecorder& recorder,
                                              const std::vector<ShownMessage>& expected) {
    if (recorder.Shown() == expected) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << "messages shown:";
    for (const auto& message : recorder.Shown()) failure << " [" << message << "]";
    failure << "; expected:";
    for (const auto& message : expected) failure << " [" << message << "]";
    return failure;
}

inline ::testing::AssertionResult NoMessages(const MessageRecorder& recorder) {
    return MessagesAre(recorder, {});
}

}  // namespace qx::test
