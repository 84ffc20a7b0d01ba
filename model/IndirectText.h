// Texts a real installation stores indirectly: since Windows 8 a class key's ClassDesc
// and a device's texts are "@<file>,-<id>" (string <id> of a file of the installation)
// or "@<inf>,%<key>%;<text>" (the text after ";" is the one to show). The running
// platform resolves them itself; an offline hive's texts are resolved here.
#pragma once
#include "model/DeviceAccess.h"

namespace qx {

// The text to show for `stored`: the text after the first ";" of an "@..." text; string
// <id> of the file of "@<file>,-<id>" (a relative file lies in the installation's
// System32; a file without a string table gives way to "<folder>\<language>\<file>.mui"
// for each of `languages`); a text without "@" is itself. False when an indirect text
// cannot be resolved (the Windows folder unknown, a variable the installation would
// expand itself, the file or string missing).
bool ResolveIndirectText(IDeviceAccess& access, const std::wstring& stored, const StringList& languages,
                         std::wstring* text);

}  // namespace qx
