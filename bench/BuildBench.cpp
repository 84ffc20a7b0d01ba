// Start-up at scale: times the class list build, which takes one device set for all
// classes, and the program's whole start-up against the floor, a bare loop that makes
// the calls of a build taking each class's devices in a set of their own, keeping
// nothing. Run it with scripts/bench, which gives it a scratch Wine prefix: it creates
// thousands of devices.
#include <windows.h>
#include <setupapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "model/ClassList.h"
#include "model/DeviceAccess.h"
#include "model/DeviceProperties.h"
#include "model/TextForms.h"
#include "bench/CallCount.h"
#include "bench/StartupBench.h"
#include "bench/TreeBench.h"

namespace {

const wchar_t kClassRoot[] = L"System\\CurrentControlSet\\Control\\Class";
constexpr int kClasses = 4;
// A fifth class whose devices do not grow with the machine: made with the first devices,
// they count among them, the growth going to the four others.
constexpr int kFixedClass = kClasses;
constexpr int kFixedDevices = 100;
// Seven unless QX_BENCH_RUNS says otherwise (fewer for a quick look).
int Runs() {
    const char* runs = std::getenv("QX_BENCH_RUNS");
    int n = runs ? std::atoi(runs) : 0;
    return n > 0 ? n : 7;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Committed private memory, summed over the address space (Wine leaves the process
// counters' private usage at zero).
size_t PrivateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* p = nullptr; VirtualQuery(p, &info, sizeof(info)) == sizeof(info);
         p = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if (info.RegionSize == 0) break;
    }
    return total;
}

std::vector<BYTE> MultiSz(std::initializer_list<const wchar_t*> names) {
    std::vector<BYTE> image;
    for (const wchar_t* name : names) {
        const BYTE* p = reinterpret_cast<const BYTE*>(name);
        image.insert(image.end(), p, p + (wcslen(name) + 1) * sizeof(wchar_t));
    }
    image.push_back(0);
    image.push_back(0);
    return image;
}

// ---- The scratch machine --------------------------------------------------

struct ScratchClass {
    GUID guid;
    std::wstring keyName;
    int devices = 0;
};

std::wstring KeyNameOf(const GUID& g) {
    qx::Guid q;
    q.Data1 = g.Data1;
    q.Data2 = g.Data2;
    q.Data3 = g.Data3;
    std::copy(g.Data4, g.Data4 + 8, q.Data4);
    return qx::GuidText(q);
}

GUID ScratchGuid(int number) {
    return GUID{0x51a7e000u + static_cast<unsigned>(number), 0x1234, 0x4321,
                {0x80, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, static_cast<BYTE>(number)}};
}

bool CreateClass(ScratchClass& c, int number) {
    c.guid = ScratchGuid(number);
    c.keyName = std::wstring(kClassRoot) + L"\\" + KeyNameOf(c.guid);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, c.keyName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    std::wstring description = number == kFixedClass ? std::wstring(L"Bench fixed class")
                                                     : L"Bench class " + std::to_wstring(number);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(description.c_str()),
                   static_cast<DWORD>((description.size() + 1) * sizeof(wchar_t)));
    auto upper = MultiSz({L"benchup", L"benchup2"});
    auto lower = MultiSz({L"benchlow"});
    RegSetValueExW(key, L"UpperFilters", 0, REG_MULTI_SZ, upper.data(), static_cast<DWORD>(upper.size()));
    RegSetValueExW(key, L"LowerFilters", 0, REG_MULTI_SZ, lower.data(), static_cast<DWORD>(lower.size()));
    RegCloseKey(key);
    return true;
}

void SetString(HKEY key, const wchar_t* name, DWORD type, const std::wstring& text) {
    RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// Twelve values of mixed types, and a subkey with a subkey of its own.
void FillDriverKey(HKEY key, int n) {
    DWORD dword = static_cast<DWORD>(n);
    BYTE binary[24];
    for (int i = 0; i < 24; ++i) binary[i] = static_cast<BYTE>(n + i);
    auto multi = MultiSz({L"first", L"second", L"third"});
    SetString(key, L"DriverDesc", REG_SZ, L"Bench device " + std::to_wstring(n));
    SetString(key, L"ProviderName", REG_SZ, L"Quillex bench");
    SetString(key, L"DriverVersion", REG_SZ, L"1.0.0." + std::to_wstring(n));
    SetString(key, L"DriverDate", REG_SZ, L"12-7-2026");
    SetString(key, L"InfPath", REG_SZ, L"oem" + std::to_wstring(n % 100) + L".inf");
    SetString(key, L"InfSection", REG_SZ, L"Bench_Install");
    SetString(key, L"ImagePath", REG_EXPAND_SZ, L"%SystemRoot%\\system32\\drivers\\bench.sys");
    RegSetValueExW(key, L"MatchingDeviceId", 0, REG_MULTI_SZ, multi.data(), static_cast<DWORD>(multi.size()));
    RegSetValueExW(key, L"Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword), 4);
    RegSetValueExW(key, L"Mask", 0, REG_DWORD_BIG_ENDIAN, reinterpret_cast<const BYTE*>(&dword), 4);
    RegSetValueExW(key, L"Blob", 0, REG_BINARY, binary, sizeof(binary));
    RegSetValueExW(key, L"Raw", 0, REG_NONE, binary, 8);
    HKEY sub = nullptr, inner = nullptr;
    if (RegCreateKeyExW(key, L"Parameters", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(sub, L"Level", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword), 4);
        if (RegCreateKeyExW(sub, L"Tuning", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &inner, nullptr) == ERROR_SUCCESS) {
            SetString(inner, L"Mode", REG_SZ, L"fast");
            RegCloseKey(inner);
        }
        RegCloseKey(sub);
    }
}

bool AddDevices(ScratchClass& c, int count, int& serial, const wchar_t* enumerator = L"QXBENCH") {
    HDEVINFO set = SetupDiCreateDeviceInfoList(&c.guid, nullptr);
    if (set == INVALID_HANDLE_VALUE) return false;
    auto upper = MultiSz({L"devup"});
    bool ok = true;
    for (int i = 0; i < count && ok; ++i, ++serial) {
        SP_DEVINFO_DATA data{};
        data.cbSize = sizeof(data);
        // A full instance id of our own: generating one makes the service try every
        // number already taken, which grows with each device made.
        std::wstring name = L"ROOT\\" + std::wstring(enumerator) + L"\\" + std::to_wstring(serial);
        ok = SetupDiCreateDeviceInfoW(set, name.c_str(), &c.guid, nullptr, nullptr, 0, &data) &&
             SetupDiRegisterDeviceInfo(set, &data, 0, nullptr, nullptr, nullptr);
        if (!ok) break;
        std::wstring desc = L"Bench device " + std::to_wstring(serial);
        SetupDiSetDeviceRegistryPropertyW(set, &data, SPDRP_DEVICEDESC, reinterpret_cast<const BYTE*>(desc.c_str()),
                                          static_cast<DWORD>((desc.size() + 1) * sizeof(wchar_t)));
        SetupDiSetDeviceRegistryPropertyW(set, &data, SPDRP_UPPERFILTERS, upper.data(), static_cast<DWORD>(upper.size()));
        HKEY driver = SetupDiCreateDevRegKeyW(set, &data, DICS_FLAG_GLOBAL, 0, DIREG_DRV, nullptr, nullptr);
        if (driver == INVALID_HANDLE_VALUE) {
            ok = false;
            break;
        }
        FillDriverKey(driver, serial);
        RegCloseKey(driver);
        ++c.devices;
    }
    SetupDiDestroyDeviceInfoList(set);
    return ok;
}

// ---- The floor --------------------------------------------------------------
// The calls of the build as it was made before it took one set for all classes: each
// class's devices in a set of its own. Kept as the reference the build is held to.

void FloorKey(const std::wstring& path, HKEY key) {
    wchar_t name[260];
    static BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD cch = 260, cb = sizeof(data), type = 0;
        if (RegEnumValueW(key, i, name, &cch, nullptr, &type, data, &cb) != ERROR_SUCCESS) break;
    }
    wchar_t sub[512];
    for (DWORD i = 0; RegEnumKeyW(key, i, sub, 512) == ERROR_SUCCESS; ++i) {
        std::wstring subPath = path + L"\\" + sub;
        HKEY subKey = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subPath.c_str(), 0, KEY_READ, &subKey) != ERROR_SUCCESS) return;
        FloorKey(subPath, subKey);
        RegCloseKey(subKey);
    }
}

void Floor() {
    HKEY root = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kClassRoot, 0, KEY_READ, &root) != ERROR_SUCCESS) return;
    wchar_t name[512];
    static wchar_t description[4096];
    std::vector<HKEY> keys;
    std::vector<HDEVINFO> sets;
    for (DWORD index = 0; RegEnumKeyW(root, index, name, 512) == ERROR_SUCCESS; ++index) {
        qx::Guid q;
        if (!qx::ParseGuid(name, &q)) continue;
        GUID guid{q.Data1, q.Data2, q.Data3, {}};
        std::copy(q.Data4, q.Data4 + 8, guid.Data4);
        if (!SetupDiGetClassDescriptionW(&guid, description, 4096, nullptr)) continue;
        HKEY classKey = SetupDiOpenClassRegKey(&guid, KEY_ALL_ACCESS);
        if (classKey == INVALID_HANDLE_VALUE) continue;
        BYTE filters[1024];
        DWORD cb = sizeof(filters);
        RegQueryValueExW(classKey, L"UpperFilters", nullptr, nullptr, filters, &cb);
        cb = sizeof(filters);
        RegQueryValueExW(classKey, L"LowerFilters", nullptr, nullptr, filters, &cb);
        keys.push_back(classKey);
        HDEVINFO set = SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_PROFILE);
        if (set == INVALID_HANDLE_VALUE) continue;
        sets.push_back(set);
        SP_DEVINFO_DATA data{};
        data.cbSize = sizeof(data);
        for (DWORD n = 0; SetupDiEnumDeviceInfo(set, n, &data); ++n) {
            std::wstring driver;
            for (const qx::DeviceProperty& row : qx::kDeviceProperties) {
                if (row.form == qx::PropertyForm::NotRead) continue;
                const DWORD property = row.code;
                DWORD type = 0, required = 0;
                SetLastError(0);
                if (SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type, nullptr, 0, &required) ||
                    GetLastError() != ERROR_INSUFFICIENT_BUFFER || required == 0)
                    continue;
                std::vector<BYTE> buffer(required);
                if (!SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type, buffer.data(), required, nullptr))
                    continue;
                if (property == SPDRP_DRIVER) driver = reinterpret_cast<const wchar_t*>(buffer.data());
            }
            if (driver.empty()) continue;
            std::wstring path = std::wstring(kClassRoot) + L"\\" + driver;
            HKEY key = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
            FloorKey(path, key);
            RegCloseKey(key);
        }
    }
    RegCloseKey(root);
    for (HKEY key : keys) RegCloseKey(key);
    for (HDEVINFO set : sets) SetupDiDestroyDeviceInfoList(set);
}

// ---- Measuring ----------------------------------------------------------------

struct Figures {
    double min = 0, median = 0;
};

Figures Summarise(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

size_t SnapshotBytes(const DriverClassList& classes, size_t* devices) {
    size_t bytes = 0;
    *devices = 0;
    for (const auto& c : classes)
        for (const auto& d : c->GetDeviceList()) {
            ++*devices;
            const CRegistrySnapshot* s = d->GetRegistryParameters();
            if (!s) continue;
            const std::wstring* lastPath = nullptr;  // a key's rows share one path
            for (const auto& row : s->GetRows()) {
                bytes += row.GetDataLength() + row.GetValueName().size() * sizeof(wchar_t);
                if (&row.GetKeyPath() != lastPath) bytes += row.GetKeyPath().size() * sizeof(wchar_t);
                lastPath = &row.GetKeyPath();
            }
        }
    return bytes;
}

// One build in a fresh process: the heap has not yet grown for an earlier build, so
// the growth of private memory is what the list costs. Returns bytes per device
// beyond the snapshot data.
DWORD MeasureMemoryOnce() {
    DriverClassList list;
    size_t before = PrivateBytes();
    qx::BuildDriverClasses(list, nullptr);
    size_t after = PrivateBytes();
    size_t devices = 0;
    size_t snapshot = SnapshotBytes(list, &devices);
    if (!devices) return 0;
    return static_cast<DWORD>(after > before + snapshot ? (after - before - snapshot) / devices : 0);
}

DWORD MeasureMemoryInChild() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --memory";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(self, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

void PrintHeader() {
    std::printf("%7s %12s %12s %12s %12s %8s %14s\n", "devices", "build min", "build med", "floor min",
                "floor med", "ratio", "bytes/device");
}

// Devices number from..to-1, shared out among the scratch classes.
// The filters the scratch lists name, as installed kernel drivers with their files, so
// that a change of those lists, and its undo, passes the checks and is written.
bool CreateServices() {
    wchar_t windows[MAX_PATH];
    UINT cch = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH) return false;
    for (const wchar_t* name : {L"benchup", L"benchup2", L"benchlow", L"devup"}) {
        HKEY key = nullptr;
        const std::wstring path = L"System\\CurrentControlSet\\Services\\" + std::wstring(name);
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        const DWORD type = 1, start = 3;  // a kernel driver, started on demand
        RegSetValueExW(key, L"Type", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type), 4);
        RegSetValueExW(key, L"Start", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&start), 4);
        SetString(key, L"ImagePath", REG_EXPAND_SZ, L"system32\\drivers\\" + std::wstring(name) + L".sys");
        RegCloseKey(key);
        const std::wstring file = std::wstring(windows) + L"\\system32\\drivers\\" + name + L".sys";
        HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        CloseHandle(handle);
    }
    return true;
}

bool Grow(int from, int to) {
    std::vector<ScratchClass> classes(kClasses + 1);
    for (int i = 0; i <= kClasses; ++i)
        if (!CreateClass(classes[i], i)) {
            std::printf("could not create the scratch classes\n");
            return false;
        }
    if (from == 0 && !CreateServices()) {
        std::printf("could not create the scratch services\n");
        return false;
    }
    if (to <= kFixedDevices) {
        std::printf("grow to more than %d devices\n", kFixedDevices);
        return false;
    }
    // ROOT\QXBENCHFIXED\0... first; the others keep their numbers from ROOT\QXBENCH\0.
    int fixedSerial = 0;
    if (from == 0 && !AddDevices(classes[kFixedClass], kFixedDevices, fixedSerial, L"QXBENCHFIXED")) {
        std::printf("could not create the fixed class's devices\n");
        return false;
    }
    from = from == 0 ? 0 : from - kFixedDevices;
    to -= kFixedDevices;
    int serial = from;
    for (int i = 0; serial < to; i = (i + 1) % kClasses) {
        int add = std::min(to - serial, (to - from + kClasses - 1) / kClasses);
        if (!AddDevices(classes[i], add, serial)) {
            std::printf("could not create devices (%d made)\n", serial);
            return false;
        }
    }
    return true;
}

// One row of the table for the devices present, and one of the start-up: build, floor
// and start-up interleaved, taking turns to go first, so that none gains from another's
// warming of Wine's caches.
void Measure(int devices) {
    std::vector<double> build, floor, start;
    size_t extraBytes = MeasureMemoryInChild();
    auto timeFloor = [&] {
        auto t0 = std::chrono::steady_clock::now();
        Floor();
        floor.push_back(Seconds(std::chrono::steady_clock::now() - t0));
    };
    auto timeBuild = [&] {
        DriverClassList list;
        auto t0 = std::chrono::steady_clock::now();
        qx::BuildDriverClasses(list, nullptr);
        qx::ReleaseDriverClasses(list);
        build.push_back(Seconds(std::chrono::steady_clock::now() - t0));
    };
    int failedStarts = 0;
    auto timeStartup = [&] {
        double seconds = TimeStartup();
        if (seconds >= 0)
            start.push_back(seconds);
        else
            ++failedStarts;
    };
    const std::function<void()> steps[] = {timeFloor, timeBuild, timeStartup};
    for (int run = 0; run < Runs(); ++run)
        for (int i = 0; i < 3; ++i) steps[(run + i) % 3]();
    Figures b = Summarise(build), f = Summarise(floor);
    std::printf("%7d %11.3fs %11.3fs %11.3fs %11.3fs %8.3f %14zu\n", devices, b.min, b.median, f.min, f.median,
                b.median / f.median, extraBytes);
    if (!start.empty()) {
        Figures s = Summarise(start);
        std::printf("%7s %11.3fs %11.3fs %11.3fs %11.3fs %8.3f   (start-up of quillex.exe at %d / floor)\n",
                    "startup", s.min, s.median, f.min, f.median, s.median / f.median, devices);
    }
    if (failedStarts) std::printf("%7s (%d starts of quillex.exe failed)\n", "", failedStarts);

    // One more build, counted: what the model spends outside the platform's calls.
    CountingAccess counting(qx::Access());
    qx::IDeviceAccess* previous = qx::SetAccess(&counting);
    DriverClassList list;
    auto t0 = std::chrono::steady_clock::now();
    qx::BuildDriverClasses(list, nullptr);
    qx::ReleaseDriverClasses(list);
    double total = Seconds(std::chrono::steady_clock::now() - t0);
    qx::SetAccess(previous);
    std::printf("%7s (one counted build: %llu platform calls, %.3fs in them, %.3fs outside, %.1f%%)\n", "",
                static_cast<unsigned long long>(counting.Calls()), counting.SecondsInside(),
                total - counting.SecondsInside(), 100.0 * (total - counting.SecondsInside()) / total);
    for (int i = 0; i < static_cast<int>(CountingAccess::Op::Count); ++i) {
        auto op = static_cast<CountingAccess::Op>(i);
        if (counting.SecondsInside(op) >= 0.05 * counting.SecondsInside())  // the calls that matter
            std::printf("%7s   %s: %llu calls, %.3fs, %.1f us each\n", "", CountingAccess::Name(op),
                        static_cast<unsigned long long>(counting.Calls(op)), counting.SecondsInside(op),
                        1e6 * counting.SecondsInside(op) / counting.Calls(op));
    }
}

// What a class's device set costs on this machine, against its parts: the walk of every
// device key that any class's set makes (a class no device has), the same with the
// class's elements created (class 0; the fixed class), and a set of one device.
void MeasureSets() {
    const GUID zero = ScratchGuid(0), fixed = ScratchGuid(kFixedClass), none = ScratchGuid(0xFF);
    auto best = [](const std::function<int()>& take, int* count) {
        double least = 0;
        for (int run = 0; run < Runs(); ++run) {
            auto t0 = std::chrono::steady_clock::now();
            *count = take();
            double seconds = Seconds(std::chrono::steady_clock::now() - t0);
            if (run == 0 || seconds < least) least = seconds;
        }
        return least;
    };
    auto classSet = [](const GUID& guid) {
        return [guid]() {
            HDEVINFO set = SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_PROFILE);
            SP_DEVINFO_DATA data{};
            data.cbSize = sizeof(data);
            int n = 0;
            while (SetupDiEnumDeviceInfo(set, n, &data)) ++n;
            SetupDiDestroyDeviceInfoList(set);
            return n;
        };
    };
    auto oneDevice = [&zero]() {
        HDEVINFO set = SetupDiCreateDeviceInfoList(&zero, nullptr);
        SP_DEVINFO_DATA data{};
        data.cbSize = sizeof(data);
        int n = SetupDiOpenDeviceInfoW(set, L"ROOT\\QXBENCH\\0", nullptr, 0, &data) ? 1 : 0;
        SetupDiDestroyDeviceInfoList(set);
        return n;
    };
    int nNone = 0, nZero = 0, nFixed = 0, nOne = 0;
    double walk = best(classSet(none), &nNone), zeroSet = best(classSet(zero), &nZero);
    double fixedSet = best(classSet(fixed), &nFixed), one = best(oneDevice, &nOne);
    std::printf("sets: no class's (%d devices) %.3fs; class 0's (%d) %.3fs; the fixed class's (%d) %.3fs; "
                "one device's (%d) %.4fs\n",
                nNone, walk, nZero, zeroSet, nFixed, fixedSet, nOne, one);
}

void MeasureTree() {
    TreeFigures tree;
    if (RunTreeBench(20000, Runs(), &tree))
        std::printf("%7s %11.3fs %11.3fs %11.3fs %11.3fs %8.3f   (tree fill of %d items / bare inserts)\n", "tree",
                    tree.fillMin, tree.fillMedian, tree.bareMin, tree.bareMedian, tree.fillMedian / tree.bareMedian,
                    tree.items);
    else
        std::printf("tree: the program did not start\n");
}

}  // namespace

// scripts/bench runs each step in a fresh process and lets Wine's services go quiet
// between making devices and timing them (they keep working on new devices for a while):
//   --header | --grow FROM TO | --measure DEVICES | --sets | --tree | --memory (a child of --measure)
int wmain(int argc, wchar_t** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    auto number = [&](int i) { return argc > i ? static_cast<int>(std::wcstol(argv[i], nullptr, 10)) : 0; };
    if (mode == L"--memory") return static_cast<int>(MeasureMemoryOnce());
    if (mode == L"--header") {
        PrintHeader();
    } else if (mode == L"--grow" && number(3) > number(2)) {
        return Grow(number(2), number(3)) ? 0 : 1;
    } else if (mode == L"--measure" && number(2) > 0) {
        Measure(number(2));
    } else if (mode == L"--sets") {
        MeasureSets();
    } else if (mode == L"--tree") {
        MeasureTree();
    } else {
        std::printf("usage: quillex_bench --header | --grow FROM TO | --measure DEVICES | --sets | --tree\n");
        return 2;
    }
    return 0;
}
