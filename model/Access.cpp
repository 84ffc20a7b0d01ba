#include "model/DeviceAccess.h"

#include "model/Bytes.h"
#include "model/TextForms.h"

namespace qx {
namespace {

// Until the program installs its message boxes, messages go nowhere; the answer is
// Cancel so that nothing waits on a user who cannot see the question.
class SilentMessages : public IMessageSink {
public:
    int ShowMessage(const std::wstring&, unsigned) override { return kIdCancel; }
};

SilentMessages g_silent;
IDeviceAccess* g_access = nullptr;
IMessageSink* g_messages = &g_silent;

}  // namespace

IDeviceAccess& Access() { return g_access ? *g_access : Win32Access(); }

IDeviceAccess* SetAccess(IDeviceAccess* access) {
    IDeviceAccess* previous = g_access;
    g_access = access;
    return previous;
}

IMessageSink& Messages() { return *g_messages; }

IMessageSink* SetMessages(IMessageSink* sink) {
    IMessageSink* previous = g_messages;
    g_messages = sink ? sink : &g_silent;
    return previous;
}

bool ReadValueData(IDeviceAccess& access, KeyHandle key, const wchar_t* name, uint32_t* type,
                   std::vector<uint8_t>* data) {
    constexpr uint32_t kLargest = 64 * 1024;
    // Most values fit a first read into a small buffer; every device's key is read so.
    uint8_t first[256];
    uint32_t cb = sizeof(first);
    *type = kRegNone;
    long error = access.QueryValue(key, name, type, first, &cb);
    if (error == kErrSuccess) {
        data->assign(first, first + (cb < sizeof(first) ? cb : sizeof(first)));
        return true;
    }
    if (error != kErrMoreData || cb > kLargest) return false;
    data->resize(cb);
    if (access.QueryValue(key, name, type, data->data(), &cb) != kErrSuccess) return false;
    if (cb < data->size()) data->resize(cb);
    return true;
}

std::wstring ReadTextValue(IDeviceAccess& access, KeyHandle key, const wchar_t* name, uint32_t* type) {
    uint32_t valueType = kRegNone;
    std::vector<uint8_t> data;
    if (type) *type = kRegNone;
    if (!ReadValueData(access, key, name, &valueType, &data) || (valueType != kRegSz && valueType != kRegExpandSz))
        return L"";
    if (type) *type = valueType;
    return TextFromBytes(data.data(), data.size());
}

bool ReadDwordValue(IDeviceAccess& access, KeyHandle key, const wchar_t* name, uint32_t* value) {
    uint8_t data[4] = {};
    uint32_t cb = sizeof(data), type = kRegNone;
    if (access.QueryValue(key, name, &type, data, &cb) != kErrSuccess || type != kRegDword || cb != 4) return false;
    *value = ReadLe32(data);
    return true;
}

void AccessKeyClose::operator()(KeyHandle key) const { Access().CloseKey(key); }

long RegKey::Open(const std::wstring& path, uint32_t sam) {
    KeyHandle key = nullptr;
    long error = Access().OpenKey(path, sam, &key);
    return Adopt(error, key);
}

}  // namespace qx
