#pragma once
#include <cstdint>
#include <string>

namespace brivanta {

class DocumentList;

// The main window's DropCallback: adds the dropped path as a row of the document list
// named by SetDropDestination. The rows of one drop go in together with its last file,
// whose row index is returned; -1 for the others.
intptr_t AddDroppedFile(int count, int index, const std::string& path, const std::string& extension);
void SetDropDestination(DocumentList* list);

}  // namespace brivanta
