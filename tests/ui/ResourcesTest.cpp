// Checks the resources linked into this test program from res/quillex.rc: the dialog
// templates as stored (read by hand), the dialogs as the window manager builds them, the
// menu, accelerators, string table, toolbar data, icon and manifest.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "model/DeviceProperties.h"
#include "model/IndirectText.h"
#include "res/resource.h"
#include "ui/framework/Afx.h"

namespace {

// ---- Reading a dialog template --------------------------------------------

struct DlgItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rc{};  // left, top, right, bottom in dialog units
    WORD id = 0;
    std::wstring cls;   // ordinal classes are given their names
    std::wstring text;
    WORD textOrdinal = 0;  // an icon's resource id
};

struct DlgTemplate {
    DWORD style = 0;
    RECT rc{};
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring font;
    std::vector<DlgItem> items;

    const DlgItem* Find(WORD id) const {
        for (const DlgItem& item : items) {
            if (item.id == id) return &item;
        }
        return nullptr;
    }
};

class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : base_(data), p_(data) {}

    WORD Word() { WORD w; std::memcpy(&w, p_, 2); p_ += 2; return w; }
    DWORD Dword() { DWORD d; std::memcpy(&d, p_, 4); p_ += 4; return d; }
    short Short() { return static_cast<short>(Word()); }
    void Skip(size_t cb) { p_ += cb; }
    void AlignDword() { p_ = base_ + ((p_ - base_ + 3) & ~static_cast<ptrdiff_t>(3)); }

    std::wstring String() {
        std::wstring s;
        for (WORD w = Word(); w != 0; w = Word()) s += static_cast<wchar_t>(w);
        return s;
    }
    // A string or, after 0xFFFF, an ordinal.
    std::wstring StringOrOrdinal(WORD* ordinal) {
        *ordinal = 0;
        WORD first;
        std::memcpy(&first, p_, 2);
        if (first == 0xFFFF) {
            Skip(2);
            *ordinal = Word();
            return std::wstring();
        }
        return String();
    }

private:
    const BYTE* base_;
    const BYTE* p_;
};

std::wstring PredefinedClass(WORD ordinal) {
    switch (ordinal) {
        case 0x80: return L"Button";
        case 0x81: return L"Edit";
        case 0x82: return L"Static";
        case 0x83: return L"ListBox";
        case 0x84: return L"ScrollBar";
        case 0x85: return L"ComboBox";
        default: return L"#" + std::to_wstring(ordinal);
    }
}

RECT DluRect(short x, short y, short cx, short cy) { return RECT{x, y, x + cx, y + cy}; }

// Reads DIALOG and DIALOGEX templates of this program.
DlgTemplate LoadTemplate(int id) {
    DlgTemplate t;
    HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (!res) {
        ADD_FAILURE() << "no dialog template " << id;
        return t;
    }
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res)));
    TemplateReader r(data);
    WORD version = r.Word();
    WORD signature = r.Word();
    const bool ex = version == 1 && signature == 0xFFFF;
    WORD count;
    if (ex) {
        r.Dword();  // help id
        r.Dword();  // extended style
        t.style = r.Dword();
    } else {
        r = TemplateReader(data);
        t.style = r.Dword();
        r.Dword();
    }
    count = r.Word();
    short x = r.Short(), y = r.Short(), cx = r.Short(), cy = r.Short();
    t.rc = DluRect(x, y, cx, cy);
    WORD ordinal;
    r.StringOrOrdinal(&ordinal);  // menu
    r.StringOrOrdinal(&ordinal);  // class
    t.caption = r.String();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Word();
        if (ex) r.Skip(4);  // weight, italic, character set
        t.font = r.String();
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword();
        DlgItem item;
        if (ex) {
            r.Dword();
            item.exStyle = r.Dword();
            item.style = r.Dword();
        } else {
            item.style = r.Dword();
            item.exStyle = r.Dword();
        }
        short ix = r.Short(), iy = r.Short(), icx = r.Short(), icy = r.Short();
        item.rc = DluRect(ix, iy, icx, icy);
        item.id = ex ? static_cast<WORD>(r.Dword()) : r.Word();
        WORD classOrdinal;
        item.cls = r.StringOrOrdinal(&classOrdinal);
        if (classOrdinal) item.cls = PredefinedClass(classOrdinal);
        item.text = r.StringOrOrdinal(&item.textOrdinal);
        r.Skip(r.Word());  // creation data
        t.items.push_back(item);
    }
    return t;
}

bool SameClass(const std::wstring& a, const wchar_t* b) { return lstrcmpiW(a.c_str(), b) == 0; }

bool Intersect(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

::testing::AssertionResult HasRect(const DlgTemplate& t, WORD id, short x, short y, short cx, short cy) {
    const DlgItem* item = t.Find(id);
    if (!item) return ::testing::AssertionFailure() << "no control " << id;
    RECT want = DluRect(x, y, cx, cy);
    if (!EqualRect(&item->rc, &want)) {
        return ::testing::AssertionFailure()
               << "control " << id << " is at " << item->rc.left << "," << item->rc.top << " "
               << item->rc.right - item->rc.left << "x" << item->rc.bottom - item->rc.top
               << ", not " << x << "," << y << " " << cx << "x" << cy;
    }
    return ::testing::AssertionSuccess();
}

// ---- Creating a dialog -------------------------------------------------------

void EnsureCommonControls() {
    // The test program does not link comctl32; the manifest picks version 6.
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx")));
    ASSERT_NE(init, nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ASSERT_TRUE(init(&icc));
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

struct Window {
    HWND h = nullptr;
    Window() = default;
    explicit Window(HWND hwnd) : h(hwnd) {}
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window() { if (h) DestroyWindow(h); }
};

HWND CreateDialogFromTemplate(int id, HWND parent) {
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), parent, PlainDialogProc, 0);
}

std::wstring ClassOf(HWND h) {
    wchar_t name[64] = {};
    GetClassNameW(h, name, 64);
    return name;
}

std::wstring TextOf(HWND h) {
    wchar_t text[512] = {};
    GetWindowTextW(h, text, 512);
    return text;
}

std::vector<WORD> ChildIds(HWND dlg) {
    std::vector<WORD> ids;
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        ids.push_back(static_cast<WORD>(GetDlgCtrlID(c)));
    }
    return ids;
}

std::wstring LoadStr(UINT id) {
    const wchar_t* p = nullptr;
    int cch = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&p), 0);
    return cch > 0 ? std::wstring(p, cch) : std::wstring();
}

std::vector<std::wstring> Split(const std::wstring& s, wchar_t sep) {
    std::vector<std::wstring> parts(1);
    for (wchar_t c : s) {
        if (c == sep) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

// ---- The information form's data ---------------------------------------------

const WORD kNoId = 0xFFFF;  // IDC_STATIC as a template stores it

// Every control of template 101 in tab order.
const std::vector<WORD> kInfoFormOrder = {
    1000, 1001, 1002, 1003, 1005, 1004, 1006, 1007, 1009, 1010, 1013, 1014, 1015, 1016, 1017,
    1018, 1019, 1020, 1021, 1030, 1022, 1031, 1023, 1032, 1024, 1033, 1025, 1034, 1026, 1035,
    1036, 1028, 1037, 1029, 1038, 1039, 1040, 1041, IDC_DEVICE_INSTANCE_ID_LABEL, IDC_DEVICE_INSTANCE_ID, 1042, 1043, 1044, 1045, 1046, 1047, 1048,
    1049, 1050, 1051, 1052, 1053, 1054, 1055, 1056, 1058, 1059, 1060, 1061, 1086, 1087, 1088,
    1089, 1090, 1091, 1092, 1093, 1094, 1095, 1096, 1062, 1063, 1064, 1027, 1057, 1065, kNoId};

struct Field {
    WORD edit;
    WORD label;
    const wchar_t* text;
};

const Field kFields[] = {
    {IDC_CLASS_GUID, IDC_CLASS_GUID_LABEL, L"Class Guid:"},
    {IDC_CLASS_NAME, IDC_CLASS_NAME_LABEL, L"Class Name:"},
    {IDC_CLASS_LOWER_FILTERS, IDC_CLASS_LOWER_FILTERS_LABEL, L"Class Lower Filters:"},
    {IDC_CLASS_UPPER_FILTERS, IDC_CLASS_UPPER_FILTERS_LABEL, L"Class Upper Filters:"},
    {IDC_DEVICE_ADDRESS, IDC_DEVICE_ADDRESS_LABEL, L"Address:"},
    {IDC_DEVICE_INSTANCE_ID, IDC_DEVICE_INSTANCE_ID_LABEL, L"Instance ID:"},
    {IDC_DEVICE_BUS_NUMBER, IDC_DEVICE_BUS_NUMBER_LABEL, L"Bus Number:"},
    {IDC_DEVICE_BUS_TYPE_GUID, IDC_DEVICE_BUS_TYPE_GUID_LABEL, L"Bus Type Guid:"},
    {IDC_DEVICE_CAPABILITIES, IDC_DEVICE_CAPABILITIES_LABEL, L"Capabilities:"},
    {IDC_DEVICE_CHARACTERISTICS, IDC_DEVICE_CHARACTERISTICS_LABEL, L"Characteristics:"},
    {IDC_DEVICE_CLASS, IDC_DEVICE_CLASS_LABEL, L"Class:"},
    {IDC_DEVICE_CLASS_GUID, IDC_DEVICE_CLASS_GUID_LABEL, L"Class Guid:"},
    {IDC_DEVICE_CONFIG_FLAGS, IDC_DEVICE_CONFIG_FLAGS_LABEL, L"Config Flags:"},
    {IDC_DEVICE_CONFIGURATION, IDC_DEVICE_CONFIGURATION_LABEL, L"Configuration:"},
    {IDC_DEVICE_FRIENDLY_NAME, IDC_DEVICE_FRIENDLY_NAME_LABEL, L"Friendly Name:"},
    {IDC_DEVICE_NAME, IDC_DEVICE_NAME_LABEL, L"Device Name:"},
    {IDC_DEVICE_CONFIG_VECTOR, IDC_DEVICE_CONFIG_VECTOR_LABEL, L"Config Vector:"},
    {IDC_DEVICE_TYPE, IDC_DEVICE_TYPE_LABEL, L"Dev Type:"},
    {IDC_DEVICE_DESC, IDC_DEVICE_DESC_LABEL, L"Device Desc.:"},
    {IDC_DEVICE_DRIVER, IDC_DEVICE_DRIVER_LABEL, L"Driver:"},
    {IDC_DEVICE_ENUMERATOR, IDC_DEVICE_ENUMERATOR_LABEL, L"Enumerator:"},
    {IDC_DEVICE_EXCLUSIVE, IDC_DEVICE_EXCLUSIVE_LABEL, L"Exclusive:"},
    {IDC_DEVICE_HARDWARE_ID, IDC_DEVICE_HARDWARE_ID_LABEL, L"Hardware ID:"},
    {IDC_DEVICE_LOCATION_INFO, IDC_DEVICE_LOCATION_INFO_LABEL, L"Location Info:"},
    {IDC_DEVICE_MFG, IDC_DEVICE_MFG_LABEL, L"Manufacturer:"},
    {IDC_DEVICE_NT_DEVICE_PATHS, IDC_DEVICE_NT_DEVICE_PATHS_LABEL, L"NT Device Paths:"},
    {IDC_DEVICE_PDO_NAME, IDC_DEVICE_PDO_NAME_LABEL, L"PDO Name:"},
    {IDC_DEVICE_SECURITY, IDC_DEVICE_SECURITY_LABEL, L"Security:"},
    {IDC_DEVICE_SECURITY_SDS, IDC_DEVICE_SECURITY_SDS_LABEL, L"Security SDS:"},
    {IDC_DEVICE_SERVICE, IDC_DEVICE_SERVICE_LABEL, L"Service:"},
    {IDC_DEVICE_UI_NUMBER, IDC_DEVICE_UI_NUMBER_LABEL, L"UI Number:"},
    {IDC_DEVICE_LEGACY_BUS_TYPE, IDC_DEVICE_LEGACY_BUS_TYPE_LABEL, L"Legacy Bus Type:"},
    {IDC_DEVICE_INSTANCE, IDC_DEVICE_INSTANCE_LABEL, L"Device Instance:"},
};

const WORD kListBoxes[] = {IDC_COMPATIBLE_IDS_LIST, IDC_LOWER_FILTERS_LIST, IDC_UPPER_FILTERS_LIST};

bool IsClassField(WORD edit) {
    return edit == IDC_CLASS_GUID || edit == IDC_CLASS_NAME || edit == IDC_CLASS_LOWER_FILTERS ||
           edit == IDC_CLASS_UPPER_FILTERS;
}

// ---- Tests ---------------------------------------------------------------------

TEST(ResourcesTest, InfoFormIsAChildTemplateWithItsControlsInTabOrder) {
    DlgTemplate t = LoadTemplate(IDD_INFO_FORM);
    EXPECT_EQ(t.style, static_cast<DWORD>(WS_CHILD | DS_SETFONT)) << std::hex << t.style;
    EXPECT_EQ(t.rc.right, 484);
    EXPECT_EQ(t.rc.bottom, 376);
    EXPECT_EQ(t.caption, L"");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.font, L"MS Sans Serif");

    std::vector<WORD> ids;
    for (const DlgItem& item : t.items) ids.push_back(item.id);
    EXPECT_EQ(ids, kInfoFormOrder);

    for (const Field& f : kFields) {
        SCOPED_TRACE(f.edit);
        ASSERT_NE(t.Find(f.edit), nullptr);
        ASSERT_NE(t.Find(f.label), nullptr);
        EXPECT_TRUE(SameClass(t.Find(f.edit)->cls, L"Edit"));
        EXPECT_TRUE(SameClass(t.Find(f.label)->cls, L"Static"));
        EXPECT_EQ(t.Find(f.label)->text, f.text);
        EXPECT_EQ(t.Find(f.edit)->text, L"");
    }
    EXPECT_EQ(t.Find(IDC_COMPATIBLE_IDS_LABEL)->text, L"Compatible Ids:");
    EXPECT_EQ(t.Find(IDC_LOWER_FILTERS_LABEL)->text, L"Device Lower Filters:");
    EXPECT_EQ(t.Find(IDC_UPPER_FILTERS_LABEL)->text, L"Device Upper Filters:");
    EXPECT_EQ(t.Find(IDC_DEVICE_GROUP)->text, L"Device Information");
    EXPECT_EQ(t.Find(IDC_MODIFY_UPPER)->text, L"Modify Class &Upper Filters");
    EXPECT_EQ(t.Find(IDC_MODIFY_LOWER)->text, L"Modify Class &Lower Filters");
    EXPECT_TRUE(SameClass(t.Find(IDC_REGISTRY_LIST)->cls, L"SysListView32")) << t.Find(IDC_REGISTRY_LIST)->cls;

    const DlgItem& icon = t.items.back();
    EXPECT_TRUE(SameClass(icon.cls, L"Static"));
    EXPECT_EQ(icon.style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
    EXPECT_EQ(icon.textOrdinal, IDR_MAINFRAME);
}

TEST(ResourcesTest, InfoFormPlacesEveryFieldBesideItsLabel) {
    DlgTemplate t = LoadTemplate(IDD_INFO_FORM);
    ASSERT_EQ(t.items.size(), kInfoFormOrder.size());
    const RECT form{0, 0, 484, 376};
    const RECT group = t.Find(IDC_DEVICE_GROUP)->rc;
    for (const Field& f : kFields) {
        SCOPED_TRACE(f.text);
        const RECT& edit = t.Find(f.edit)->rc;
        const RECT& label = t.Find(f.label)->rc;
        EXPECT_EQ(edit.bottom - edit.top, 14);
        EXPECT_EQ(label.bottom - label.top, 8);
        // The label stands on the edit's row and ends before the edit starts.
        EXPECT_LE(label.right, edit.left);
        EXPECT_GE(label.top, edit.top);
        EXPECT_LE(label.bottom, edit.bottom);
        EXPECT_TRUE(Contains(form, edit));
        EXPECT_EQ(Contains(group, edit), !IsClassField(f.edit));
        EXPECT_EQ(Contains(group, label), !IsClassField(f.edit));
        for (const Field& other : kFields) {
            if (other.edit == f.edit) continue;
            EXPECT_FALSE(Intersect(edit, t.Find(other.edit)->rc)) << "overlaps edit " << other.edit;
            EXPECT_FALSE(Intersect(label, t.Find(other.edit)->rc)) << "label overlaps edit " << other.edit;
            EXPECT_FALSE(Intersect(label, t.Find(other.label)->rc)) << "overlaps label " << other.label;
        }
    }

    // A sample of the exact places.
    EXPECT_TRUE(HasRect(t, IDC_CLASS_GUID_LABEL, 14, 22, 47, 8));
    EXPECT_TRUE(HasRect(t, IDC_CLASS_GUID, 70, 19, 152, 14));
    EXPECT_TRUE(HasRect(t, IDC_CLASS_UPPER_FILTERS, 302, 42, 152, 14));
    EXPECT_TRUE(HasRect(t, IDC_DEVICE_DESC, 78, 130, 153, 14));
    EXPECT_TRUE(HasRect(t, IDC_DEVICE_CONFIG_VECTOR, 377, 176, 86, 14));
    EXPECT_TRUE(HasRect(t, IDC_DEVICE_LEGACY_BUS_TYPE_LABEL, 167, 211, 59, 8));
    EXPECT_TRUE(HasRect(t, IDC_DEVICE_SERVICE_LABEL, 247, 134, 53, 8));
    EXPECT_TRUE(HasRect(t, IDC_DEVICE_INSTANCE, 78, 159, 85, 14));
    EXPECT_TRUE(HasRect(t, IDC_DEVICE_INSTANCE_LABEL, 18, 162, 57, 8));
    EXPECT_TRUE(HasRect(t, IDC_DEVICE_SECURITY_SDS, 227, 237, 85, 14));
    EXPECT_TRUE(HasRect(t, IDC_DEVICE_GROUP, 13, 67, 457, 267));
    EXPECT_TRUE(HasRect(t, IDC_COMPATIBLE_IDS_LIST, 19, 287, 144, 38));
    EXPECT_TRUE(HasRect(t, IDC_LOWER_FILTERS_LIST, 169, 287, 144, 38));
    EXPECT_TRUE(HasRect(t, IDC_UPPER_FILTERS_LIST, 318, 287, 144, 38));
    EXPECT_TRUE(HasRect(t, IDC_REGISTRY_LIST, 17, 158, 448, 172));
    EXPECT_TRUE(HasRect(t, IDC_MODIFY_UPPER, 130, 339, 93, 14));
    EXPECT_TRUE(HasRect(t, IDC_MODIFY_LOWER, 254, 339, 93, 14));
    EXPECT_TRUE(HasRect(t, kNoId, 229, 339, 20, 20));

    // The registry list covers the device rows from "Device Instance:" down, the three
    // list boxes included, and nothing above them.
    const RECT list = t.Find(IDC_REGISTRY_LIST)->rc;
    EXPECT_TRUE(Contains(group, list));
    for (WORD id : {WORD(IDC_DEVICE_INSTANCE), WORD(IDC_DEVICE_INSTANCE_LABEL), WORD(IDC_DEVICE_TYPE),
                    WORD(IDC_DEVICE_UI_NUMBER), WORD(IDC_COMPATIBLE_IDS_LIST), WORD(IDC_LOWER_FILTERS_LIST),
                    WORD(IDC_UPPER_FILTERS_LIST)}) {
        EXPECT_TRUE(Contains(list, t.Find(id)->rc)) << id;
    }
    for (const DlgItem& item : t.items) {
        if (item.id == IDC_REGISTRY_LIST || item.id == IDC_DEVICE_GROUP) continue;
        SCOPED_TRACE(item.id);
        if (Contains(group, item.rc) && item.rc.top >= list.top) {
            EXPECT_TRUE(Contains(list, item.rc)) << "sticks out of the registry list";
        } else {
            EXPECT_FALSE(Intersect(list, item.rc)) << "partly under the registry list";
        }
    }
    // The buttons and the icon sit below the group, in the form.
    for (WORD id : {WORD(IDC_MODIFY_UPPER), WORD(IDC_MODIFY_LOWER), kNoId}) {
        EXPECT_GE(t.Find(id)->rc.top, group.bottom);
        EXPECT_TRUE(Contains(form, t.Find(id)->rc));
    }
}

TEST(ResourcesTest, InfoFormControlStyles) {
    DlgTemplate t = LoadTemplate(IDD_INFO_FORM);
    const DWORD editStyle = ES_RIGHT | ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP;
    for (const Field& f : kFields) {
        SCOPED_TRACE(f.text);
        const DWORD style = t.Find(f.edit)->style;
        EXPECT_EQ(style & editStyle, editStyle) << std::hex << style;
        EXPECT_EQ(style & (ES_MULTILINE | ES_CENTER), 0u);
        EXPECT_EQ((style & WS_GROUP) != 0, !IsClassField(f.edit));
        EXPECT_EQ(style & (WS_VISIBLE | WS_CHILD | WS_DISABLED), static_cast<DWORD>(WS_VISIBLE | WS_CHILD));
        const DWORD labelStyle = t.Find(f.label)->style;
        EXPECT_EQ(labelStyle & SS_TYPEMASK, static_cast<DWORD>(SS_LEFT));
        EXPECT_EQ(labelStyle & WS_TABSTOP, 0u);
    }
    const DWORD listStyle = LBS_SORT | LBS_NOSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
                            WS_BORDER | WS_TABSTOP | WS_GROUP;
    for (WORD id : kListBoxes) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(SameClass(t.Find(id)->cls, L"ListBox"));
        EXPECT_EQ(t.Find(id)->style & ~static_cast<DWORD>(WS_CHILD | WS_VISIBLE), listStyle)
            << std::hex << t.Find(id)->style;
    }

    const DWORD lv = t.Find(IDC_REGISTRY_LIST)->style;
    EXPECT_EQ(lv & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
    EXPECT_TRUE(lv & LVS_OWNERDRAWFIXED);
    EXPECT_EQ(lv & (WS_BORDER | WS_TABSTOP | WS_GROUP), static_cast<DWORD>(WS_BORDER | WS_TABSTOP | WS_GROUP));
    EXPECT_EQ(lv & WS_VISIBLE, 0u) << "the registry list is hidden until the option is on";
    EXPECT_EQ(lv & (LVS_SHOWSELALWAYS | LVS_SORTASCENDING | LVS_SORTDESCENDING), 0u);

    for (WORD id : {WORD(IDC_MODIFY_UPPER), WORD(IDC_MODIFY_LOWER)}) {
        SCOPED_TRACE(id);
        const DWORD style = t.Find(id)->style;
        EXPECT_TRUE(SameClass(t.Find(id)->cls, L"Button"));
        EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
        EXPECT_TRUE(style & WS_DISABLED) << "Safe Mode is on at start";
        EXPECT_TRUE(style & WS_TABSTOP);
    }
    EXPECT_EQ(t.Find(IDC_DEVICE_GROUP)->style & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX));
}

// The property table's rows and the form: each row's label stands in template 101 with
// the row's text (quillexc prints that text as its label), and each edit and list box of
// the device group shows one row, the device number's and instance ID's edits aside.
TEST(ResourcesTest, EveryDevicePropertyHasItsLabelAndFieldInTheForm) {
    DlgTemplate t = LoadTemplate(IDD_INFO_FORM);
    std::vector<WORD> shown;
    for (const qx::DeviceProperty& row : qx::kDeviceProperties) {
        SCOPED_TRACE(row.jsonKey);
        const DlgItem* label = t.Find(row.labelId);
        const DlgItem* field = t.Find(row.fieldId);
        ASSERT_NE(label, nullptr);
        ASSERT_NE(field, nullptr);
        EXPECT_TRUE(SameClass(label->cls, L"Static"));
        EXPECT_EQ(label->text, std::wstring(row.label) + L":");
        EXPECT_TRUE(SameClass(field->cls, row.list == qx::DeviceNameList::None ? L"Edit" : L"ListBox")) << field->cls;
        shown.push_back(row.fieldId);
    }
    const RECT group = t.Find(IDC_DEVICE_GROUP)->rc;
    for (const DlgItem& item : t.items) {
        if (!(SameClass(item.cls, L"Edit") || SameClass(item.cls, L"ListBox")) || !Contains(group, item.rc) ||
            item.id == IDC_DEVICE_INSTANCE || item.id == IDC_DEVICE_INSTANCE_ID)
            continue;
        EXPECT_NE(std::find(shown.begin(), shown.end(), item.id), shown.end()) << "no row shows control " << item.id;
    }
}

TEST(ResourcesTest, InfoFormCreatesAsAChildWindow) {
    EnsureCommonControls();
    Window host(CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 900, 800, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_NE(host.h, nullptr);
    Window form(CreateDialogFromTemplate(IDD_INFO_FORM, host.h));
    ASSERT_NE(form.h, nullptr) << GetLastError();
    EXPECT_EQ(GetParent(form.h), host.h);

    // The window order, which is the tab order, is the template's.
    EXPECT_EQ(ChildIds(form.h), kInfoFormOrder);
    EXPECT_EQ(GetDlgCtrlID(GetNextDlgTabItem(form.h, nullptr, FALSE)), IDC_CLASS_GUID);

    HWND list = GetDlgItem(form.h, IDC_REGISTRY_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ClassOf(list), L"SysListView32");
    EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);

    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form.h, IDC_MODIFY_UPPER)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form.h, IDC_MODIFY_LOWER)));
    for (const Field& f : kFields) {
        HWND edit = GetDlgItem(form.h, f.edit);
        ASSERT_NE(edit, nullptr) << f.text;
        EXPECT_TRUE(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY) << f.text;
        EXPECT_EQ(TextOf(GetDlgItem(form.h, f.label)), f.text);
    }
    for (WORD id : kListBoxes) {
        EXPECT_EQ(ClassOf(GetDlgItem(form.h, id)), L"ListBox");
    }

    // Dialog units become the same pixels as the window manager's own mapping.
    for (WORD id : {WORD(IDC_CLASS_GUID), WORD(IDC_DEVICE_CONFIG_VECTOR), WORD(IDC_REGISTRY_LIST)}) {
        SCOPED_TRACE(id);
        RECT want = LoadTemplate(IDD_INFO_FORM).Find(id)->rc;
        ASSERT_TRUE(MapDialogRect(form.h, &want));
        RECT got;
        GetWindowRect(GetDlgItem(form.h, id), &got);
        MapWindowPoints(nullptr, form.h, reinterpret_cast<POINT*>(&got), 2);
        EXPECT_TRUE(EqualRect(&want, &got)) << got.left << "," << got.top << "," << got.right << "," << got.bottom;
    }

    HWND icon = GetWindow(GetDlgItem(form.h, IDC_REGISTRY_LIST), GW_HWNDNEXT);
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(SendMessageW(icon, STM_GETICON, 0, 0), 0) << "the application icon is loaded";
}

TEST(ResourcesTest, ModifyFiltersDialogPutsOkFirst) {
    DlgTemplate t = LoadTemplate(IDD_MODIFY_FILTERS);
    EXPECT_EQ(t.caption, L"Modify Filters");
    EXPECT_EQ(t.rc.right, 221);
    EXPECT_EQ(t.rc.bottom, 97);
    EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK |
                                          DS_CENTER | DS_SETFONT)) << std::hex << t.style;
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.font, L"MS Sans Serif");

    std::vector<WORD> ids;
    for (const DlgItem& item : t.items) ids.push_back(item.id);
    EXPECT_EQ(ids, (std::vector<WORD>{IDOK, IDCANCEL, IDC_FILTERS_LABEL, IDC_FILTERS_EDIT, IDC_FILTERS_HINT, kNoId}));

    const DlgItem* ok = t.Find(IDOK);
    const DlgItem* cancel = t.Find(IDCANCEL);
    const DlgItem* label = t.Find(IDC_FILTERS_LABEL);
    const DlgItem* edit = t.Find(IDC_FILTERS_EDIT);
    ASSERT_TRUE(ok && cancel && label && edit);
    EXPECT_EQ(ok->text, L"OK");
    EXPECT_EQ(ok->style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_TRUE(ok->style & WS_TABSTOP);
    EXPECT_EQ(cancel->text, L"Cancel");
    EXPECT_EQ(cancel->style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
    EXPECT_TRUE(cancel->style & WS_TABSTOP);
    EXPECT_EQ(label->text, L"Upper Filters:");
    EXPECT_TRUE(label->style & WS_GROUP);
    const DWORD editStyle = ES_RIGHT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    EXPECT_EQ(edit->style & editStyle, editStyle);
    EXPECT_EQ(edit->style & (ES_READONLY | ES_MULTILINE | WS_DISABLED), 0u) << "the user types here";
    EXPECT_EQ(t.items.back().style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
    EXPECT_EQ(t.items.back().textOrdinal, IDR_MAINFRAME);

    EXPECT_TRUE(HasRect(t, IDOK, 48, 70, 50, 14));
    EXPECT_TRUE(HasRect(t, IDCANCEL, 122, 70, 50, 14));
    EXPECT_TRUE(HasRect(t, IDC_FILTERS_LABEL, 17, 40, 48, 8));
    EXPECT_TRUE(HasRect(t, IDC_FILTERS_EDIT, 68, 38, 136, 14));
    EXPECT_TRUE(HasRect(t, kNoId, 18, 14, 20, 20));

    EnsureCommonControls();
    Window dlg(CreateDialogFromTemplate(IDD_MODIFY_FILTERS, nullptr));
    ASSERT_NE(dlg.h, nullptr);
    EXPECT_EQ(LOWORD(SendMessageW(dlg.h, DM_GETDEFID, 0, 0)), IDOK);
    EXPECT_EQ(GetDlgCtrlID(GetNextDlgTabItem(dlg.h, nullptr, FALSE)), IDOK);
    EXPECT_EQ(TextOf(dlg.h), L"Modify Filters");
}

TEST(ResourcesTest, SplashShowsVersionMakerStatusAndProgress) {
    DlgTemplate t = LoadTemplate(IDD_SPLASH);
    EXPECT_EQ(t.caption, L"Quillex V1.0");
    EXPECT_EQ(t.rc.right, 259);
    EXPECT_EQ(t.rc.bottom, 145);
    EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME |
                                          DS_CENTER | DS_SETFONT)) << std::hex << t.style;
    EXPECT_EQ(t.font, L"MS Sans Serif");
    ASSERT_EQ(t.items.size(), 5u);

    const DlgItem& maker = t.items[0];
    EXPECT_EQ(maker.id, kNoId);
    EXPECT_TRUE(SameClass(maker.cls, L"Static"));
    EXPECT_EQ(std::count(maker.text.begin(), maker.text.end(), L'\n'), 5) << "six lines";
    EXPECT_NE(maker.text.find(L"Velor"), std::wstring::npos);
    EXPECT_TRUE(HasRect(t, kNoId, 75, 30, 163, 56));

    const DlgItem& icon = t.items[1];
    EXPECT_EQ(icon.style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
    EXPECT_EQ(icon.textOrdinal, IDR_MAINFRAME);
    EXPECT_EQ(icon.rc.left, 16);
    EXPECT_EQ(icon.rc.top, 17);

    const DlgItem& version = t.items[2];
    EXPECT_EQ(version.text, L"Quillex Version 1.1 for Windows 2000");
    EXPECT_TRUE(version.style & SS_NOPREFIX);
    EXPECT_EQ(version.rc.left, 75);
    EXPECT_EQ(version.rc.top, 15);
    EXPECT_EQ(version.rc.right - version.rc.left, 148);

    const DlgItem& progress = t.items[3];
    EXPECT_EQ(progress.id, IDC_SPLASH_PROGRESS);
    EXPECT_TRUE(SameClass(progress.cls, PROGRESS_CLASSW)) << progress.cls;
    EXPECT_EQ(progress.style & (WS_BORDER | PBS_SMOOTH), static_cast<DWORD>(WS_BORDER | PBS_SMOOTH));
    EXPECT_TRUE(HasRect(t, IDC_SPLASH_PROGRESS, 15, 100, 224, 14));

    const DlgItem& status = t.items[4];
    EXPECT_EQ(status.id, IDC_SPLASH_STATUS);
    EXPECT_TRUE(SameClass(status.cls, L"Static"));
    EXPECT_EQ(status.text, L"");
    EXPECT_TRUE(HasRect(t, IDC_SPLASH_STATUS, 16, 89, 222, 8));

    EnsureCommonControls();
    Window dlg(CreateDialogFromTemplate(IDD_SPLASH, nullptr));
    ASSERT_NE(dlg.h, nullptr);
    EXPECT_EQ(ClassOf(GetDlgItem(dlg.h, IDC_SPLASH_PROGRESS)), PROGRESS_CLASSW);
    EXPECT_TRUE(IsWindowVisible(dlg.h));
}

TEST(ResourcesTest, AboutBoxNamesTheVersionAndClosesWithOk) {
    DlgTemplate t = LoadTemplate(IDD_ABOUTBOX);
    EXPECT_EQ(t.caption, L"About Quillex");
    EXPECT_EQ(t.rc.right, 235);
    EXPECT_EQ(t.rc.bottom, 140);
    EXPECT_EQ(t.style & ~static_cast<DWORD>(DS_SETFONT),
              static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME)) << std::hex << t.style;
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.font, L"MS Sans Serif");

    const DlgItem* ok = t.Find(IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text, L"OK");
    EXPECT_EQ(ok->style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    ASSERT_FALSE(t.items.empty());
    EXPECT_EQ(t.items.front().style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON)) << "the icon comes first, top left";
    EXPECT_EQ(t.items.front().textOrdinal, IDR_MAINFRAME);
    bool version = false;
    const RECT box{0, 0, 235, 140};
    for (const DlgItem& item : t.items) {
        version = version || item.text == L"Quillex Version 1.1";
        EXPECT_TRUE(Contains(box, item.rc)) << item.id;
    }
    EXPECT_TRUE(version);
}

TEST(ResourcesTest, MainMenuHasTheFivePopupsInOrder) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(menu, nullptr);
    struct Item {
        const wchar_t* text;
        UINT id;
    };
    struct Popup {
        const wchar_t* text;
        std::vector<Item> items;
    };
    const std::vector<Popup> want = {
        {L"&File", {{L"Open &Offline System Hive...", ID_FILE_OPEN_OFFLINE_HIVE}, {L"", 0}, {L"E&xit", ID_APP_EXIT}}},
        {L"&Edit", {{L"&Find...\tCtrl+F", ID_EDIT_FIND}, {L"Find &Next\tF3", ID_EDIT_FIND_NEXT}}},
        {L"&Options", {{L"&Safe Mode", ID_OPTIONS_SAFE_MODE},
                       {L"&Registry Parameters", ID_OPTIONS_REGISTRY_PARAMETERS},
                       {L"Check &Filters...\tCtrl+K", ID_OPTIONS_CHECK_FILTERS},
         {L"Restart &Devices", ID_OPTIONS_RESTART_DEVICES}, {L"", 0},
         {L"&Undo Last Filter Change\tCtrl+Z", ID_OPTIONS_UNDO_FILTER_CHANGE},
         {L"Change &History...", ID_OPTIONS_CHANGE_HISTORY}}},
        {L"&View", {{L"&Toolbar", ID_VIEW_TOOLBAR}, {L"&Status Bar", ID_VIEW_STATUS_BAR}, {L"S&plit", ID_WINDOW_SPLIT},
                    {L"Device &Names", ID_VIEW_DEVICE_NAMES}, {L"", 0}, {L"&Refresh\tF5", ID_VIEW_REFRESH}}},
        {L"&Help", {{L"&About Quillex...", ID_APP_ABOUT}}},
    };
    auto info = [](HMENU m, int pos, std::wstring* text) {
        wchar_t buf[128] = {};
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU | MIIM_STATE | MIIM_FTYPE;
        mii.dwTypeData = buf;
        mii.cch = 128;
        EXPECT_TRUE(GetMenuItemInfoW(m, pos, TRUE, &mii));
        *text = buf;
        return mii;
    };
    ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(want.size()));
    for (size_t p = 0; p < want.size(); ++p) {
        std::wstring text;
        MENUITEMINFOW popup = info(menu, static_cast<int>(p), &text);
        EXPECT_EQ(text, want[p].text);
        ASSERT_NE(popup.hSubMenu, nullptr) << p;
        ASSERT_EQ(GetMenuItemCount(popup.hSubMenu), static_cast<int>(want[p].items.size())) << p;
        for (size_t i = 0; i < want[p].items.size(); ++i) {
            MENUITEMINFOW item = info(popup.hSubMenu, static_cast<int>(i), &text);
            EXPECT_EQ(text, want[p].items[i].text);
            EXPECT_EQ(item.wID, want[p].items[i].id) << text;
            EXPECT_EQ(item.hSubMenu, nullptr) << text;
            EXPECT_EQ((item.fType & MFT_SEPARATOR) != 0, item.wID == 0) << text;
            if (item.wID) {
                EXPECT_FALSE(item.fState & MFS_DISABLED) << text;
            }
            // Safe Mode is on at start; nothing else is checked.
            EXPECT_EQ((item.fState & MFS_CHECKED) != 0, item.wID == ID_OPTIONS_SAFE_MODE) << text;
        }
    }
    DestroyMenu(menu);
}

TEST(ResourcesTest, AcceleratorsAreF1F3F5F6CtrlFCtrlKAndCtrlZ) {
    HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(table, nullptr);
    ACCEL accel[16];
    int count = CopyAcceleratorTableW(table, accel, 16);
    ASSERT_EQ(count, 9);
    struct Want {
        WORD key;
        BYTE modifiers;
        WORD cmd;
    };
    const Want want[] = {{VK_F1, 0, ID_HELP}, {VK_F1, FSHIFT, ID_CONTEXT_HELP},
                         {VK_F6, 0, ID_NEXT_PANE}, {VK_F6, FSHIFT, ID_PREV_PANE},
                         {VK_F5, 0, ID_VIEW_REFRESH}, {'K', FCONTROL, ID_OPTIONS_CHECK_FILTERS},
                         {'Z', FCONTROL, ID_OPTIONS_UNDO_FILTER_CHANGE}, {'F', FCONTROL, ID_EDIT_FIND},
                         {VK_F3, 0, ID_EDIT_FIND_NEXT}};
    for (const Want& w : want) {
        SCOPED_TRACE(w.cmd);
        auto it = std::find_if(accel, accel + count, [&](const ACCEL& a) { return a.cmd == w.cmd; });
        ASSERT_NE(it, accel + count);
        EXPECT_EQ(it->key, w.key);
        EXPECT_TRUE(it->fVirt & FVIRTKEY);
        EXPECT_EQ(it->fVirt & (FSHIFT | FCONTROL | FALT), w.modifiers);
    }
    DestroyAcceleratorTable(table);
}

TEST(ResourcesTest, StringTableHoldsTitlesIndicatorsAndPrompts) {
    EXPECT_EQ(Split(LoadStr(IDR_MAINFRAME), L'\n'),
              (std::vector<std::wstring>{L"Velor's Windows 2000 Device Quillex", L"", L"Filter",
                                         L"Filter Files (*.zqm)", L".zqm", L"Quillex.Document",
                                         L"Filter Document"}));
    EXPECT_EQ(LoadStr(AFX_IDS_APP_TITLE), L"Quillex");
    EXPECT_EQ(LoadStr(AFX_IDS_IDLEMESSAGE), L"For Help, press F1");
    EXPECT_EQ(LoadStr(ID_INDICATOR_CAPS), L"CAP");
    EXPECT_EQ(LoadStr(ID_INDICATOR_NUM), L"NUM");
    EXPECT_EQ(LoadStr(ID_INDICATOR_SCRL), L"SCRL");

    EXPECT_EQ(LoadStr(ID_OPTIONS_SAFE_MODE), L"Safe Mode\nSafe Mode");
    EXPECT_EQ(LoadStr(ID_OPTIONS_REGISTRY_PARAMETERS), L"Registry Parameters\nRegistry Parameters");
    EXPECT_EQ(LoadStr(ID_APP_ABOUT), L"Display program information, version number and copyright\nAbout");
    EXPECT_EQ(LoadStr(ID_APP_EXIT), L"Quit the application; prompts to save documents\nExit");
    EXPECT_EQ(LoadStr(ID_FILE_OPEN_OFFLINE_HIVE),
              L"Open the SYSTEM hive of a Windows installation that is not running\nOpen Offline System Hive");
    EXPECT_EQ(LoadStr(ID_VIEW_TOOLBAR), L"Show or hide the toolbar\nToggle ToolBar");
    EXPECT_EQ(LoadStr(ID_VIEW_STATUS_BAR), L"Show or hide the status bar\nToggle StatusBar");
    EXPECT_EQ(LoadStr(ID_WINDOW_SPLIT), L"Split the active window into panes\nSplit");

    // Every command the user can reach by key has a prompt and a tooltip.
    for (UINT id : {ID_HELP, ID_CONTEXT_HELP, ID_NEXT_PANE, ID_PREV_PANE, ID_OPTIONS_CHECK_FILTERS,
                    ID_OPTIONS_UNDO_FILTER_CHANGE, ID_OPTIONS_CHANGE_HISTORY, ID_OPTIONS_RESTART_DEVICES}) {
        std::vector<std::wstring> parts = Split(LoadStr(id), L'\n');
        ASSERT_EQ(parts.size(), 2u) << id;
        EXPECT_FALSE(parts[0].empty()) << id;
        EXPECT_FALSE(parts[1].empty()) << id;
    }

    // The texts the windows set in code: each id has its text, and what is filled in
    // is taken as it is (a "%1" inside a name is not filled again).
    for (UINT id = IDS_NEEDS_WINDOWS_2000; id <= IDS_PREVIOUS_HIVE_LOST; ++id) EXPECT_FALSE(LoadStr(id).empty()) << id;
    for (UINT id = AFX_IDS_APP_TITLE; id <= AFX_IDS_HELP_FAILED; ++id) EXPECT_FALSE(LoadStr(id).empty()) << id;
    EXPECT_EQ(AfxFormatStrings(IDS_LIST_UNREADABLE, {L"a%1b"}),
              L"The list of a%1b can no longer be read. Check Again to see the machine as it is now.");
    EXPECT_EQ(AfxFormatStrings(IDS_REMOVE_QUESTION, {L"x", L"y", L"z", L"v", L"w"}), L"x, y\n\nStored: z\nNew: v\n\nw");
    EXPECT_EQ(AfxFormatStrings(IDS_TARGET_NAMED, {L"only"}), L"only (%2)");  // a missing argument stays marked
}

TEST(ResourcesTest, ToolbarIconAndManifest) {
    HMODULE self = GetModuleHandleW(nullptr);
    auto bytesOf = [self](LPCWSTR name, LPCWSTR type, DWORD* cb) -> const BYTE* {
        HRSRC res = FindResourceW(self, name, type);
        if (!res) return nullptr;
        *cb = SizeofResource(self, res);
        return static_cast<const BYTE*>(LockResource(LoadResource(self, res)));
    };

    // Toolbar: version 1, 16 x 15 buttons, three items: About, a separator, Check Filters.
    DWORD cb = 0;
    const BYTE* bar = bytesOf(MAKEINTRESOURCEW(IDR_MAINFRAME), MAKEINTRESOURCEW(QX_RT_TOOLBAR), &cb);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(cb, 14u);
    WORD words[7];
    std::memcpy(words, bar, sizeof(words));
    EXPECT_EQ(std::vector<WORD>(words, words + 7),
              (std::vector<WORD>{1, 16, 15, 3, ID_APP_ABOUT, 0, ID_OPTIONS_CHECK_FILTERS}));

    // Its bitmap: one 16 x 15 image per button (none for the separator), whose corner is the light grey that maps to the button face.
    const BYTE* bmp = bytesOf(MAKEINTRESOURCEW(IDR_MAINFRAME), MAKEINTRESOURCEW(2) /* RT_BITMAP */, &cb);
    ASSERT_NE(bmp, nullptr);
    BITMAPINFOHEADER bih;
    std::memcpy(&bih, bmp, sizeof(bih));
    EXPECT_EQ(bih.biWidth, 16 * 2);
    EXPECT_EQ(bih.biHeight, 15);
    ASSERT_EQ(bih.biBitCount, 4);
    const BYTE* palette = bmp + bih.biSize;
    const LONG stride = (bih.biWidth * 4 + 31) / 32 * 4;
    const BYTE* topRow = palette + 16 * 4 + (bih.biHeight - 1) * stride;  // rows are bottom-up
    const BYTE* corner = palette + 4 * (topRow[0] >> 4);
    EXPECT_EQ(RGB(corner[2], corner[1], corner[0]), RGB(192, 192, 192));

    // Icon 128 holds a 16 x 16 and a 32 x 32 image, both loadable.
    const BYTE* group = bytesOf(MAKEINTRESOURCEW(IDR_MAINFRAME), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, &cb);
    ASSERT_NE(group, nullptr);
    WORD count;
    std::memcpy(&count, group + 4, 2);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) sizes.push_back(group[6 + 14 * i]);  // GRPICONDIRENTRY.bWidth
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 32}));
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(LoadImageW(self, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
        EXPECT_NE(icon, nullptr) << size;
        if (icon) DestroyIcon(icon);
    }

    // Manifest: common controls 6 and system DPI awareness; version 6 is what loads.
    const BYTE* manifest = bytesOf(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */, &cb);
    ASSERT_NE(manifest, nullptr);
    std::string xml(reinterpret_cast<const char*>(manifest), cb);
    EXPECT_NE(xml.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(xml.find(">true</dpiAware>"), std::string::npos);
    EXPECT_NE(xml.find(">system</dpiAwareness>"), std::string::npos);

    // The side-by-side copy is what loads. (Wine's copy reports 5.81 from DllGetVersion,
    // so the path tells it.)
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(comctl, path, MAX_PATH);
    std::wstring lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return static_cast<wchar_t>(towlower(c)); });
    EXPECT_NE(lower.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6."), std::wstring::npos) << lower;
}

}  // namespace

// An installation's indirect texts read strings of its files as data: this program's own
// string table stands in for a system file's, and a copy beside a file that cannot be
// loaded for its language resource "<folder>\en-US\<file>.mui".
TEST(ResourcesTest, IndirectTextsReadTheStringTablesOfFiles) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring summary = AfxLoadString(IDS_CHECK_SUMMARY);
    std::wstring text;
    ASSERT_TRUE(qx::Win32Access().LoadStringResource(self, IDS_CHECK_SUMMARY, &text));
    EXPECT_EQ(summary, text);
    EXPECT_FALSE(qx::Win32Access().LoadStringResource(self, 65000, &text));
    EXPECT_FALSE(qx::Win32Access().LoadStringResource(std::wstring(self) + L".none", IDS_CHECK_SUMMARY, &text));

    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"qxmui" + std::to_wstring(GetCurrentProcessId());
    const std::wstring file = folder + L"\\NoTable.dll", mui = folder + L"\\en-US\\NoTable.dll.mui";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\en-US").c_str(), nullptr);
    HANDLE junk = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD cb = 0;
    WriteFile(junk, "not a program", 13, &cb, nullptr);
    CloseHandle(junk);
    const std::wstring reference = L"@" + file + L"," + L"-" + std::to_wstring(IDS_CHECK_SUMMARY);
    EXPECT_FALSE(qx::ResolveIndirectText(qx::Win32Access(), reference, {L"en-US"}, &text));
    ASSERT_TRUE(CopyFileW(self, mui.c_str(), FALSE));
    text.clear();
    EXPECT_TRUE(qx::ResolveIndirectText(qx::Win32Access(), reference, {L"fr-FR", L"en-US"}, &text));
    EXPECT_EQ(summary, text);
    DeleteFileW(mui.c_str());
    DeleteFileW(file.c_str());
    RemoveDirectoryW((folder + L"\\en-US").c_str());
    RemoveDirectoryW(folder.c_str());
}
