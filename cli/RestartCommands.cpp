#include "cli/Commands.h"
#include "model/DeviceRestart.h"
#include "model/FilterCheck.h"

using nlohmann::json;

namespace qxc {
namespace {

json IdsJson(const std::vector<qx::RestartEntry>& entries) {
    json ids = json::array();
    for (const qx::RestartEntry& entry : entries) ids.push_back(U8(entry.instanceId));
    return ids;
}

}  // namespace

void AddRestartJson(const qx::RestartReport& report, json* document) {
    (*document)["restarted"] = IdsJson(report.restarted);
    (*document)["needsReboot"] = IdsJson(report.needsReboot);
    (*document)["failed"] = IdsJson(report.failed);
    if (report.Refused()) (*document)["restartRefusal"] = U8(report.refusal);
}

void PrintRestartText(const qx::RestartReport& report) {
    if (report.Refused()) {
        Err().Line(OneLine(report.refusal));
        return;
    }
    std::wstring text = qx::RestartResultText(report);
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        Out().Line(text.substr(start, end - start));
        start = end + 1;
    }
}

int RestartExitCode(const qx::RestartReport& report, bool afterChange) {
    if (report.AllRestarted()) return kExitDone;
    if (afterChange) return kExitNeedsReboot;  // written; it holds once the machine restarts
    if (report.Refused()) return kExitRefused;
    return report.failed.empty() ? kExitNeedsReboot : kExitFailed;
}

int RunRestart(Session& session) {
    Arguments& args = session.args;
    Target target;
    if (!TakeTarget(session, &target)) return kExitUsage;
    if (args.words.size() > 1) {
        args.error = L"\"restart\" takes one TARGET.";
        return kExitUsage;
    }
    qx::RestartReport report;
    report.refusal = qx::RestartRefusal();
    if (!report.Refused()) {
        const std::wstring question = qx::RestartQuestion(*target.owner, target.device, L"");
        if (!question.empty() && !args.Has(kYes)) {
            Err().Line(OneLine(question));
            Err().Line(L"Nothing was restarted. Run the command again with --yes to answer Yes.");
            return kExitRefused;
        }
        report = qx::RestartDevices(*target.owner, target.device);
    }
    if (args.Has(kJson)) {
        json document = json::object();
        AddRestartJson(report, &document);
        PrintJson(document);
        if (report.Refused()) Err().Line(OneLine(report.refusal));
    } else {
        PrintRestartText(report);
    }
    return RestartExitCode(report, false);
}

}  // namespace qxc
