#include "ui/ReportList.h"

void SetUpReportList(CListCtrl& list, CWnd* pDialog, UINT nId, const ReportColumn* pColumns, int nColumns) {
    list.SubclassDlgItem(nId, pDialog);
    list.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < nColumns; ++i)
        list.InsertColumn(i, AfxLoadString(pColumns[i].nHeading), LVCFMT_LEFT, pColumns[i].nWidth);
}
