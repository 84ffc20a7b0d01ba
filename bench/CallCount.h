// Counts the build's calls to the machine and the time spent inside them, so that the
// time the model spends on its own work can be told from the platform's.
#pragma once
#include <chrono>
#include <cstdint>
#include <string>

#include "model/DeviceAccess.h"

class CountingAccess : public qx::IDeviceAccess {
public:
    explicit CountingAccess(qx::IDeviceAccess& inner) : m_inner(inner) {}

    enum class Op { OpenKey, EnumKey, EnumValue, QueryValue, SetValue, DeleteValue, CloseKey, GetClassDescription, OpenClassKey, GetAllClassDevs, EnumDeviceInfo, GetDeviceRegistryProperty, SetDeviceRegistryProperty, DestroyDeviceInfoList, SecurityDescriptorToText, Count };
    static const char* Name(Op op) {
        static const char* const names[] = {"OpenKey", "EnumKey", "EnumValue", "QueryValue", "SetValue", "DeleteValue", "CloseKey", "GetClassDescription", "OpenClassKey", "GetAllClassDevs", "EnumDeviceInfo", "GetDeviceRegistryProperty", "SetDeviceRegistryProperty", "DestroyDeviceInfoList", "SecurityDescriptorToText"};
        return names[static_cast<int>(op)];
    }

    uint64_t Calls() const { return m_calls; }
    uint64_t Calls(Op op) const { return m_opCalls[static_cast<int>(op)]; }
    double SecondsInside() const { return std::chrono::duration<double>(m_inside).count(); }
    double SecondsInside(Op op) const {
        return std::chrono::duration<double>(m_opInside[static_cast<int>(op)]).count();
    }

private:
    // Defined before its users: they deduce their result from it.
    template <class Call>
    auto Count(Op op, Call call) {
        auto t0 = std::chrono::steady_clock::now();
        auto result = call();
        auto spent = std::chrono::steady_clock::now() - t0;
        m_inside += spent;
        m_opInside[static_cast<int>(op)] += spent;
        ++m_calls;
        ++m_opCalls[static_cast<int>(op)];
        return result;
    }

public:

    long OpenKey(const std::wstring& path, uint32_t sam, qx::KeyHandle* key) override {
        return Count(Op::OpenKey, [&] { return m_inner.OpenKey(path, sam, key); });
    }
    long EnumKey(qx::KeyHandle key, uint32_t index, wchar_t* name, uint32_t cch) override {
        return Count(Op::EnumKey, [&] { return m_inner.EnumKey(key, index, name, cch); });
    }
    long EnumValue(qx::KeyHandle key, uint32_t index, wchar_t* name, uint32_t* cchName, uint32_t* type,
                   uint8_t* data, uint32_t* cbData) override {
        return Count(Op::EnumValue, [&] { return m_inner.EnumValue(key, index, name, cchName, type, data, cbData); });
    }
    long QueryValue(qx::KeyHandle key, const wchar_t* name, uint32_t* type, uint8_t* data,
                    uint32_t* cbData) override {
        return Count(Op::QueryValue, [&] { return m_inner.QueryValue(key, name, type, data, cbData); });
    }
    long SetValue(qx::KeyHandle key, const wchar_t* name, uint32_t type, const uint8_t* data,
                  uint32_t cbData) override {
        return Count(Op::SetValue, [&] { return m_inner.SetValue(key, name, type, data, cbData); });
    }
    long DeleteValue(qx::KeyHandle key, const wchar_t* name) override {
        return Count(Op::DeleteValue, [&] { return m_inner.DeleteValue(key, name); });
    }
    long CloseKey(qx::KeyHandle key) override {
        return Count(Op::CloseKey, [&] { return m_inner.CloseKey(key); });
    }
    bool GetClassDescription(const qx::Guid& guid, wchar_t* buffer, uint32_t cch) override {
        return Count(Op::GetClassDescription, [&] { return m_inner.GetClassDescription(guid, buffer, cch); });
    }
    qx::KeyHandle OpenClassKey(const qx::Guid& guid, uint32_t sam) override {
        return Count(Op::OpenClassKey, [&] { return m_inner.OpenClassKey(guid, sam); });
    }
    qx::DevInfoHandle GetAllClassDevs() override {
        return Count(Op::GetAllClassDevs, [&] { return m_inner.GetAllClassDevs(); });
    }
    bool EnumDeviceInfo(qx::DevInfoHandle set, uint32_t index, qx::DeviceElement* element) override {
        return Count(Op::EnumDeviceInfo, [&] { return m_inner.EnumDeviceInfo(set, index, element); });
    }
    long GetDeviceRegistryProperty(qx::DevInfoHandle set, const qx::DeviceElement& element, uint32_t property,
                                   uint32_t* type, uint8_t* buffer, uint32_t cbBuffer,
                                   uint32_t* cbRequired) override {
        return Count(Op::GetDeviceRegistryProperty, [&] {
            return m_inner.GetDeviceRegistryProperty(set, element, property, type, buffer, cbBuffer, cbRequired);
        });
    }
    bool SetDeviceRegistryProperty(qx::DevInfoHandle set, const qx::DeviceElement& element, uint32_t property,
                                   const uint8_t* buffer, uint32_t cbBuffer) override {
        return Count(Op::SetDeviceRegistryProperty, [&] { return m_inner.SetDeviceRegistryProperty(set, element, property, buffer, cbBuffer); });
    }
    qx::RestartOutcome RestartDevice(qx::DevInfoHandle set, const qx::DeviceElement& element, long* error) override {
        return m_inner.RestartDevice(set, element, error);
    }
    void DestroyDeviceInfoList(qx::DevInfoHandle set) override {
        Count(Op::DestroyDeviceInfoList, [&] {
            m_inner.DestroyDeviceInfoList(set);
            return 0;
        });
    }
    std::wstring SecurityDescriptorToText(const uint8_t* descriptor, uint32_t cb) override {
        return Count(Op::SecurityDescriptorToText, [&] { return m_inner.SecurityDescriptorToText(descriptor, cb); });
    }
    // Not used by the build: passed through uncounted.
    std::wstring GetDeviceInstanceId(const qx::DeviceElement& element) override {
        return m_inner.GetDeviceInstanceId(element);
    }
    bool GetDeviceStatus(const qx::DeviceElement& element, uint32_t* status, uint32_t* problem) override {
        return m_inner.GetDeviceStatus(element, status, problem);
    }
    std::wstring GetWindowsFolder() override { return m_inner.GetWindowsFolder(); }
    bool FileExists(const std::wstring& path) override { return m_inner.FileExists(path); }
    std::wstring ExpandEnvironment(const std::wstring& text) override { return m_inner.ExpandEnvironment(text); }
    std::wstring MapInstallationPath(const std::wstring& path) override { return m_inner.MapInstallationPath(path); }
    bool LoadStringResource(const std::wstring& file, uint32_t id, std::wstring* text) override {
        return m_inner.LoadStringResource(file, id, text);
    }

private:
    qx::IDeviceAccess& m_inner;
    uint64_t m_calls = 0;
    std::chrono::steady_clock::duration m_inside{};
    uint64_t m_opCalls[static_cast<int>(Op::Count)] = {};
    std::chrono::steady_clock::duration m_opInside[static_cast<int>(Op::Count)] = {};
};
