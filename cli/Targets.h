// What a TARGET on the command line names: a class by its GUID (any case, braces
// optional), its class name or its description, or a device by its instance ID.
#pragma once
#include "model/ClassList.h"

namespace qxc {

struct Target {
    CDriverClass* owner = nullptr;
    CDevice* device = nullptr;  // null for the class itself
};

// False with *error (one line, naming the candidates) when the text names no class or
// device, or more than one.
bool ResolveTarget(const DriverClassList& classes, const std::wstring& text, Target* target, std::wstring* error);

// The class key's "Class" value ("Keyboard"); empty when it has none.
std::wstring ClassNameOf(const CDriverClass& owner);
// How people know a target: "{GUID} (Description)", or "ID (Description)" for a device.
std::wstring TargetText(const Target& target);

}  // namespace qxc
