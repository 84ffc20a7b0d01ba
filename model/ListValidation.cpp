#include "model/ListValidation.h"

#include "model/FilterText.h"

namespace qx {

ListValidation ValidateNewList(const FilterTarget* target, const StringList& names, const ClassRules& rules) {
    ListValidation result;
    if (const std::wstring* missing = FindMissingService(names)) {
        result.refusal = L"Service " + *missing + L" could not be located in Registry.";
        result.refusalType = kMbOkCancel | kMbIconHand;
        return result;
    }
    if (!target) return result;
    const Findings findings = CheckProposedList(*target, names, rules);
    // A service that exists but cannot work as a filter: the first such error stops it.
    for (const Finding& finding : findings) {
        if (finding.severity != Severity::Error) continue;
        result.refusal = finding.sentence;
        result.refusalType = kMbOk | kMbIconHand;
        return result;
    }
    std::wstring warnings;
    for (const Finding& finding : findings)
        if (finding.severity == Severity::Warning) warnings += finding.sentence + L"\n\n";
    if (!warnings.empty()) result.questions.push_back(warnings + L"Write the new list all the same?");
    std::wstring critical = rules.CriticalQuestion(target->classGuid);
    if (!critical.empty()) result.questions.push_back(critical);
    return result;
}

}  // namespace qx
