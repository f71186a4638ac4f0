// The STL's registry of facets it creates lazily (std::_Facet_Register),
// part of every module that uses locales, as in MSVC's import library: the
// module releases its facets when it ends. Callers hold the locale lock.
#include <xfacet>

namespace {
struct registered_facet {
  registered_facet* next;
  std::_Facet_base* facet;
};
registered_facet* registered_facets = nullptr;

struct release_facets {
  ~release_facets() {
    while (registered_facet* entry = registered_facets) {
      registered_facets = entry->next;
      delete entry->facet->_Decref();
      delete entry;
    }
  }
} const release_at_exit;
}  // namespace

void __cdecl std::_Facet_Register(std::_Facet_base* facet) { registered_facets = new registered_facet{registered_facets, facet}; }
