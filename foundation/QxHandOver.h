#pragma once
#include <memory>

// Adds an item to a list of raw pointers (Qx_PtrList and the catalogue's lists), and lets
// go of it only once the list holds it: should Add run out of memory, the item is freed
// here. Answers what Add answers.
template <class List, class Item>
int QxHandOver(List& list, std::unique_ptr<Item> item) {
    const int index = list.Add(item.get());
    static_cast<void>(item.release());  // the list holds it now
    return index;
}
