#pragma once
// Long runs over the whole document (the timing rules) let pending window events run every few
// captions so the window stays responsive. While such a run is under way, nothing else may change
// the captions: a handler that would edit, load, save, shift or otherwise change the document
// tests IsDocumentBusy() first and does nothing while it is true.

// True while a run holds a DocumentBusyGuard.
bool IsDocumentBusy();

// Marks the document busy for its lifetime. Guards nest.
class DocumentBusyGuard {
public:
    DocumentBusyGuard();
    ~DocumentBusyGuard();
    DocumentBusyGuard(const DocumentBusyGuard&) = delete;
    DocumentBusyGuard& operator=(const DocumentBusyGuard&) = delete;
};
