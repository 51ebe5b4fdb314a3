#pragma once
#include <cstdint>
#include <string>

namespace brivanta {

class DocumentList;

// The main window's DropCallback: adds the dropped path as a row of the document list
// named by SetDropDestination, and returns the new row's index (or -1).
intptr_t AddDroppedFile(int count, int index, const std::string& path, const std::string& extension);
void SetDropDestination(DocumentList* list);

}  // namespace brivanta
