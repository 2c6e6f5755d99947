// The playlist file reader: bounded, and what it reads writes back to bytes
// that read the same.
#include <cstdlib>

#include "music-player/Playlist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantu::playlist_file;
  const auto parsed = Parse({data, size}, kMaxEntries + 1);
  if (parsed.entries.size() > kMaxEntries + 1) std::abort();
  std::vector<const vantu::CPlaylistEntry*> all;
  for (const auto& e : parsed.entries) {
    if (e.name.size() > kMaxString || e.path.size() > kMaxString || e.title.size() > kMaxString) std::abort();
    all.push_back(&e);
  }
  const auto again = Parse(Encode(all), kMaxEntries + 1);
  if (again.damaged || again.entries.size() != parsed.entries.size()) std::abort();
  for (std::size_t i = 0; i < all.size(); ++i)
    if (again.entries[i].path != parsed.entries[i].path || again.entries[i].title != parsed.entries[i].title) std::abort();
  return 0;
}
