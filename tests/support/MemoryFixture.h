// A test fixture that runs the model against an in-memory machine with recorders for
// its messages and progress, and releases the class list at the end.
#pragma once
#include <gtest/gtest.h>

#include "model/ClassList.h"
#include "tests/support/MemoryMachine.h"
#include "tests/support/Recorders.h"
#include "tests/support/TestData.h"

namespace qx::test {

class MemoryMachineTest : public ::testing::Test {
protected:
    MemoryMachineTest() : m_accessGuard(machine), m_messagesGuard(messages) {}
    ~MemoryMachineTest() override { ReleaseDriverClasses(classes); }

    // A class GUID of our own, numbered so tests can make as many as they need.
    static Guid ClassGuid(uint32_t n) {
        return MakeGuid(0xC1A55000u + n, 0x1234, 0x5678, {0x9A, 0xBC, 0xDE, 0xF0, 0x12, 0x34, 0x56, 0x78});
    }

    // A class with a description (as its key's default value) and `devices` devices.
    Guid AddClass(uint32_t n, const wchar_t* description, int devices = 0) {
        Guid guid = ClassGuid(n);
        machine.AddClass(guid, description);
        for (int i = 0; i < devices; ++i) machine.AddDevice(guid);
        return guid;
    }

    // Points the device's Driver property at "<class GUID>\<subkey>" and creates that key.
    std::wstring GiveDriverKey(uint32_t devInst, const Guid& classGuid, const std::wstring& subkey) {
        std::wstring keyName = MemoryMachine::ClassKeyPath(classGuid);
        keyName = keyName.substr(keyName.rfind(L'\\') + 1);
        machine.PutStringProperty(devInst, spdrp::Driver, keyName + L"\\" + subkey);
        std::wstring path = MemoryMachine::ClassKeyPath(classGuid) + L"\\" + subkey;
        machine.CreateKey(path);
        return path;
    }

    bool Build() { return BuildDriverClasses(classes, &progress); }

    CDriverClass* FindClass(const Guid& guid) const {
        for (const auto& record : classes)
            if (record->GetGuid() == guid) return record.get();
        return nullptr;
    }

    // Builds a machine holding one class with one device, set up by `setup`, and
    // returns the device record (null when the build did not list it).
    template <typename Setup>
    CDevice* BuildOneDevice(Setup setup) {
        Guid guid = AddClass(900, L"Single");
        uint32_t devInst = machine.AddDevice(guid);
        setup(devInst);
        Build();
        CDriverClass* record = FindClass(guid);
        if (!record || record->GetDeviceList().size() != 1) return nullptr;
        return record->GetDeviceList()[0].get();
    }

    MemoryMachine machine;
    MessageRecorder messages;
    ProgressRecorder progress;
    DriverClassList classes;

private:
    AccessGuard m_accessGuard;
    MessagesGuard m_messagesGuard;
};

}  // namespace qx::test
