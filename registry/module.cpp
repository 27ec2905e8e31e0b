#include "module.h"

#include <atomic>

namespace kolo::module {
namespace {

HINSTANCE g_instance = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

}  // namespace

void SetInstance(HINSTANCE instance) noexcept { g_instance = instance; }

std::wstring Path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void ObjectCreated() noexcept { ++g_objects; }
void ObjectDestroyed() noexcept { --g_objects; }
void Lock(bool lock) noexcept { lock ? ++g_locks : --g_locks; }
bool CanUnload() noexcept { return g_objects == 0 && g_locks == 0; }

}  // namespace kolo::module
