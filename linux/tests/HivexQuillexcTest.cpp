// quillexc for Linux run as a process on copies of the real hives of tests/data, each
// result read back with hivex's own tools (hivexget, hivexregedit), never with ours.
#include <gtest/gtest.h>
#include <hivex.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using nlohmann::json;

namespace {

constexpr char kDiskDrive[] = "{4D36E967-E325-11CE-BFC1-08002BE10318}";
const std::string kDiskDriveKey = std::string("ControlSet001\\Control\\Class\\") + kDiskDrive;

std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Result {
    int exitCode = -1;
    std::string out, err;
};

// A scratch folder of its own for each test; the journal goes there too.
class HivexQuillexcTest : public testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/quillex-linux-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(folder));
        m_dir = folder;
    }
    void TearDown() override { Shell("rm -rf " + Quote(m_dir)); }

    int Shell(const std::string& command) {
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Capture(const std::string& command) {
        const std::string out = m_dir + "/captured";
        Shell(command + " > " + Quote(out));
        return ReadFile(out);
    }
    // A real hive of tests/data, unpacked into the scratch folder as `path` (below it).
    std::string Unpack(const std::string& name, const std::string& path = "SYSTEM") {
        const std::string target = m_dir + "/" + path;
        Shell("mkdir -p \"$(dirname " + Quote(target) + ")\"");
        EXPECT_EQ(0, Shell("xz -dc " + Quote(std::string(QX_TOP) + "/tests/data/realhives/" + name + ".xz") + " > " +
                           Quote(target)));
        return target;
    }
    Result Quillexc(const std::vector<std::string>& words) {
        std::string command = "XDG_DATA_HOME=" + Quote(m_dir + "/data") + " " + QX_QUILLEXC;
        for (const std::string& w : words) command += " " + Quote(w);
        Result r;
        r.exitCode = Shell(command + " > " + Quote(m_dir + "/out") + " 2> " + Quote(m_dir + "/err"));
        r.out = ReadFile(m_dir + "/out");
        r.err = ReadFile(m_dir + "/err");
        return r;
    }
    // The value as hivexregedit exports it: "name"=type:bytes.
    std::string Exported(const std::string& hive, const std::string& key, const std::string& value) {
        std::string lines = Capture("hivexregedit --export --prefix X " + Quote(hive) + " " + Quote("\\" + key));
        const std::string head = "\"" + value + "\"=";
        size_t at = lines.find("\n" + head);
        return at == std::string::npos ? "" : lines.substr(at + 1, lines.find('\n', at + 1) - at - 1);
    }

    std::string m_dir;
};

// Every class's lists as quillexc shows them are the ones hivex's own reader finds.
TEST_F(HivexQuillexcTest, RealHiveReadsAsHivexReadsIt) {
    const std::string hive = Unpack("win7-SYSTEM");
    Result list = Quillexc({"--hive", hive, "list", "--devices", "--json"});
    ASSERT_EQ(0, list.exitCode) << list.err;
    EXPECT_EQ("", list.err);
    json classes = json::parse(list.out);
    ASSERT_GE(classes.size(), 50u);
    // Written a device at a time, the text is the one the library prints for the document.
    EXPECT_EQ(classes.dump(2) + "\n", list.out);
    size_t devices = 0;
    for (const json& c : classes) {
        devices += c["devices"].size();
        for (const char* which : {"Upper", "Lower"}) {
            std::string expected = Capture("hivexget " + Quote(hive) + " " +
                                           Quote("ControlSet001\\Control\\Class\\" + c["guid"].get<std::string>()) +
                                           " " + which + "Filters 2>/dev/null");
            std::string shown;
            for (const json& name : c[which == std::string("Upper") ? "upperFilters" : "lowerFilters"])
                shown += name.get<std::string>() + "\n";
            while (!expected.empty() && expected.back() == '\n') expected.pop_back();
            while (!shown.empty() && shown.back() == '\n') shown.pop_back();
            EXPECT_EQ(expected, shown) << c["guid"] << " " << which;
        }
    }
    EXPECT_GT(devices, 250u);
    Result check = Quillexc({"--hive", hive, "check", "--json"});
    EXPECT_LE(check.exitCode, 1) << check.err;
    EXPECT_FALSE(json::parse(check.out).contains("hiveDirty"));
}

// A change lands in the file as written, a backup holds the original, and undo puts the
// value's exact bytes back; no other key or value moves.
TEST_F(HivexQuillexcTest, ChangeIsCommittedBackedUpAndUndone) {
    const std::string hive = Unpack("win7-SYSTEM");
    const std::string original = m_dir + "/original";
    Shell("cp " + Quote(hive) + " " + Quote(original));
    const std::string before = Capture("hivexregedit --export --prefix X " + Quote(hive) + " '\\'");
    const std::string oldValue = Exported(hive, kDiskDriveKey, "UpperFilters");
    ASSERT_NE("", oldValue);

    Result add = Quillexc({"--hive", hive, "filters", "DiskDrive", "upper", "add", "fvevol", "--yes"});
    ASSERT_EQ(0, add.exitCode) << add.err;
    EXPECT_EQ(0u, Capture("hivexget " + Quote(hive) + " " + Quote(kDiskDriveKey) + " UpperFilters").find("PartMgr\nfvevol\n"));
    EXPECT_EQ("\"UpperFilters\"=hex(7):50,00,61,00,72,00,74,00,4d,00,67,00,72,00,00,00,66,00,76,00,65,00,76,00,6f,00,"
              "6c,00,00,00,00,00",
              Exported(hive, kDiskDriveKey, "UpperFilters"));
    std::string after = Capture("hivexregedit --export --prefix X " + Quote(hive) + " '\\'");
    std::string expected = before;
    expected.replace(expected.find(oldValue), oldValue.size(), Exported(hive, kDiskDriveKey, "UpperFilters"));
    EXPECT_TRUE(after == expected) << "another key or value changed";

    std::string backups = Capture("ls " + Quote(m_dir));
    size_t at = backups.find("SYSTEM.quillex-");
    ASSERT_NE(std::string::npos, at) << backups;
    const std::string backup = m_dir + "/" + backups.substr(at, backups.find('\n', at) - at);
    EXPECT_EQ(0, Shell("cmp -s " + Quote(backup) + " " + Quote(original)));
    EXPECT_EQ(std::string::npos, backups.find("quillex-new"));

    Result undo = Quillexc({"--hive", hive, "undo", "--yes"});
    ASSERT_EQ(0, undo.exitCode) << undo.err;
    EXPECT_NE(std::string::npos, undo.out.find("Undid change #1")) << undo.out;
    EXPECT_TRUE(Capture("hivexregedit --export --prefix X " + Quote(hive) + " '\\'") == before);
}

// A dirty hive is read, with a warning and the flag, and never written.
TEST_F(HivexQuillexcTest, DirtyHiveIsReadButNeverWritten) {
    const std::string hive = Unpack("win7-SYSTEM");
    // The first sequence number one ahead of the second, as Windows leaves it mid-write,
    // and the header's checksum (the XOR of its first 127 double words) made good again.
    {
        std::fstream file(hive, std::ios::in | std::ios::out | std::ios::binary);
        uint32_t header[128];
        file.read(reinterpret_cast<char*>(header), sizeof(header));
        header[1] += 1;
        header[127] = 0;
        for (int i = 0; i < 127; ++i) header[127] ^= header[i];
        file.seekp(0);
        file.write(reinterpret_cast<const char*>(header), sizeof(header));
        ASSERT_TRUE(file.good());
    }
    const std::string copy = m_dir + "/copy";
    Shell("cp " + Quote(hive) + " " + Quote(copy));

    Result check = Quillexc({"--hive", hive, "check", "--json"});
    EXPECT_LE(check.exitCode, 1);
    EXPECT_NE(std::string::npos, check.err.find("dirty")) << check.err;
    EXPECT_EQ(true, json::parse(check.out).value("hiveDirty", false));

    for (const std::vector<std::string>& write :
         {std::vector<std::string>{"--hive", hive, "filters", "DiskDrive", "upper", "add", "fvevol", "--yes"},
          std::vector<std::string>{"--hive", hive, "undo", "--yes"}}) {
        Result refused = Quillexc(write);
        EXPECT_EQ(3, refused.exitCode) << refused.err;
        EXPECT_NE(std::string::npos, refused.err.find("quillex.exe /offline")) << refused.err;
    }
    EXPECT_EQ(0, Shell("cmp -s " + Quote(hive) + " " + Quote(copy)));
    EXPECT_EQ(std::string::npos, Capture("ls " + Quote(m_dir)).find("quillex-"));  // no backup, no new file

    Result real = Quillexc({"--hive", Unpack("win8plus-SYSTEM", "w8/SYSTEM"), "undo", "--yes"});
    EXPECT_EQ(3, real.exitCode) << real.err;
}

// A hive at its installation's usual place, on a volume that spells its names in any
// case: its driver files are found without case, and its changes are journalled in the
// installation's own ProgramData.
TEST_F(HivexQuillexcTest, InstallationFilesAndJournalWithoutCase) {
    const std::string hive = Unpack("win7-SYSTEM", "root/WINDOWS/system32/CONFIG/SYSTEM");
    Shell("cd " + Quote(m_dir + "/root") + " && mkdir -p programdata WINDOWS/system32/Drivers && "
          "touch WINDOWS/system32/Drivers/PARTMGR.SYS WINDOWS/system32/Drivers/fvevol.sys");
    Result check = Quillexc({"--hive", m_dir + "/root/Windows/System32/config/system", "check", "--json"});
    std::set<std::string> missing;
    const json report = json::parse(check.out);
    for (const json& f : report["findings"])
        if (f["rule"] == "driver-file-missing") missing.insert(f["name"].get<std::string>());
    EXPECT_EQ(0u, missing.count("PartMgr"));
    EXPECT_EQ(1u, missing.count("kbdclass"));

    Result add = Quillexc({"--hive", hive, "filters", "DiskDrive", "upper", "add", "fvevol", "--yes"});
    ASSERT_EQ(0, add.exitCode) << add.err;
    EXPECT_NE(std::string::npos, ReadFile(m_dir + "/root/programdata/Quillex/changes.jsonl").find("\"fvevol\""));
    EXPECT_NE(0, Shell("test -e " + Quote(m_dir + "/data")));

    // Another writer holds the journal: this one waits its turn, then appends after it.
    const std::string journal = m_dir + "/root/programdata/Quillex/changes.jsonl";
    Shell("flock " + Quote(journal) + " sleep 1.5 & sleep 0.3");
    const auto start = std::chrono::steady_clock::now();
    Result undo = Quillexc({"--hive", hive, "undo", "--yes"});
    EXPECT_EQ(0, undo.exitCode) << undo.err;
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_NE(std::string::npos, ReadFile(journal).find("\"undoes\":1"));
}

// Whatever stands at the path, a clean sentence and exit code 4; a bad line is 2.
TEST_F(HivexQuillexcTest, BadHivesAndBadLines) {
    const std::string hive = Unpack("win7-SYSTEM");
    Shell("head -c 100000 " + Quote(hive) + " > " + Quote(m_dir + "/short"));
    Shell("head -c 200000 /dev/urandom > " + Quote(m_dir + "/random"));
    Shell("printf 'regf' > " + Quote(m_dir + "/header-only"));
    Shell(": > " + Quote(m_dir + "/empty") + "; mkdir " + Quote(m_dir + "/folder"));
    for (const char* name : {"short", "random", "header-only", "empty", "folder", "missing"}) {
        Result r = Quillexc({"--hive", m_dir + "/" + name, "list", "--json"});
        EXPECT_EQ(4, r.exitCode) << name << ": " << r.err;
        EXPECT_EQ("", r.out) << name;
        EXPECT_NE(std::string::npos, r.err.find(m_dir + "/" + name)) << name << ": " << r.err;
    }
    EXPECT_EQ(2, Quillexc({"list"}).exitCode);
    EXPECT_NE(std::string::npos, Quillexc({"check"}).err.find("--hive"));
    EXPECT_EQ(2, Quillexc({"list", "--hive"}).exitCode);
    EXPECT_EQ(2, Quillexc({"--hive", hive, "--hive", hive, "list"}).exitCode);
    EXPECT_EQ(0, Quillexc({"help"}).exitCode);
}

// Text outside the Basic Multilingual Plane: a service key and a filter named with a
// character that takes two UTF-16 code units, written and read back whole.
TEST_F(HivexQuillexcTest, NamesOutsideTheBasicPlaneStayWhole) {
    const std::string hive = Unpack("win7-SYSTEM");
    const std::string name = "flt\xF0\x9D\x94\xBD";  // "flt" U+1D53D
    {
        hive_h* h = hivex_open(hive.c_str(), HIVEX_OPEN_WRITE);
        ASSERT_NE(nullptr, h);
        hive_node_h services = hivex_root(h);
        for (const char* part : {"ControlSet001", "Services"}) services = hivex_node_get_child(h, services, part);
        hive_node_h service = hivex_node_add_child(h, services, name.c_str());
        ASSERT_NE(0u, service);
        // A kernel driver that starts with the system, as a disk filter must.
        char kernel[4] = {1, 0, 0, 0}, boot[4] = {0, 0, 0, 0};
        hive_set_value values[] = {{const_cast<char*>("Type"), hive_t_REG_DWORD, 4, kernel},
                                   {const_cast<char*>("Start"), hive_t_REG_DWORD, 4, boot}};
        ASSERT_EQ(0, hivex_node_set_values(h, service, 2, values, 0));
        ASSERT_EQ(0, hivex_commit(h, nullptr, 0));
        hivex_close(h);
    }
    ASSERT_NE(std::string::npos,
              Capture("hivexregedit --export --prefix X " + Quote(hive) + " '\\ControlSet001\\Services'")
                  .find("\\" + name + "]"));
    Result add = Quillexc({"--hive", hive, "filters", "DiskDrive", "upper", "add", name, "--yes"});
    ASSERT_EQ(0, add.exitCode) << add.err;
    // U+1D53D is D835 DD3D in UTF-16LE, each unit once.
    EXPECT_NE(std::string::npos,
              Exported(hive, kDiskDriveKey, "UpperFilters").find("66,00,6c,00,74,00,35,d8,3d,dd,00,00,00,00"));
    Result shown = Quillexc({"--hive", hive, "filters", "DiskDrive", "upper", "--json"});
    EXPECT_EQ(json::array({"PartMgr", name}), json::parse(shown.out));
}

}  // namespace
