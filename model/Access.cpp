#include "model/DeviceAccess.h"

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

void AccessKeyClose::operator()(KeyHandle key) const { Access().CloseKey(key); }

long RegKey::Open(const std::wstring& path, uint32_t sam) {
    KeyHandle key = nullptr;
    long error = Access().OpenKey(path, sam, &key);
    return Adopt(error, key);
}

}  // namespace qx
