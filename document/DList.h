// The list the document keeps its alternatives in: a vector of records owned
// by value, so copying a list copies every record. A material's solutions are
// a DList<CUTTING::Layout>, re-ranked after every calculation pass.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

template <class T>
class DList {
public:
    DList() = default;
    DList(const DList&) = default;
    DList& operator=(const DList&) = default;
    virtual ~DList() = default;

    // Appends a copy.
    void Add(const T& item) { m_items.push_back(item); }
    // The record at index; null when the index is negative or not below the count.
    T* GetAt(long index)
    {
        return (index >= 0 && static_cast<size_t>(index) < m_items.size()) ? &m_items[index] : nullptr;
    }
    const T* GetAt(long index) const
    {
        return (index >= 0 && static_cast<size_t>(index) < m_items.size()) ? &m_items[index] : nullptr;
    }
    void Clear() { m_items.clear(); }
    long Count() const { return static_cast<long>(m_items.size()); }

    // Stable insertion by before(a, b) = "a goes before b": a record moves
    // only past records that rank strictly behind it, so equals keep the
    // order they came in. Rankings with a tolerance are no strict weak order,
    // which this sort tolerates where a library sort would not.
    template <class Before>
    void Sort(Before before)
    {
        for (size_t i = 1; i < m_items.size(); ++i) {
            size_t j = i;
            while (j > 0 && before(m_items[i], m_items[j - 1]))
                --j;
            if (j == i)
                continue;
            T moving = std::move(m_items[i]);
            for (size_t k = i; k > j; --k)
                m_items[k] = std::move(m_items[k - 1]);
            m_items[j] = std::move(moving);
        }
    }

    std::vector<T>& Items() { return m_items; }
    const std::vector<T>& Items() const { return m_items; }

private:
    std::vector<T> m_items;
};
