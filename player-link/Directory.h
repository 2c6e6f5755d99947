// Reading the player's directory on one medium: code 6 for the block
// count, code 7 for the blocks, then the information block and one block
// per file. Both programs that drive the player read it through here, on a
// link the caller has opened.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "player-link/Link.h"
#include "player-link/Protocol.h"

namespace playerlink {

struct DirectoryEntry {
  unsigned number = 0;  // 1-based entry number in directory order (may exceed 255)
  FileHeader header;    // size and the stored name (the sender's full path)
};

struct Directory {
  // Why the read ended.
  enum class End {
    kComplete,      // every announced block was read
    kNoCount,       // code 6 was refused
    kUnformatted,   // code 6 counted a new or unformatted medium and the read stopped there
    kRefused,       // code 7 was refused
    kShortBlock,    // a block did not come whole
    kBadTag,        // an entry block without the header tag
    kRejected,      // the caller's check refused a block (see DirectoryReadOptions)
  };
  End end = End::kNoCount;
  // Code 6's count, the information block included (0 while it is unknown).
  std::uint16_t count = 0;
  // The information block, once it was read whole.
  std::optional<InfoBlock> info;
  std::vector<DirectoryEntry> entries;
};

struct DirectoryReadOptions {
  // The tray client still sends code 7 after code 6 has counted an
  // unformatted medium; the transfer manager asks the user first.
  bool stopAtUnformatted = false;
  // Tries per block: the transfer manager reads a failed block once more.
  unsigned readAttempts = 1;
  // Runs before each block (the transfer manager handles window messages there).
  std::function<void()> beforeBlock;
  // Looks at each block as it came (index 0 is the information block)
  // before it is read as one; false ends the read as kRejected. The
  // transfer manager refuses an erased block there.
  std::function<bool(unsigned index, const Block& block)> acceptBlock;
};

// Code 6 on `base`: the directory's block count; nothing when refused.
std::optional<std::uint16_t> QueryDirectoryCount(Link& link, std::uint8_t base);

// Code 7 with `count`, then up to `count` blocks: the information block and
// the entry blocks, up to the first one that fails. `directory.count` is set
// to `count`.
void ReadDirectoryBlocks(Link& link, std::uint8_t base, std::uint16_t count, const DirectoryReadOptions& options,
                         Directory& directory);

// The whole sequence: code 6, then code 7 with its count (whatever that
// count is, unless options say to stop at an unformatted medium).
Directory ReadDirectory(Link& link, std::uint8_t base, const DirectoryReadOptions& options = {});

}  // namespace playerlink
