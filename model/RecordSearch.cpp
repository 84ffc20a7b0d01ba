#include "model/RecordSearch.h"

#include <algorithm>
#include <vector>

#include "model/Device.h"
#include "model/DeviceAccess.h"
#include "model/FilterCheck.h"
#include "model/TextForms.h"

namespace qx {
namespace {

bool Contains(const std::wstring& haystack, const std::wstring& upperNeedle) {
    return !upperNeedle.empty() && UpperCase(haystack).find(upperNeedle) != std::wstring::npos;
}

bool AnyContains(const StringList& list, const std::wstring& upperNeedle) {
    return std::any_of(list.begin(), list.end(), [&](const std::wstring& s) { return Contains(s, upperNeedle); });
}

}  // namespace

std::wstring ClassShortName(const CDriverClass& owner) {
    return ReadTextValue(Access(), owner.GetClassKey(), L"Class");
}

bool ClassMatches(const CDriverClass& owner, const std::wstring& text) {
    const std::wstring needle = UpperCase(text);
    return Contains(owner.GetDescription(), needle) || Contains(ClassShortName(owner), needle) ||
           AnyContains(owner.GetFilters(true), needle) || AnyContains(owner.GetFilters(false), needle);
}

bool DeviceMatches(const CDevice& device, const std::wstring& text) {
    const std::wstring needle = UpperCase(text);
    return Contains(device.GetDeviceDesc(), needle) || Contains(device.GetFriendlyName(), needle) ||
           Contains(device.GetHardwareId(), needle) || Contains(device.GetService(), needle) ||
           AnyContains(device.GetFilters(true), needle) || AnyContains(device.GetFilters(false), needle) ||
           Contains(DeviceInstanceId(device), needle);
}

}  // namespace qx
