// A list of pictures that list and tree views draw their items with, by
// index. Not a control: a form holds it and hands it to its views, which
// take pictures added later as well.
#pragma once

#include <string>
#include <vector>

#include "platform/gui/Types.h"

namespace gui {

class ImageList {
 public:
  // `size`: the side of the square pictures in logical pixels (16 small, 32
  // large).
  explicit ImageList(int size = 16) : size_(size) {}

  int Size() const { return size_; }
  int Count() const { return static_cast<int>(icons_.size()); }
  const std::vector<Icon>& Icons() const { return icons_; }
  // Adds a picture and gives its index.
  int Add(Icon icon) {
    icons_.push_back(std::move(icon));
    return Count() - 1;
  }
  // The index of a picture, added when it is not in the list yet.
  int IndexOf(const Icon& icon) {
    for (int i = 0; i < Count(); ++i) {
      if (icons_[static_cast<std::size_t>(i)] == icon) return i;
    }
    return Add(icon);
  }
  // Removes every picture; views keep showing what they had until they are
  // given new indexes.
  void Clear() {
    icons_.clear();
    ++generation_;
  }
  // For backends: changes whenever pictures went away.
  int Generation() const { return generation_; }

 private:
  int size_;
  std::vector<Icon> icons_;
  int generation_ = 0;
};

}  // namespace gui
