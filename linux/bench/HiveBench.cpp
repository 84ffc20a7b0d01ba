// The Linux rows of scripts/bench.
//   quillex_hive_bench grow IN OUT N   copies IN to OUT with Enum grown to N device
//                                      instances (copies of the instances there, values only)
//   quillex_hive_bench walk HIVE       the floor: opens HIVE with hivex and reads every
//                                      value of the keys quillexc reads (the class keys and
//                                      everything below them, every Enum instance key);
//                                      prints the milliseconds taken
#include <hivex.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

size_t ReadTree(hive_h* h, hive_node_h node) {
    size_t total = ReadValues(h, node);
    for (hive_node_h child : Children(h, node)) {
        char* name = hivex_node_name(h, child);
        total += name ? strlen(name) : 0;
        free(name);
        total += ReadTree(h, child);
    }
    return total;
}

int Walk(const char* file) {
    const auto start = std::chrono::steady_clock::now();
    hive_h* h = hivex_open(file, 0);
    if (!h) return perror(file), 1;
    size_t total = ReadTree(h, Path(h, {"ControlSet001", "Control", "Class"}));
    for (hive_node_h enumerator : Children(h, Path(h, {"ControlSet001", "Enum"})))
        for (hive_node_h device : Children(h, enumerator))
            for (hive_node_h instance : Children(h, device)) {
                char* name = hivex_node_name(h, instance);
                total += (name ? strlen(name) : 0) + ReadValues(h, instance);
                free(name);
            }
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
    if (argc == 5 && !std::strcmp(argv[1], "grow")) return Grow(argv[2], argv[3], std::atol(argv[4]));
    if (argc == 3 && !std::strcmp(argv[1], "walk")) return Walk(argv[2]);
    std::fprintf(stderr, "usage: quillex_hive_bench grow IN OUT N | walk HIVE\n");
    return 2;
}
