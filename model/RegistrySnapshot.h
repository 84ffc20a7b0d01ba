// A device's copy of every value below its driver key, taken once at start-up,
// and the formatting of registry values for display.
#pragma once
#include <memory>

#include "model/Object.h"
#include "model/Types.h"

class CRegistryValue : public CObject {
    DECLARE_DYNAMIC(CRegistryValue)
public:
    // keyPath is shared by the rows of one key: a snapshot holds thousands of rows.
    CRegistryValue(std::shared_ptr<const std::wstring> keyPath, std::wstring valueName, uint32_t type,
                   const uint8_t* data, uint32_t cbData);

    const std::wstring& GetKeyPath() const { return *m_pKeyPath; }
    const std::wstring& GetValueName() const { return m_strValueName; }
    uint32_t GetType() const { return m_dwType; }
    const uint8_t* GetData() const { return m_data.get(); }
    uint32_t GetDataLength() const { return m_cbData; }

private:
    std::shared_ptr<const std::wstring> m_pKeyPath;  // relative to the snapshot's root; empty for the root
    std::wstring m_strValueName;                     // empty for a key's default value
    uint32_t m_dwType;
    uint32_t m_cbData;
    std::unique_ptr<uint8_t[]> m_data;  // exact copy
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
    std::vector<CRegistryValue> m_rows;
};

struct FormattedValue {
    std::wstring typeName;
    std::wstring contents;
    bool hasContents = false;  // false for an unknown type: the contents cell stays unset
};
FormattedValue FormatRegistryValue(uint32_t type, const uint8_t* data, uint32_t cbData);
