// An open registry key, closed on every path: the one owner of a key, whoever opened
// it. Close says how the key goes back: the model's keys through its access layer,
// the window framework's own (profile, shell registration) through the platform.
// Includes nothing, so the model and the framework may both use it.
#pragma once

template <class Key, class Close>
class UniqueKey {
public:
    UniqueKey() = default;
    explicit UniqueKey(Key key) : m_key(key) {}
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;
    UniqueKey(UniqueKey&& other) noexcept : m_key(other.m_key) { other.m_key = nullptr; }
    ~UniqueKey() { Reset(); }

    // Closes the key held (if any) and takes key instead.
    void Reset(Key key = nullptr) {
        if (m_key) Close()(m_key);
        m_key = key;
    }
    // What an open call reported: the key it gave when error is 0 (the registry's
    // success), nothing otherwise. Returns error.
    long Adopt(long error, Key key) {
        Reset(error == 0 ? key : nullptr);
        return error;
    }
    Key Get() const { return m_key; }
    explicit operator bool() const { return m_key != nullptr; }

private:
    Key m_key = nullptr;
};
