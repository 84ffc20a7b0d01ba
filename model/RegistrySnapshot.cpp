#include "model/RegistrySnapshot.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>

#include "model/Allocation.h"
#include "model/Bytes.h"
#include "model/DeviceAccess.h"
#include "model/TextForms.h"

IMPLEMENT_DYNAMIC(CRegistryValue, CObject)
IMPLEMENT_DYNAMIC(CRegistrySnapshot, CObject)

CRegistryValue::CRegistryValue(const std::wstring* keyPath, const wchar_t* valueName, uint32_t cchName,
                               uint32_t type, const uint8_t* data, uint32_t cbData)
    : m_pKeyPath(keyPath),
      m_block(cbData + cchName ? new uint8_t[cbData + size_t{cchName} * sizeof(wchar_t)] : nullptr),
      m_dwType(type),
      m_cbData(cbData),
      m_cchName(cchName) {
    if (cbData) std::copy(data, data + cbData, m_block.get());
    if (cchName) std::memcpy(m_block.get() + cbData, valueName, size_t{cchName} * sizeof(wchar_t));
}

std::wstring CRegistryValue::GetValueName() const {
    std::wstring name(m_cchName, L'\0');
    if (m_cchName) std::memcpy(&name[0], m_block.get() + m_cbData, size_t{m_cchName} * sizeof(wchar_t));
    return name;
}

CRegistrySnapshot::CRegistrySnapshot(std::wstring rootPath) : m_strRootPath(std::move(rootPath)) {}

long CRegistrySnapshot::Take(qx::KeyHandle rootKey) {
    AddKey(rootKey, std::wstring());
    m_rows.shrink_to_fit();
    return 0;
}

bool CRegistrySnapshot::AddKey(qx::KeyHandle key, const std::wstring& relativePath) {
    AddValues(key, relativePath);
    qx::IDeviceAccess& access = qx::Access();
    wchar_t name[512];
    for (uint32_t index = 0; access.EnumKey(key, index, name, 512) == qx::kErrSuccess; ++index) {
        std::wstring subPath = relativePath.empty() ? std::wstring(name) : relativePath + L'\\' + name;
        qx::RegKey subkey;
        if (subkey.Open(m_strRootPath + L'\\' + subPath, qx::kKeyRead) != qx::kErrSuccess)
            return false;  // the later subkeys of this key are left out
        AddKey(subkey.Get(), subPath);
    }
    return true;
}

void CRegistrySnapshot::AddValues(qx::KeyHandle key, const std::wstring& relativePath) {
    qx::IDeviceAccess& access = qx::Access();
    wchar_t name[260];
    uint8_t data[4096];
    const std::wstring* keyPath = nullptr;  // kept with the key's first value
    for (uint32_t index = 0;; ++index) {
        uint32_t cchName = 260, cbData = sizeof(data), type = 0;
        if (access.EnumValue(key, index, name, &cchName, &type, data, &cbData) != qx::kErrSuccess)
            break;  // a value too large to read whole ends the key's values
        if (cchName >= 260 || cbData > sizeof(data)) break;
        // Rows are at most the buffers' size; memory that runs out all the same ends
        // the walk of this key with what was read.
        try {
            if (!keyPath) {
                static const std::wstring root;  // the root's rows need no path of their own
                if (relativePath.empty()) {
                    keyPath = &root;
                } else {
                    m_keyPaths.push_front(relativePath);
                    keyPath = &m_keyPaths.front();
                }
            }
            m_rows.emplace_back(keyPath, name, cchName, type, data, cbData);
        } catch (const std::bad_alloc&) {
            qx::ReportNoMemory();
            return;
        }
    }
}

namespace {

std::wstring HexBytes(const uint8_t* data, uint32_t cb) {
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    text.reserve(size_t{cb} * 2);
    for (uint32_t i = 0; i < cb; ++i) {
        text += digits[data[i] >> 4];
        text += digits[data[i] & 0xF];
    }
    return text;
}

std::wstring SignedDecimal(uint32_t value) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%d", static_cast<int32_t>(value));
    return text;
}

std::wstring MultiStringText(const uint8_t* data, uint32_t cb) {
    StringList list;
    qx::AppendMultiSz(list, data, cb);
    std::wstring text;
    for (const auto& entry : list) text += entry + L' ';
    return text;
}

std::wstring UnicodeText(const uint8_t* data, uint32_t cb) { return qx::TextFromBytes(data, cb); }
std::wstring EightBitText(const uint8_t* data, uint32_t cb) { return qx::AnsiText(data, cb); }
std::wstring Elided(const uint8_t*, uint32_t) { return L"..."; }

// Short data has no number to show; its bytes are shown as they are.
std::wstring LittleEndianNumber(const uint8_t* data, uint32_t cb) {
    return cb >= 4 ? SignedDecimal(qx::ReadLe32(data)) : HexBytes(data, cb);
}

std::wstring BigEndianNumber(const uint8_t* data, uint32_t cb) {
    return cb >= 4 ? SignedDecimal(uint32_t{data[0]} << 24 | data[1] << 16 | data[2] << 8 | data[3])
                   : HexBytes(data, cb);
}

using ContentsForm = std::wstring (*)(const uint8_t*, uint32_t);

// Indexed by the registry type code; REG_NONE and the types after the last here are
// shown as "UNKNOWN", without contents.
const ContentsForm kContentsForms[] = {
    nullptr,              // REG_NONE
    &UnicodeText,         // REG_SZ
    &UnicodeText,         // REG_EXPAND_SZ: references are not expanded
    &HexBytes,            // REG_BINARY
    &LittleEndianNumber,  // REG_DWORD
    &BigEndianNumber,     // REG_DWORD_BIG_ENDIAN
    &EightBitText,        // REG_LINK
    &MultiStringText,     // REG_MULTI_SZ
    &EightBitText,        // REG_RESOURCE_LIST
    &EightBitText,        // REG_FULL_RESOURCE_DESCRIPTOR
    &Elided,              // REG_RESOURCE_REQUIREMENTS_LIST
};

}  // namespace

FormattedValue FormatRegistryValue(uint32_t type, const uint8_t* data, uint32_t cb) {
    const ContentsForm form = type < std::size(kContentsForms) ? kContentsForms[type] : nullptr;
    FormattedValue out;
    out.typeName = form ? qx::RegistryTypeName(type) : L"UNKNOWN";
    out.hasContents = form != nullptr;  // an unknown type leaves the contents unset
    if (out.hasContents) out.contents = form(data, cb);
    return out;
}
