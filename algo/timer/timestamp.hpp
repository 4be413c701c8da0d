#pragma once
// Zero point of the log's time stamps: raw processor cycles since start-up.
#include <cstdint>

namespace algo {

std::int64_t timestamp();
void resetTimestamp();

namespace timestamp_module {
void moduleStart();
}

}  // namespace algo
