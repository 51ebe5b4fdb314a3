#include "drop/add_dropped_file.h"

#include "doclist/document_list.h"

namespace brivanta {
namespace {
DocumentList* g_destination = nullptr;
}

void SetDropDestination(DocumentList* list) { g_destination = list; }

intptr_t AddDroppedFile(int, int, const std::string& path, const std::string&) {
  return g_destination ? g_destination->AddRow(path) : -1;
}

}  // namespace brivanta
