// The tray client's model of the user's channels: one TSyncItem per channel
// as "dnlists" returns it, with the flags a sync sets as it goes; the
// collection TSyncList; the component TSyncComponent that owns it; and the
// one global instance SyncComponent, which the main form makes and frees.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tray-client/ServiceProtocol.h"

namespace orvel {

class TSyncList;

// The channel's fields as "dnlists" gives them (ContentType, ChannelName,
// Sequence, DnFileName ... PurchaseNum), then the model's own.
struct TSyncItem : service::ChannelRecord {
  std::int32_t ItemNo = 0;  // position in the reply it came from
  bool IsSyncEnd = false;   // written to the player in this sync
  bool IsDownEnd = false;   // fetched into LocalSync in this sync
  bool IsSelected = false;  // part of the current sync
};

class TSyncComponent;

class TSyncList {
 public:
  explicit TSyncList(TSyncComponent* owner) : owner_(owner) {}
  TSyncList(const TSyncList&) = delete;
  TSyncList& operator=(const TSyncList&) = delete;

  TSyncComponent* Owner() const { return owner_; }
  // Appends a new item (all zero, empty and false) and gives it; it stays
  // where it is until the list is cleared.
  TSyncItem& Add();
  // The item at `index`; outside the list throws std::out_of_range.
  TSyncItem& Items(int index);
  const TSyncItem& Items(int index) const;
  int Count() const { return static_cast<int>(items_.size()); }
  void Clear() { items_.clear(); }
  // Makes this list a copy of `other`, item by item and field by field.
  void Assign(const TSyncList& other);

 private:
  TSyncComponent* owner_;
  std::vector<std::unique_ptr<TSyncItem>> items_;
};

class TSyncComponent {
 public:
  TSyncComponent() : items_(this) {}
  TSyncList& Items() { return items_; }
  const TSyncList& Items() const { return items_; }
  // Assigns the given list to the owned one (which is never replaced).
  void SetItems(const TSyncList& list) { items_.Assign(list); }

 private:
  TSyncList items_;
};

// The one component of the program; null before the main form makes it and
// after it closes.
extern TSyncComponent* SyncComponent;

}  // namespace orvel
