#include "common/Object.h"

const CRuntimeClass CObject::classCObject = {nullptr, nullptr};

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBase) const {
    for (const CRuntimeClass* p = this; p; p = p->m_pBaseClass)
        if (p == pBase) return true;
    return false;
}

CObject* CRuntimeClass::CreateObject() const {
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}
