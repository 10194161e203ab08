// CObject, CRuntimeClass: run-time class information, so that a window can
// find out whether its parent is a particular sheet class.
#pragma once
#include <windows.h>

class CObject;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;

    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* pClass) const;

    static const CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                                  \
public:                                                              \
    static const CRuntimeClass class##class_name;                    \
    const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)               \
    const CRuntimeClass class_name::class##class_name = {            \
        #class_name, RUNTIME_CLASS(base_class_name)};                \
    const CRuntimeClass* class_name::GetRuntimeClass() const         \
    {                                                                \
        return RUNTIME_CLASS(class_name);                            \
    }

// Null unless pObject is of class_name or derived from it.
#define DYNAMIC_DOWNCAST(class_name, pObject)                        \
    (((pObject) != NULL && (pObject)->IsKindOf(RUNTIME_CLASS(class_name))) \
         ? static_cast<class_name*>(pObject)                         \
         : static_cast<class_name*>(NULL))
