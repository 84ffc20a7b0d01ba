#include "model/FilterStore.h"

#include "model/DeviceAccess.h"
#include "model/DriverClass.h"
#include "model/Filters.h"
#include "model/StoredList.h"
#include "model/TextForms.h"

namespace qx {
namespace {

// How the user knows the list: the class's description, or the device's name and class.
std::wstring TargetName(const CDriverClass& owner, const CDevice* device) {
    if (!device) return owner.GetDescription();
    std::wstring name = device->GetFriendlyName().empty() ? device->GetDeviceDesc() : device->GetFriendlyName();
    std::wstring number = L"device " + DeviceNumberText(device->GetIndex()) + L" of " + owner.GetDescription();
    return name.empty() ? number : name + L" (" + number + L")";
}

std::wstring ChangedOutsideText(const CDriverClass& owner, const CDevice* device, bool upper,
                                const StringList& stored) {
    std::wstring text = std::wstring(upper ? L"The Upper Filters" : L"The Lower Filters") + L" of " +
                        TargetName(owner, device) + L" were changed outside Quillex after they were read. ";
    text += stored.empty() ? L"The list is now empty." : L"They now hold: " + JoinList(stored) + L".";
    text += L"\n\nNothing was written. The list as stored is shown now; edit it again to change it.";
    return text;
}

}  // namespace

std::wstring FilterStoreFailureText(bool upper) {
    return upper ? L"Unable to Modify Upper Filters" : L"Unable to Modify Lower Filters";
}

bool StoreFilterList(CDriverClass& owner, CDevice* device, bool upper, const StringList& names) {
    auto fail = [upper] {
        Messages().ShowMessage(FilterStoreFailureText(upper), kMbOkCancel | kMbIconHand);
        return false;
    };
    // An empty entry would end the stored list early and hide the names after it.
    if (!IsStorableFilterList(names)) return fail();
    if (device && device->GetClass() != &owner) return fail();

    // What the registry holds now, not what was read at start.
    StoredList stored;
    bool readable = device ? ReadDeviceFilters(*device, upper, &stored)
                           : ReadClassFilters(owner.GetClassKey(), upper, &stored);
    if (!readable) return fail();
    const StringList storedNames = stored.Names();
    const StringList& shown = device ? device->GetFilters(upper) : owner.GetFilters(upper);
    if (storedNames != shown) {
        if (device)
            device->ReplaceFilters(upper, storedNames);
        else
            owner.ReplaceFilters(upper, storedNames);
        Messages().ShowMessage(ChangedOutsideText(owner, device, upper, storedNames), kMbOk | kMbIconHand);
        return false;
    }

    std::vector<uint8_t> image = BuildMultiSz(names);
    bool written = false;
    if (device) {
        written = owner.SetDeviceProperty(*device, upper ? spdrp::UpperFilters : spdrp::LowerFilters,
                                          image.empty() ? nullptr : image.data(),
                                          static_cast<uint32_t>(image.size()));
    } else {
        IDeviceAccess& access = Access();
        const wchar_t* valueName = upper ? L"UpperFilters" : L"LowerFilters";
        long error = names.empty() ? access.DeleteValue(owner.GetClassKey(), valueName)
                                   : access.SetValue(owner.GetClassKey(), valueName, kRegMultiSz, image.data(),
                                                     static_cast<uint32_t>(image.size()));
        written = error == kErrSuccess;
    }
    if (!written) return fail();
    if (device)
        device->ReplaceFilters(upper, names);
    else
        owner.ReplaceFilters(upper, names);
    return true;
}

}  // namespace qx
