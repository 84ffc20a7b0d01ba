// The Linux rows of scripts/bench.
//   quillex_hive_bench grow IN OUT N   copies IN to OUT with Enum grown to N device
//                                      instances (copies of the instances there, values only)
//   quillex_hive_bench walk HIVE [check]
//                                      the floor: opens HIVE with hivex and reads the keys
//                                      and values quillexc reads for "list --devices
//                                      --json" (or "check --json") and no more (Walk);
//                                      its heap as quillexc's;
//                                      prints the milliseconds taken
#include <hivex.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "linux/LargePages.h"

namespace {

hive_node_h Path(hive_h* h, std::initializer_list<const char*> parts) {
    hive_node_h node = hivex_root(h);
    for (const char* part : parts) node = node ? hivex_node_get_child(h, node, part) : 0;
    return node;
}

std::vector<hive_node_h> Children(hive_h* h, hive_node_h node) {
    std::vector<hive_node_h> out;
    hive_node_h* list = hivex_node_children(h, node);
    for (size_t i = 0; list && list[i]; ++i) out.push_back(list[i]);
    free(list);
    return out;
}

// Reads every value's name and data; returns how many bytes, so nothing is optimised away.
size_t ReadValues(hive_h* h, hive_node_h node) {
    size_t total = 0;
    hive_value_h* values = hivex_node_values(h, node);
    for (size_t i = 0; values && values[i]; ++i) {
        char* key = hivex_value_key(h, values[i]);
        hive_type t;
        size_t len = 0;
        char* data = hivex_value_value(h, values[i], &t, &len);
        total += (key ? strlen(key) : 0) + len;
        free(key);
        free(data);
    }
    free(values);
    return total;
}

// The value of that name's data, read as quillexc reads it; its size in bytes (0 when
// absent). Multi-strings are kept in `names` (UTF-16 code units, name by name), so that a
// check's walk can visit the services the lists name.
size_t ReadNamed(hive_h* h, hive_node_h node, const char* name, std::vector<std::string>* names = nullptr) {
    hive_value_h value = hivex_node_get_value(h, node, name);
    if (!value) return 0;
    hive_type t;
    size_t len = 0;
    char* data = hivex_value_value(h, value, &t, &len);
    if (names && data && t == hive_t_multiple_strings)
        for (size_t i = 0; i + 1 < len; i += 2) {
            std::string name;
            for (; i + 1 < len && (data[i] || data[i + 1]); i += 2) name += data[i];
            if (!name.empty()) names->push_back(name);
        }
    free(data);
    return len;
}

// The floor: what quillexc reads for "list --devices --json" (and, with `check`, for
// "check --json"), read bare. The control set Select names; every class key's values
// (its names and filter lists); every Enum instance key's class, description, friendly
// name and filter lists, by name, and the key names its ID is made of; for a check also
// the type, start and image path of each service those lists name.
int Walk(const char* file, bool check) {
    const auto start = std::chrono::steady_clock::now();
    hive_h* h = hivex_open(file, 0);
    if (!h) return perror(file), 1;
    char controlSet[32] = "ControlSet001";
    if (hive_node_h select = Path(h, {"Select"}))
        if (hive_value_h current = hivex_node_get_value(h, select, "Current")) {
            int32_t number = hivex_value_dword(h, current);
            if (number > 0 && number < 1000) std::snprintf(controlSet, sizeof(controlSet), "ControlSet%03d", number);
        }
    std::vector<std::string> named;
    std::vector<std::string>* lists = check ? &named : nullptr;
    size_t total = 0;
    for (hive_node_h cls : Children(h, Path(h, {controlSet, "Control", "Class"}))) {
        char* name = hivex_node_name(h, cls);
        total += (name ? strlen(name) : 0) + ReadValues(h, cls);
        free(name);
        total += ReadNamed(h, cls, "UpperFilters", lists) + ReadNamed(h, cls, "LowerFilters", lists);
    }
    // An instance's ID is its enumerator's, its device's and its own key name.
    auto nameLength = [h](hive_node_h node) {
        char* name = hivex_node_name(h, node);
        const size_t length = name ? strlen(name) : 0;
        free(name);
        return length;
    };
    for (hive_node_h enumerator : Children(h, Path(h, {controlSet, "Enum"}))) {
        total += nameLength(enumerator);
        for (hive_node_h device : Children(h, enumerator)) {
            total += nameLength(device);
            for (hive_node_h instance : Children(h, device)) {
                total += nameLength(instance);
                total += ReadNamed(h, instance, "ClassGUID") + ReadNamed(h, instance, "DeviceDesc") +
                         ReadNamed(h, instance, "FriendlyName") + ReadNamed(h, instance, "UpperFilters", lists) +
                         ReadNamed(h, instance, "LowerFilters", lists);
            }
        }
    }
    // Each service a list names, once (names compare without case), and of it what the
    // check reads: its type, start and image path.
    std::set<std::string> services;
    for (std::string name : named) {
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        services.insert(name);
    }
    if (hive_node_h root = Path(h, {controlSet, "Services"}))
        for (const std::string& service : services)
            if (hive_node_h key = hivex_node_get_child(h, root, service.c_str()))
                total += ReadNamed(h, key, "Type") + ReadNamed(h, key, "Start") + ReadNamed(h, key, "ImagePath");
    hivex_close(h);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.1f %zu\n", ms, total);
    return 0;
}

int Grow(const char* in, const char* out, long wanted) {
    if (std::system(("cp '" + std::string(in) + "' '" + out + "'").c_str()) != 0) return 1;
    hive_h* h = hivex_open(out, HIVEX_OPEN_WRITE);
    if (!h) return perror(out), 1;
    hive_node_h enumRoot = Path(h, {"ControlSet001", "Enum"});
    std::vector<hive_node_h> instances;
    for (hive_node_h enumerator : Children(h, enumRoot))
        for (hive_node_h device : Children(h, enumerator))
            for (hive_node_h instance : Children(h, device))
                if (hivex_node_get_value(h, instance, "ClassGUID")) instances.push_back(instance);
    hive_node_h root = hivex_node_add_child(h, enumRoot, "QXBENCH");
    for (long n = static_cast<long>(instances.size()), i = 0; root && n < wanted; ++n, ++i) {
        hive_node_h from = instances[i % instances.size()];
        char name[32];
        std::snprintf(name, sizeof(name), "DEV_%06ld", i);
        hive_node_h device = hivex_node_add_child(h, root, name);
        hive_node_h copy = device ? hivex_node_add_child(h, device, "0000") : 0;
        std::vector<hive_set_value> values;
        std::vector<char*> owned;
        hive_value_h* list = hivex_node_values(h, from);
        for (size_t v = 0; list && list[v]; ++v) {
            hive_set_value value{};
            value.key = hivex_value_key(h, list[v]);
            value.value = hivex_value_value(h, list[v], &value.t, &value.len);
            owned.push_back(value.key);
            owned.push_back(value.value);
            values.push_back(value);
        }
        free(list);
        if (!copy || hivex_node_set_values(h, copy, values.size(), values.data(), 0) != 0) return perror("grow"), 1;
        for (char* p : owned) free(p);
    }
    if (hivex_commit(h, nullptr, 0) != 0) return perror(out), 1;
    hivex_close(h);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The heap as quillexc has it.
    qx::UseLargeHeapPages();
    if (argc == 5 && !std::strcmp(argv[1], "grow")) return Grow(argv[2], argv[3], std::atol(argv[4]));
    if (argc == 3 && !std::strcmp(argv[1], "walk")) return Walk(argv[2], false);
    if (argc == 4 && !std::strcmp(argv[1], "walk") && !std::strcmp(argv[3], "check")) return Walk(argv[2], true);
    std::fprintf(stderr, "usage: quillex_hive_bench grow IN OUT N | walk HIVE [check]\n");
    return 2;
}
