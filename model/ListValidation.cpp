#include "model/ListValidation.h"

namespace qx {

ListValidation ValidateNewList(const FilterTarget* target, const StringList& names, const ClassRules& rules) {
    ListValidation result;
    // Without a target the list's class is unknown: only a name that is no service refuses it.
    const Findings findings = CheckProposedList(target ? *target : FilterTarget{}, names, rules);
    // The first name, in list order, that its rule refuses in words of its own.
    for (const Finding& finding : findings) {
        const CheckRule* row = FindCheckRule(finding.rule);
        if (!row || !row->newListRefusal) continue;
        std::wstring refusal = row->newListRefusal;
        const size_t at = refusal.find(L"%ls");
        if (at != std::wstring::npos) refusal.replace(at, 3, finding.name);
        result.refusal = refusal;
        result.refusalType = kMbOkCancel | kMbIconHand;
        return result;
    }
    if (!target) return result;
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
