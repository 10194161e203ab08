// CArray: a growable array of values; CStringArray: the same for text.
// Elements live in one block, so an element's address stays valid until the
// array is resized. Running out of memory raises CMemoryException.
#pragma once
#include <windows.h>

#include <climits>
#include <new>
#include <utility>

#include "CException.h"
#include "CString.h"

template <class TYPE>
class CArray {
public:
    CArray() = default;
    CArray(CArray&& other) noexcept
        : m_pData(other.m_pData), m_nSize(other.m_nSize), m_nMaxSize(other.m_nMaxSize)
    {
        other.m_pData = NULL;
        other.m_nSize = other.m_nMaxSize = 0;
    }
    CArray(const CArray&) = delete;
    CArray& operator=(const CArray&) = delete;
    // Takes over the other's block: addresses of its elements stay valid.
    CArray& operator=(CArray&& other) noexcept;
    ~CArray() { RemoveAll(); }

    int GetSize() const { return m_nSize; }
    int GetCount() const { return m_nSize; }
    BOOL IsEmpty() const { return m_nSize == 0; }

    // New elements are default-constructed; a smaller size destroys the tail.
    void SetSize(int nNewSize);
    void RemoveAll();
    int Add(const TYPE& element);
    int Add(TYPE&& element);

    TYPE& ElementAt(int nIndex) { return m_pData[nIndex]; }
    const TYPE& GetAt(int nIndex) const { return m_pData[nIndex]; }
    void SetAt(int nIndex, const TYPE& element) { m_pData[nIndex] = element; }
    TYPE& operator[](int nIndex) { return m_pData[nIndex]; }
    const TYPE& operator[](int nIndex) const { return m_pData[nIndex]; }

private:
    void Reserve(int nMaxSize);
    void GrowForOneMore();

    TYPE* m_pData = NULL;
    int m_nSize = 0;
    int m_nMaxSize = 0;
};

template <class TYPE>
void CArray<TYPE>::Reserve(int nMaxSize)
{
    if (nMaxSize <= m_nMaxSize)
        return;
    // The byte count must not wrap, least of all in a 32-bit process.
    if (static_cast<unsigned long long>(nMaxSize) * sizeof(TYPE) > static_cast<size_t>(-1) / 2)
        AfxThrowMemoryException();
    TYPE* pNew = static_cast<TYPE*>(::operator new(nMaxSize * sizeof(TYPE), std::nothrow));
    if (pNew == NULL)
        AfxThrowMemoryException();
    for (int i = 0; i < m_nSize; ++i) {
        new (&pNew[i]) TYPE(std::move(m_pData[i]));
        m_pData[i].~TYPE();
    }
    ::operator delete(m_pData);
    m_pData = pNew;
    m_nMaxSize = nMaxSize;
}

template <class TYPE>
void CArray<TYPE>::SetSize(int nNewSize)
{
    if (nNewSize < 0)
        nNewSize = 0;
    if (nNewSize > m_nSize) {
        Reserve(nNewSize);
        while (m_nSize < nNewSize) {
            new (&m_pData[m_nSize]) TYPE();
            ++m_nSize;
        }
    }
    while (m_nSize > nNewSize)
        m_pData[--m_nSize].~TYPE();
}

template <class TYPE>
void CArray<TYPE>::RemoveAll()
{
    while (m_nSize > 0)
        m_pData[--m_nSize].~TYPE();
    ::operator delete(m_pData);
    m_pData = NULL;
    m_nMaxSize = 0;
}

template <class TYPE>
CArray<TYPE>& CArray<TYPE>::operator=(CArray&& other) noexcept
{
    if (this != &other) {
        RemoveAll();
        m_pData = other.m_pData;
        m_nSize = other.m_nSize;
        m_nMaxSize = other.m_nMaxSize;
        other.m_pData = NULL;
        other.m_nSize = other.m_nMaxSize = 0;
    }
    return *this;
}

// Doubling keeps a run of Adds linear in time, however long it gets.
template <class TYPE>
void CArray<TYPE>::GrowForOneMore()
{
    if (m_nSize == INT_MAX)
        AfxThrowMemoryException();
    Reserve(m_nSize < 4 ? 4 : (m_nSize > INT_MAX / 2 ? INT_MAX : m_nSize * 2));
}

template <class TYPE>
int CArray<TYPE>::Add(const TYPE& element)
{
    if (m_nSize == m_nMaxSize) {
        // element may live in this array: copy it before the block moves.
        TYPE copy(element);
        GrowForOneMore();
        new (&m_pData[m_nSize]) TYPE(std::move(copy));
    } else {
        new (&m_pData[m_nSize]) TYPE(element);
    }
    return m_nSize++;
}

template <class TYPE>
int CArray<TYPE>::Add(TYPE&& element)
{
    if (m_nSize == m_nMaxSize) {
        TYPE moved(std::move(element));  // as above: it may live in the block
        GrowForOneMore();
        new (&m_pData[m_nSize]) TYPE(std::move(moved));
    } else {
        new (&m_pData[m_nSize]) TYPE(std::move(element));
    }
    return m_nSize++;
}

class CStringArray : public CArray<CString> {
};
