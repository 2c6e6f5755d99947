#include "tools/player-sim/FolderStorage.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "common/ByteOrder.h"
#include "common/TextCodec.h"

namespace playersim {

using common::Error;
using common::Result;
using playerlink::Block;
using playerlink::kBlockSize;
using playerlink::sim::StoredEntry;

namespace {

constexpr std::size_t kMaxKeyBytes = 200;
constexpr std::size_t kMaxEntries = 0xFFFE;
constexpr std::uint64_t kMaxOrderFileBytes = 64u << 20;

bool UsableKey(std::string_view key) {
  if (key.empty() || key == "." || key == ".." || key.size() > kMaxKeyBytes + 16) return false;
  for (unsigned char c : key) {
    if (c < 0x20 || c == '/' || c == '\\' || c == 0x7F) return false;
  }
  return true;
}

// "name.ext" -> "name~n.ext"
std::string WithSuffix(const std::string& key, unsigned n) {
  const auto dot = key.rfind('.');
  const std::string suffix = "~" + std::to_string(n);
  if (dot == std::string::npos || dot == 0) return key + suffix;
  return key.substr(0, dot) + suffix + key.substr(dot);
}

class FolderIncoming : public playerlink::sim::MediaStorage::Incoming {
 public:
  FolderIncoming(common::AtomicFileWriter data, common::Path header)
      : data_(std::move(data)), header_(std::move(header)) {}
  Result<void> Append(std::span<const std::uint8_t> bytes) override { return data_.Write(bytes); }
  Result<void> Commit(const Block& header) override {
    if (auto r = common::WriteFileAtomically(header_, header); !r) return r;
    return data_.Commit();
  }

 private:
  common::AtomicFileWriter data_;
  common::Path header_;
};

}  // namespace

std::vector<std::string> ParseOrderFile(std::string_view text) {
  std::vector<std::string> keys;
  while (!text.empty() && keys.size() < kMaxEntries) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (UsableKey(line)) keys.emplace_back(line);
  }
  return keys;
}

std::string KeyForName(std::u16string_view name) {
  // Unpaired surrogates cannot become UTF-8: they become '_' first.
  std::u16string clean(name);
  for (std::size_t i = 0; i < clean.size(); ++i) {
    const char16_t c = clean[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
    if (high && i + 1 < clean.size() && clean[i + 1] >= 0xDC00 && clean[i + 1] <= 0xDFFF) {
      ++i;
    } else if (high || low) {
      clean[i] = u'_';
    }
  }
  auto utf8 = common::Utf16ToUtf8(clean);
  std::string key = utf8 ? *utf8 : std::string();
  for (char& c : key) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || c == '/' || c == '\\') c = '_';
  }
  if (key.size() > kMaxKeyBytes) {
    std::size_t cut = kMaxKeyBytes;
    while (cut > 0 && (static_cast<unsigned char>(key[cut]) & 0xC0) == 0x80) --cut;  // whole characters
    key.resize(cut);
  }
  if (key.empty() || key == "." || key == "..") key = "_";
  return key;
}

common::Path FolderStorage::MediumDir(MediumId medium) const {
  return root_ / (medium == MediumId::kCard ? "card" : "internal");
}
common::Path FolderStorage::FilePath(MediumId medium, const std::string& key) const {
  return MediumDir(medium) / "files" / key;
}
common::Path FolderStorage::HeaderPath(MediumId medium, const std::string& key) const {
  return MediumDir(medium) / "headers" / key;
}

Result<void> FolderStorage::Prepare() {
  std::error_code ec;
  for (MediumId m : {MediumId::kInternal, MediumId::kCard}) {
    std::filesystem::create_directories(MediumDir(m) / "files", ec);
    if (!ec) std::filesystem::create_directories(MediumDir(m) / "headers", ec);
    if (ec) return Error{ec.value(), "cannot make the folders under " + root_.string() + ": " + ec.message()};
  }
  return common::Ok();
}

Result<std::uint32_t> FolderStorage::Identifier(std::uint32_t fallback) {
  if (auto text = common::ReadWholeFile(root_ / "identifier", 64)) {
    unsigned value = 0;
    char extra = 0;
    if (std::sscanf(text->c_str(), "%8x%c", &value, &extra) >= 1) return std::uint32_t{value};
  }
  if (auto r = SetIdentifier(fallback); !r) return r.error();
  return fallback;
}

Result<void> FolderStorage::SetIdentifier(std::uint32_t identifier) {
  const std::string text = playerlink::IdentifierText(identifier) + "\n";
  return common::WriteFileAtomically(root_ / "identifier",
                                     {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

Result<std::vector<StoredEntry>> FolderStorage::Load(MediumId medium) {
  std::vector<StoredEntry> entries;
  const common::Path order = MediumDir(medium) / "order";
  if (!common::FileExists(order)) return entries;
  auto text = common::ReadWholeFile(order, kMaxOrderFileBytes);
  if (!text) return text.error();
  for (const auto& key : ParseOrderFile(*text)) {
    auto header = common::ReadWholeFile(HeaderPath(medium, key), kBlockSize);
    StoredEntry e;
    if (!header || header->size() != kBlockSize) {
      std::cerr << "player-sim: " << key << ": no header block, entry left out\n";
      continue;
    }
    std::copy(header->begin(), header->end(), e.header.begin());
    e.size = common::LoadLE32(&e.header[playerlink::header::kSize]);
    std::error_code ec;
    const auto size = std::filesystem::file_size(FilePath(medium, key), ec);
    if (ec || size != e.size) {
      std::cerr << "player-sim: " << key << ": the file does not have the header's size, entry left out\n";
      continue;
    }
    e.key = key;
    entries.push_back(std::move(e));
  }
  return entries;
}

Result<std::unique_ptr<FolderStorage::Incoming>> FolderStorage::Receive(MediumId medium, std::u16string_view fileName,
                                                                        const std::string* replacing,
                                                                        std::string& key) {
  if (replacing) {
    key = *replacing;
  } else {
    const std::string base = KeyForName(fileName);
    key = base;
    for (unsigned n = 2; common::FileExists(FilePath(medium, key)) || common::FileExists(HeaderPath(medium, key));
         ++n) {
      key = WithSuffix(base, n);
    }
  }
  if (openPath_ == FilePath(medium, key)) {
    (void)open_.Close();
    openPath_.clear();
  }
  auto writer = common::AtomicFileWriter::Begin(FilePath(medium, key));
  if (!writer) return writer.error();
  return std::unique_ptr<Incoming>(new FolderIncoming(std::move(*writer), HeaderPath(medium, key)));
}

Result<std::size_t> FolderStorage::ReadData(MediumId medium, const std::string& key, std::uint64_t offset,
                                            std::span<std::uint8_t> out) {
  const common::Path path = FilePath(medium, key);
  if (openPath_ != path || !open_.is_open()) {
    (void)open_.Close();
    openPath_.clear();
    auto f = common::File::OpenFile(path, common::File::Open::kRead);
    if (!f) return f.error();
    open_ = std::move(*f);
    openPath_ = path;
  }
  if (auto r = open_.Seek(offset); !r) return r.error();
  return open_.ReadFull(out);
}

Result<void> FolderStorage::Remove(MediumId medium, const std::string& key) {
  if (openPath_ == FilePath(medium, key)) {
    (void)open_.Close();
    openPath_.clear();
  }
  auto a = common::RemoveFile(FilePath(medium, key));
  auto b = common::RemoveFile(HeaderPath(medium, key));
  if (!a) return a;
  return b;
}

Result<void> FolderStorage::SaveOrder(MediumId medium, const std::vector<StoredEntry>& entries) {
  std::string text;
  for (const auto& e : entries) text += e.key + "\n";
  return common::WriteFileAtomically(MediumDir(medium) / "order",
                                     {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

}  // namespace playersim
