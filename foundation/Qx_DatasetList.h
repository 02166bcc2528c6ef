#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_Dataset.h"
#include <deque>

// Datasets by id. The list keeps copies of what it is given and frees them itself.
// Ids are matched without regard to case; of two of one id the first is found.
// The datasets lie in blocks of several, none moves while the list grows: a pointer to
// one stays valid until the list is emptied or destroyed.
class QX_API Qx_DatasetList {
public:
    Qx_DatasetList();
    Qx_DatasetList(const Qx_DatasetList& other);
    // Not noexcept: the deque allocates even to move.
    Qx_DatasetList(Qx_DatasetList&& other);  // NOLINT(performance-noexcept-move-constructor)
    Qx_DatasetList& operator=(const Qx_DatasetList& other);
    Qx_DatasetList& operator=(Qx_DatasetList&& other) noexcept;
    ~Qx_DatasetList();

    // Adds a copy of dataset under id (the copy's id is set to it); answers the new index.
    int AddDataset(const wchar_t* id, const Qx_Dataset& dataset);
    // Takes the dataset over instead of copying it.
    int AddDataset(const wchar_t* id, Qx_Dataset&& dataset);
    // Adds a copy under the dataset's own id.
    int Add(const Qx_Dataset& dataset);
    int Add(Qx_Dataset&& dataset);
    // Null when absent.
    Qx_Dataset* GetItem(const wchar_t* id) const;
    // Null when index is out of range.
    Qx_Dataset* GetItemNN(int index) const;
    int Count() const { return static_cast<int>(items_.size()); }
    // Empties the list and frees the datasets.
    void ReleaseList();

private:
    std::deque<Qx_Dataset> items_;
};
