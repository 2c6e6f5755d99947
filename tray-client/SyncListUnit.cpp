#include "tray-client/SyncListUnit.h"

#include <stdexcept>

namespace orvel {

TSyncComponent* SyncComponent = nullptr;

TSyncItem& TSyncList::Add() {
  items_.push_back(std::make_unique<TSyncItem>());
  return *items_.back();
}

TSyncItem& TSyncList::Items(int index) {
  if (index < 0 || index >= Count()) throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  return *items_[static_cast<std::size_t>(index)];
}

const TSyncItem& TSyncList::Items(int index) const { return const_cast<TSyncList*>(this)->Items(index); }

void TSyncList::Assign(const TSyncList& other) {
  if (&other == this) return;
  std::vector<std::unique_ptr<TSyncItem>> copy;
  copy.reserve(other.items_.size());
  for (const auto& item : other.items_) copy.push_back(std::make_unique<TSyncItem>(*item));
  items_ = std::move(copy);
}

}  // namespace orvel
