#include "solver/cholmod_memory.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>

#include "platform/large_table.h"

namespace kelvane {
namespace {

// Each block carries its size in front, since CHOLMOD frees without naming
// it.
constexpr std::size_t kHeader = 64;

void* Allocate(std::size_t bytes) {
  if (bytes > SIZE_MAX - kHeader) return nullptr;
  char* block;
  try {
    block = static_cast<char*>(AllocateLargeTable(bytes + kHeader));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  std::memcpy(block, &bytes, sizeof bytes);
  return block + kHeader;
}

std::size_t BlockSize(void* p) {
  std::size_t bytes;
  std::memcpy(&bytes, static_cast<char*>(p) - kHeader, sizeof bytes);
  return bytes;
}

void Free(void* p) {
  if (p != nullptr) FreeLargeTable(static_cast<char*>(p) - kHeader, BlockSize(p) + kHeader);
}

void* AllocateCleared(std::size_t count, std::size_t size) {
  if (size != 0 && count > SIZE_MAX / size) return nullptr;
  void* p = Allocate(count * size);
  // Large tables come cleared from the system; the heap's do not.
  if (p != nullptr && count * size + kHeader < kLargeTableBytes) std::memset(p, 0, count * size);
  return p;
}

void* Reallocate(void* p, std::size_t bytes) {
  if (p == nullptr) return Allocate(bytes);
  void* q = Allocate(bytes);
  if (q == nullptr) return nullptr;
  std::memcpy(q, p, std::min(bytes, BlockSize(p)));
  Free(p);
  return q;
}

}  // namespace

void UseLargeTablesFor(const CholmodLibrary& lib) {
  static std::once_flag once;
  std::call_once(once, [&lib] {
    lib.config->malloc_func = Allocate;
    lib.config->calloc_func = AllocateCleared;
    lib.config->realloc_func = Reallocate;
    lib.config->free_func = Free;
  });
}

}  // namespace kelvane
