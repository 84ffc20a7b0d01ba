#include "cli/Targets.h"

#include <algorithm>

#include "model/DeviceAccess.h"
#include "model/FilterCheck.h"
#include "model/RecordSearch.h"
#include "model/TextForms.h"

namespace qxc {

std::wstring ClassNameOf(const CDriverClass& owner) { return qx::ClassShortName(owner); }

std::wstring TargetText(const Target& target) {
    if (!target.device) return target.owner->GetGuidString() + L" (" + target.owner->GetDescription() + L")";
    const std::wstring& name = target.device->GetDisplayName();
    std::wstring id = qx::DeviceInstanceId(*target.device);
    return name.empty() ? id : id + L" (" + name + L")";
}

bool ResolveTarget(const DriverClassList& classes, const std::wstring& text, Target* target, std::wstring* error) {
    const std::wstring wanted = qx::UpperCase(text);
    if (wanted.empty()) {
        // It would name every class without a class name.
        *error = L"The TARGET is empty.";
        return false;
    }
    std::wstring guidText = wanted;
    if (guidText.front() != L'{') guidText = L"{" + guidText + L"}";
    qx::Guid guid;
    const bool isGuid = qx::ParseGuid(guidText, &guid);

    std::vector<Target> exact, partial;
    for (const auto& owner : classes) {
        Target cls{owner.get(), nullptr};
        if (isGuid) {
            if (owner->GetGuid() == guid) exact.push_back(cls);
            continue;
        }
        const std::wstring name = qx::UpperCase(ClassNameOf(*owner)), description = qx::UpperCase(owner->GetDescription());
        if (wanted == name || wanted == description)
            exact.push_back(cls);
        else if ((name.find(wanted) != std::wstring::npos || description.find(wanted) != std::wstring::npos))
            partial.push_back(cls);
        for (const auto& device : owner->GetDeviceList()) {
            const std::wstring id = qx::UpperCase(qx::DeviceInstanceId(*device));
            if (id.empty()) continue;
            if (wanted == id)
                exact.push_back(Target{owner.get(), device.get()});
            else if (id.find(wanted) != std::wstring::npos ||
                     qx::UpperCase(device->GetDeviceDesc()).find(wanted) != std::wstring::npos ||
                     qx::UpperCase(device->GetFriendlyName()).find(wanted) != std::wstring::npos)
                partial.push_back(Target{owner.get(), device.get()});
        }
    }
    if (exact.size() == 1) {
        *target = exact.front();
        return true;
    }
    const std::vector<Target>& candidates = exact.empty() ? partial : exact;
    *error = L"\"" + text + (exact.empty() ? L"\" names no class or device" : L"\" names more than one class or device");
    if (candidates.empty()) {
        *error += L"; \"quillexc list --devices\" shows them all.";
        return false;
    }
    *error += exact.empty() ? L"; did you mean: " : L": ";
    const size_t kShown = 20;
    for (size_t i = 0; i < candidates.size() && i < kShown; ++i)
        *error += (i ? L"; " : L"") + TargetText(candidates[i]);
    if (candidates.size() > kShown) *error += L"; and " + std::to_wstring(candidates.size() - kShown) + L" more";
    *error += L".";
    return false;
}

}  // namespace qxc
