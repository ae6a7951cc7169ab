// The engine's object lists: a growable array of object pointers that may own its
// objects, and a sorted variant with a duplicates policy and a binary search. The
// member lists of the reader and the writer are built on them.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "zip/ZipErrors.h"

namespace zb::zip {

template <class T>
class TObjectList {
public:
    explicit TObjectList(bool ownsObjects = true) : owns_(ownsObjects) {}
    virtual ~TObjectList() { clear(); }
    TObjectList(const TObjectList&) = delete;
    TObjectList& operator=(const TObjectList&) = delete;

    int count() const { return int(items_.size()); }
    int capacity() const { return capacity_; }
    bool ownsObjects() const { return owns_; }
    void setOwnsObjects(bool owns) { owns_ = owns; }

    T* item(int index) const {
        checkIndex(index);
        return items_[std::size_t(index)];
    }
    T* operator[](int index) const { return item(index); }

    // Replaces the item at `index` (the old one is freed when the list owns it).
    virtual void put(int index, T* object) {
        checkIndex(index);
        if (owns_ && items_[std::size_t(index)] != object) delete items_[std::size_t(index)];
        items_[std::size_t(index)] = object;
    }
    virtual int add(T* object) {
        insertAt(count(), object);
        return count() - 1;
    }
    void insertAt(int index, T* object) {
        if (index < 0 || index > count()) throw EListError(outOfBounds(index));
        grow();
        items_.insert(items_.begin() + index, object);
    }
    int indexOf(const T* object) const {
        auto it = std::find(items_.begin(), items_.end(), object);
        return it == items_.end() ? -1 : int(it - items_.begin());
    }
    // Removes (and, when owned, frees) the item at `index`.
    void deleteAt(int index) {
        checkIndex(index);
        T* obj = items_[std::size_t(index)];
        items_.erase(items_.begin() + index);
        if (owns_) delete obj;
    }
    // Removes the object; raises "tObject <class> not in item list" when it is absent.
    void remove(T* object) {
        int i = indexOf(object);
        if (i < 0) throw EListError("tObject " + std::string(T::kClassName) + " not in item list");
        deleteAt(i);
    }
    // Takes the object out of the list without freeing it.
    T* extract(int index) {
        checkIndex(index);
        T* obj = items_[std::size_t(index)];
        items_.erase(items_.begin() + index);
        return obj;
    }
    void clear() {
        if (owns_)
            for (T* obj : items_) delete obj;
        items_.clear();
        capacity_ = 0;
    }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

protected:
    void checkIndex(int index) const {
        if (index < 0 || index >= count()) throw EListError(outOfBounds(index));
    }
    static std::string outOfBounds(int index) { return "List index out of bounds (" + std::to_string(index) + ")"; }

private:
    // The capacity the list reports grows in the steps of its kind (4, 8, then 16);
    // the storage behind it grows geometrically, so that filling a list stays linear.
    void grow() {
        if (int(items_.size()) < capacity_) return;
        capacity_ += capacity_ < 5 ? 4 : capacity_ < 9 ? 8 : 16;
    }

    std::vector<T*> items_;
    int capacity_ = 0;
    bool owns_;
};

// How a sorted list treats an item whose key equals one already in it.
enum class TDuplicates { Ignore = 0, Accept = 1, Reject = 2 };

template <class T>
class TSortedObjectList : public TObjectList<T> {
public:
    explicit TSortedObjectList(TDuplicates duplicates, bool ownsObjects = true)
        : TObjectList<T>(ownsObjects), duplicates_(duplicates) {}

    TDuplicates duplicates() const { return duplicates_; }

    // Negative when `a` sorts before `b`, 0 when their keys are equal.
    virtual int compare(const T& a, const T& b) const = 0;

    // Binary search for `key`: whether it was found, and the position where it stands
    // or would be inserted.
    bool search(const T& key, int& position) const {
        int lo = 0, hi = this->count() - 1;
        bool found = false;
        while (hi >= lo) {
            int mid = (lo + hi) / 2;
            int c = compare(*this->item(mid), key);
            if (c < 0) {
                lo = mid + 1;
            } else {
                hi = mid - 1;
                if (c == 0) {
                    found = true;
                    if (duplicates_ != TDuplicates::Accept) lo = mid;
                }
            }
        }
        position = lo;
        return found;
    }

    // Inserts at the sorted place. An equal key is dropped silently (Ignore: -1 is
    // returned and the caller keeps the object), raises (Reject) or goes beside its
    // equals (Accept).
    int add(T* object) override {
        // Members mostly come in order (a directory is read front to back): a key after
        // the last one goes to the end without a search, where the search would put it.
        const int n = this->count();
        if (n == 0 || compare(*this->item(n - 1), *object) < 0) {
            this->insertAt(n, object);
            return n;
        }
        int pos = 0;
        if (search(*object, pos)) {
            if (duplicates_ == TDuplicates::Ignore) return -1;
            if (duplicates_ == TDuplicates::Reject) throw EListError(msg::kDuplicateObject);
        }
        this->insertAt(pos, object);
        return pos;
    }
    // The index of an item with the key of `key`, or -1.
    int find(const T& key) const {
        int pos = 0;
        return search(key, pos) ? pos : -1;
    }
    void put(int, T*) override { throw EListError(msg::kPutInSortedList); }

    // Adds `objects` in their order to an empty list that accepts duplicates: the same
    // list as calling add() for each, by one sort instead of an insertion each. Equal
    // keys keep the order that add() gives them: after their equals when compare()
    // tells an earlier one from a later one as smaller (the size and date modes), else
    // before them.
    void addAll(const std::vector<T*>& objects) {
        if (this->count() != 0 || duplicates_ != TDuplicates::Accept) {
            for (T* object : objects) add(object);
            return;
        }
        std::vector<std::pair<T*, std::size_t>> order;
        order.reserve(objects.size());
        for (std::size_t i = 0; i < objects.size(); ++i) order.emplace_back(objects[i], i);
        std::sort(order.begin(), order.end(), [this](const auto& a, const auto& b) {
            const int ab = compare(*a.first, *b.first), ba = compare(*b.first, *a.first);
            if (ab < 0 && ba > 0) return true;
            if (ba < 0 && ab > 0) return false;
            // Equal keys: add() put the later one after the earlier one exactly when
            // compare(earlier, later) is negative.
            const bool aEarlier = a.second < b.second;
            const int earlierToLater = aEarlier ? ab : ba;
            return (earlierToLater < 0) == aEarlier;
        });
        for (const auto& entry : order) this->insertAt(this->count(), entry.first);
    }

private:
    TDuplicates duplicates_;
};

}  // namespace zb::zip
