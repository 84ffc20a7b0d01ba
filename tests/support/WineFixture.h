// A test fixture that runs the model against Wine's real registry and SetupAPI, with
// recorders for its messages and progress, and releases the class list at the end.
#pragma once
#include <gtest/gtest.h>

#include "model/ClassList.h"
#include "tests/support/Recorders.h"
#include "tests/support/TestData.h"
#include "tests/support/WineScratch.h"

namespace qx::test {

class WineTest : public ::testing::Test {
protected:
    WineTest() : m_accessGuard(Win32Access()), m_messagesGuard(messages) {}
    ~WineTest() override { ReleaseDriverClasses(classes); }
    // Before the derived fixtures' scratch keys and devices are removed.
    void TearDown() override { ReleaseDriverClasses(classes); }

    bool Build() { return BuildDriverClasses(classes, &progress); }
    void Rebuild() {
        ReleaseDriverClasses(classes);
        Build();
    }

    CDriverClass* FindClass(const Guid& guid) const {
        for (const auto& record : classes)
            if (record->GetGuid() == guid) return record.get();
        return nullptr;
    }

    MessageRecorder messages;
    ProgressRecorder progress;
    DriverClassList classes;

private:
    AccessGuard m_accessGuard;
    MessagesGuard m_messagesGuard;
};

// A walk of a key tree made with the registry functions alone, for comparing with a
// snapshot: every value's key path, name, type and data, depth first, with the same
// limits as the snapshot (names of 259 characters, data of 4096 bytes, a subkey that
// does not open ends its parent's walk).
struct WalkedValue {
    std::wstring keyPath;
    std::wstring name;
    DWORD type;
    std::vector<uint8_t> data;
};
std::vector<WalkedValue> WalkKey(const std::wstring& rootPath);

// Compares a snapshot's rows with an independent walk of the same key.
::testing::AssertionResult RowsMatchRegistry(const CRegistrySnapshot& snapshot);

}  // namespace qx::test
