// What the filter check knows about the platform, in one table that the window and the
// command line share: the setup classes whose filter lists matter most, the classes the
// platform needs at boot, the ids of the check's rules and the device problem codes.
#pragma once
#include "model/Types.h"

namespace qx {

enum class Severity { Error, Warning };

// The check's rules, by the ids that reports and scripts use; each has its row, with its
// severity, in the check's table (FilterCheck.cpp).
namespace rule {
constexpr wchar_t MissingService[] = L"missing-service";
constexpr wchar_t InvalidName[] = L"invalid-name";
constexpr wchar_t WrongType[] = L"wrong-type";
constexpr wchar_t HiddenEntries[] = L"hidden-entries";
constexpr wchar_t NotADriver[] = L"not-a-driver";
constexpr wchar_t ServiceDisabled[] = L"service-disabled";
constexpr wchar_t DriverFileMissing[] = L"driver-file-missing";
constexpr wchar_t BootStartNeeded[] = L"boot-start-needed";
constexpr wchar_t Duplicate[] = L"duplicate";
constexpr wchar_t Unreadable[] = L"unreadable";
}  // namespace rule

// A class whose filter lists a machine cannot do without.
struct ClassRule {
    const wchar_t* name;     // the class's name, as its key's "Class" value spells it
    Guid guid;
    bool bootStart;          // its devices are needed at boot: filters must start with it
    const wchar_t* question; // asked before one of its lists is written
};

// The rules in force; the program uses DefaultClassRules(). Tests add entries that
// borrow a real class's rule for a scratch class.
class ClassRules {
public:
    const ClassRule* Find(const Guid& classGuid) const;
    const ClassRule* FindByName(const std::wstring& name) const;
    bool IsBootClass(const Guid& classGuid) const;
    // The question before writing a list of the class (or of one of its devices);
    // empty for a class that is not critical.
    std::wstring CriticalQuestion(const Guid& classGuid) const;
    // The same rule, for another class GUID.
    void AddAlias(const Guid& classGuid, const ClassRule& like);

private:
    friend const ClassRules& DefaultClassRules();
    std::vector<ClassRule> m_rules;
};
const ClassRules& DefaultClassRules();

// Device status (CM_Get_DevNode_Status).
constexpr uint32_t kDnHasProblem = 0x400;
// The meaning of a device problem code as the platform documents it; null for a code
// the table does not know.
const wchar_t* ProblemMeaning(uint32_t problem);
// "Code 39: ..." for a device that reports a problem; empty when it reports none.
std::wstring ProblemText(uint32_t status, uint32_t problem);

}  // namespace qx
