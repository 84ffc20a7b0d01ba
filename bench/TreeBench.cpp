// The class tree's fill against a bare loop of the same tree inserts, on an in-memory
// machine of 20,000 devices that all have a physical device object (Wine's devices have
// none, so its tree would show no device items).
#include "bench/TreeBench.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "model/TextForms.h"
#include "tests/support/MemoryMachine.h"
#include "tests/support/Recorders.h"
#include "ui/CarvelApp.h"
#include "ui/CarvelDoc.h"
#include "ui/MainFrame.h"
#include "ui/VelorTreeView.h"

namespace {

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

// Exactly the inserts the fill makes, keeping nothing but the class items' handles.
void BareInserts(CTreeView& tree, const DriverClassList& classes) {
    for (const auto& pClass : classes) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = const_cast<wchar_t*>(pClass->GetDescription().c_str());
        insert.item.lParam = reinterpret_cast<LPARAM>(pClass.get());
        HTREEITEM hClass = tree.InsertItem(insert);
        wchar_t label[16];
        for (const auto& device : pClass->GetDeviceList()) {
            if (device->GetDeviceName().empty()) continue;
            swprintf(label, 16, L"%04.4X", static_cast<unsigned>(device->GetIndex()));
            insert.hParent = hClass;
            insert.item.pszText = label;
            insert.item.lParam = reinterpret_cast<LPARAM>(device.get());
            tree.InsertItem(insert);
        }
    }
}

}  // namespace

bool RunTreeBench(int devices, int runs, TreeFigures* figures) {
    qx::test::MemoryMachine machine;
    constexpr int kClasses = 20;
    for (int c = 0; c < kClasses; ++c) {
        qx::Guid guid = {0x7e000000u + static_cast<uint32_t>(c), 1, 2, {1, 2, 3, 4, 5, 6, 7, static_cast<uint8_t>(c)}};
        machine.AddClass(guid, (L"Tree bench class " + std::to_wstring(c)).c_str());
        for (int d = 0; d < devices / kClasses; ++d) {
            uint32_t devInst = machine.AddDevice(guid);
            machine.PutStringProperty(devInst, qx::spdrp::PhysicalDeviceObjectName,
                                      L"\\Device\\QXB" + std::to_wstring(devInst));
        }
    }
    qx::test::AccessGuard swap(machine);

    std::wstring cmdLine;
    AfxWinInit(GetModuleHandleW(nullptr), nullptr, &cmdLine[0], SW_SHOW);
    if (!theApp.InitInstance()) return false;
    auto* frame = dynamic_cast<CMainFrame*>(theApp.m_pMainWnd);
    auto* tree = frame ? dynamic_cast<CVelorTreeView*>(frame->GetSplitter().GetPane(0, 0)) : nullptr;
    auto* doc = tree ? tree->GetDocument() : nullptr;
    if (!doc) return false;
    const DriverClassList& classes = doc->GetDriverClasses();
    Pump(200);

    std::vector<double> fill, bare;
    for (int run = 0; run < runs; ++run) {
        tree->DeleteAllItems();
        auto t0 = std::chrono::steady_clock::now();
        BareInserts(*tree, classes);
        bare.push_back(Seconds(std::chrono::steady_clock::now() - t0));
        tree->DeleteAllItems();
        t0 = std::chrono::steady_clock::now();
        tree->FillTree(classes);
        fill.push_back(Seconds(std::chrono::steady_clock::now() - t0));
    }
    std::sort(fill.begin(), fill.end());
    std::sort(bare.begin(), bare.end());
    figures->fillMin = fill.front();
    figures->fillMedian = fill[fill.size() / 2];
    figures->bareMin = bare.front();
    figures->bareMedian = bare[bare.size() / 2];
    figures->items = static_cast<int>(tree->GetCount());

    frame->SendMessage(WM_CLOSE);
    Pump(200);
    theApp.ExitInstance();
    return true;
}
