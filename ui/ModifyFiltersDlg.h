// Modify Filters (template 131): the user edits one filter list as a line of names.
// OK checks every name against the installed services and hands back the list; it
// writes nothing itself.
#pragma once
#include "model/ListValidation.h"
#include "model/Types.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/Static.h"

class CModifyFiltersDlg : public CDialog {
public:
    // The current list joined by single spaces; bUpper for the upper filters.
    CModifyFiltersDlg(const CString& strInitial, bool bUpper, CWnd* pParent);

    // The list being edited: with it, OK also applies the health check's rules to the
    // new list and asks before a list of a class the machine depends on is written.
    void SetTarget(const qx::FilterTarget& target) {
        m_target = target;
        m_bHasTarget = true;
    }

    // What the list belongs to (a class's description, a device's name): the caption names it.
    void SetTargetName(const CString& name) { m_strTargetName = name; }

    // Names stored after an empty string: the caption says a save drops them.
    void SetHiddenEntries(const StringList& hidden) { m_hidden = hidden; }

    // The names taken from the text by the last accepted OK.
    const StringList& GetFilterNames() const { return m_filterNames; }
    // Splits the text into names and checks each; false (after telling the user) at
    // the first name that is not an installed service, at any other error of the
    // check, or when the user answers No to a warning or to the critical-class question.
    bool ValidateFilters();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    CStatic m_wndLabel;
    CString m_strFilters;
    StringList m_filterNames;
    CString m_strInitial;
    bool m_bUpper;
    qx::FilterTarget m_target;
    bool m_bHasTarget = false;
    StringList m_hidden;
    CString m_strTargetName;
};
