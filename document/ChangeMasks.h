// The masks of DCSProject::IsChanged: which of a material's changes since its
// baseline the caller asks about. One name per mask for every layer.
#pragma once

enum ChangeMask : long {
    kChangedAnything = 1,   // properties, order or results
    kChangedResults = 2,    // the numbers behind the results, or the results
    kChangedRecord = 4,     // options, texts or rows
};

// What makes a project modified: the document asks each material this.
constexpr long kChangedProject = kChangedAnything | kChangedRecord;
