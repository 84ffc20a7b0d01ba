// Run-time class information for records and windows: lets the information view
// tell a device record from a class record by its exact class, and lets the
// splitter create its panes by class. Shared by the model and the window framework,
// so it includes nothing.
#pragma once

class CObject;

struct CRuntimeClass {
    const CRuntimeClass* m_pBaseClass;
    CObject* (*m_pfnCreateObject)();  // null when not dynamically creatable

    bool IsDerivedFrom(const CRuntimeClass* pBase) const;
    CObject* CreateObject() const;  // null when not creatable
};

class CObject {
public:
    static const CRuntimeClass classCObject;
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
    bool IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

protected:
    CObject() = default;
};

#define RUNTIME_CLASS(name) (&name::class##name)

#define DECLARE_DYNAMIC(name)                     \
public:                                           \
    static const CRuntimeClass class##name;       \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(name) \
    DECLARE_DYNAMIC(name)       \
    static CObject* CreateObject();

#define IMPLEMENT_RUNTIMECLASS(name, base, create)                                   \
    const CRuntimeClass name::class##name = {RUNTIME_CLASS(base), create};           \
    const CRuntimeClass* name::GetRuntimeClass() const { return &name::class##name; }

#define IMPLEMENT_DYNAMIC(name, base) IMPLEMENT_RUNTIMECLASS(name, base, nullptr)

#define IMPLEMENT_DYNCREATE(name, base)                   \
    CObject* name::CreateObject() { return new name; }    \
    IMPLEMENT_RUNTIMECLASS(name, base, &name::CreateObject)
