// A device's copy of every value below its driver key, taken once at start-up,
// and the formatting of registry values for display.
#pragma once
#include <forward_list>
#include <memory>

#include "common/Object.h"
#include "model/Types.h"

class CRegistryValue : public CObject {
    DECLARE_DYNAMIC(CRegistryValue)
public:
    // A snapshot holds thousands of rows, so a row is small: the key path belongs to the
    // snapshot (keyPath must outlive the row), and the name and the data share one block.
    CRegistryValue(const std::wstring* keyPath, const wchar_t* valueName, uint32_t cchName, uint32_t type,
                   const uint8_t* data, uint32_t cbData);
    CRegistryValue(CRegistryValue&&) noexcept = default;
    CRegistryValue& operator=(CRegistryValue&&) noexcept = default;

    const std::wstring& GetKeyPath() const { return *m_pKeyPath; }
    std::wstring GetValueName() const;  // empty for a key's default value
    uint32_t GetType() const { return m_dwType; }
    const uint8_t* GetData() const { return m_cbData ? m_block.get() : nullptr; }
    uint32_t GetDataLength() const { return m_cbData; }

private:
    const std::wstring* m_pKeyPath;  // relative to the snapshot's root; empty for the root
    std::unique_ptr<uint8_t[]> m_block;  // the data (an exact copy), then the name's characters
    uint32_t m_dwType;
    uint32_t m_cbData;
    uint32_t m_cchName;
};

class CRegistrySnapshot : public CObject {
    DECLARE_DYNAMIC(CRegistrySnapshot)
public:
    explicit CRegistrySnapshot(std::wstring rootPath);

    // Fills the rows from the open root key. Always 0: what was read before a failure stays.
    long Take(qx::KeyHandle rootKey);
    // The key's values, then each subkey's subtree; false when a subkey did not open
    // (the later subkeys of this key are then left out).
    bool AddKey(qx::KeyHandle key, const std::wstring& relativePath);
    // One row per value of the key, up to the first that cannot be read whole.
    void AddValues(qx::KeyHandle key, const std::wstring& relativePath);

    const std::wstring& GetRootPath() const { return m_strRootPath; }
    // The rows in walk order, held in place (no allocation of their own).
    const std::vector<CRegistryValue>& GetRows() const { return m_rows; }

private:
    std::wstring m_strRootPath;
    std::forward_list<std::wstring> m_keyPaths;  // a node never moves: rows point at them
    std::vector<CRegistryValue> m_rows;
};

struct FormattedValue {
    std::wstring typeName;
    std::wstring contents;
    bool hasContents = false;  // false for an unknown type: the contents cell stays unset
};
FormattedValue FormatRegistryValue(uint32_t type, const uint8_t* data, uint32_t cbData);
