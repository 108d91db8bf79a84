// Finding the handler of a window message by (message, notification code, control id).
#pragma once

#include <cstddef>
#include <cstdint>

namespace px {

constexpr uint32_t kAnyCode = 0xFFFFFFFFu;
constexpr uint32_t kAnyId = 0xFFFFFFFFu;

struct RouteKey {
  uint32_t message;
  uint32_t code;     // notification code, or kAnyCode
  uint32_t firstId;  // control id range, or kAnyId
  uint32_t lastId;
};

inline bool RouteMatches(const RouteKey& key, uint32_t message, uint32_t code, uint32_t id) {
  if (key.message != message) return false;
  if (key.code != kAnyCode && key.code != code) return false;
  if (key.firstId != kAnyId && (id < key.firstId || id > key.lastId)) return false;
  return true;
}

// The first matching route wins; routes are any type with a `key` member.
template <typename Route>
const Route* FindRoute(const Route* routes, size_t count, uint32_t message, uint32_t code,
                       uint32_t id) {
  for (size_t i = 0; i < count; ++i)
    if (RouteMatches(routes[i].key, message, code, id)) return &routes[i];
  return nullptr;
}

}  // namespace px
