#include "tests/support/WineFixture.h"

#include <functional>

namespace qx::test {

std::vector<WalkedValue> WalkKey(const std::wstring& rootPath) {
    std::vector<WalkedValue> out;
    std::function<void(const std::wstring&)> walk = [&](const std::wstring& relative) {
        std::wstring path = relative.empty() ? rootPath : rootPath + L"\\" + relative;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
        std::vector<wchar_t> name(260);
        std::vector<uint8_t> data(4096);
        for (DWORD i = 0;; ++i) {
            DWORD cch = 260, cb = 4096, type = 0;
            if (RegEnumValueW(key, i, name.data(), &cch, nullptr, &type, data.data(), &cb) != ERROR_SUCCESS)
                break;
            out.push_back({relative, std::wstring(name.data(), cch), type,
                           std::vector<uint8_t>(data.begin(), data.begin() + cb)});
        }
        wchar_t sub[512];
        for (DWORD i = 0; RegEnumKeyW(key, i, sub, 512) == ERROR_SUCCESS; ++i) {
            std::wstring child = relative.empty() ? std::wstring(sub) : relative + L"\\" + sub;
            HKEY probe = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (rootPath + L"\\" + child).c_str(), 0, KEY_READ, &probe) !=
                ERROR_SUCCESS)
                break;
            RegCloseKey(probe);
            walk(child);
        }
        RegCloseKey(key);
    };
    walk(std::wstring());
    return out;
}

::testing::AssertionResult RowsMatchRegistry(const CRegistrySnapshot& snapshot) {
    std::vector<WalkedValue> expected = WalkKey(snapshot.GetRootPath());
    const auto& rows = snapshot.GetRows();
    if (rows.size() != expected.size())
        return ::testing::AssertionFailure() << "snapshot has " << rows.size() << " rows, the registry "
                                             << expected.size();
    for (size_t i = 0; i < rows.size(); ++i) {
        const CRegistryValue& row = rows[i];
        const WalkedValue& value = expected[i];
        std::vector<uint8_t> data(row.GetData(), row.GetData() + row.GetDataLength());
        if (row.GetKeyPath() != value.keyPath || row.GetValueName() != value.name || row.GetType() != value.type ||
            data != value.data)
            return ::testing::AssertionFailure()
                   << "row " << i << " is " << Narrow(row.GetKeyPath()) << "|" << Narrow(row.GetValueName())
                   << " type " << row.GetType() << " " << DescribeBytes(data.data(), data.size())
                   << "; the registry has " << Narrow(value.keyPath) << "|" << Narrow(value.name) << " type "
                   << value.type << " " << DescribeBytes(value.data.data(), value.data.size());
    }
    return ::testing::AssertionSuccess();
}

}  // namespace qx::test
