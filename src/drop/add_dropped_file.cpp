#include "drop/add_dropped_file.h"

#include "doclist/document_list.h"

namespace brivanta {
namespace {
DocumentList* g_destination = nullptr;
}

void SetDropDestination(DocumentList* list) { g_destination = list; }

// The files of one drop are put in place together once the last one has come (or,
// should the last one be unreadable, when the list is next repainted).
intptr_t AddDroppedFile(int count, int index, const std::string& path, const std::string&) {
  if (!g_destination) return -1;
  g_destination->QueueRow(path);
  return index == count ? g_destination->FlushQueuedRows() : -1;
}

}  // namespace brivanta
