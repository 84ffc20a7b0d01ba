// What stands between a new filter list and its write, in the order the user meets it:
// a name that is no installed service, then any other error of the check, then the
// Yes/No questions (the check's warnings, a class the machine depends on). The window
// shows these as message boxes; the command line prints them and takes --yes as Yes.
#pragma once
#include "model/FilterCheck.h"

namespace qx {

struct ListValidation {
    std::wstring refusal;      // the first error, with the box it is shown in; empty when none
    unsigned refusalType = 0;
    StringList questions;      // each must be answered Yes before the list is written

    bool Refused() const { return !refusal.empty(); }
};

// The box a question is asked in: Yes/No, a warning, No the default.
constexpr unsigned kValidationQuestionType = kMbYesNo | kMbIconExclamation | kMbDefButton2;

// Without a target only the services are looked up (the list's class is unknown).
ListValidation ValidateNewList(const FilterTarget* target, const StringList& names,
                               const ClassRules& rules = DefaultClassRules());

}  // namespace qx
