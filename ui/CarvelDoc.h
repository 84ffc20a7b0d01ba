// The document: owner of the class list for the whole run. It reads and writes no file.
#pragma once
#include "model/ClassList.h"
#include "ui/framework/Document.h"

class CCarvelDoc : public CDocument {
    DECLARE_DYNCREATE(CCarvelDoc)
public:
    // UpdateAllViews hint: the records are about to go; drop every pointer to them.
    static constexpr LPARAM kHintReleaseRecords = 1;

    BOOL OnNewDocument() override;
    void OnCloseDocument() override;
    void DeleteContents() override;
    void Serialize(CArchive& ar) override;

    DriverClassList& GetDriverClasses() { return m_driverClasses; }
    // Builds the class list, reporting progress to the main frame.
    BOOL BuildDriverClasses();
    // Tells the views, then closes every class key and deletes every record.
    void ReleaseDriverClasses();

private:
    DriverClassList m_driverClasses;
};
